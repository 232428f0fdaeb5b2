#pragma once
// The message backend of the windowed program: every ds_Message becomes a message window.
#include <memory>

class MessageBackend;

std::unique_ptr<MessageBackend> makeWindowMessageBackend();
