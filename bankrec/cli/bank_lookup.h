#pragma once
// The bank a command line names.
#include <string>

namespace storage {
class FileSession;
}  // namespace storage

namespace cli {

// Makes the bank named by `which` current in the session's APbnk buffer: the bank of that name
// (without regard to case), else, when `which` is a whole number, the bank of that BankID.
// False when there is none or APbnk cannot be read. The session must hold APbnk open.
bool findBank(storage::FileSession& session, const std::string& which);

}  // namespace cli
