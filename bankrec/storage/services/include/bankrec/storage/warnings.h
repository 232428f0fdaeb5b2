#pragma once
// The standard warnings as the file-access services show them: with the saved error, which the
// warning uses and clears.
#include <cstdint>
#include <string>

namespace storage {

class FileSession;

// Saves the session's last error (FileSession::lastError) as the saved error. Call it right after
// the operation that failed.
void saveError(const FileSession& session);

// Shows standard warning `number` with its first and second text and the saved error, then
// clears the saved error. Returns the button pressed; for the warnings that end the program
// (1, 3, 4, 5, 22, and 2 answered No) the program halts with the warning's closing message.
int32_t StandardWarning(int32_t number, const std::string& first = {},
                        const std::string& second = {});

}  // namespace storage
