#pragma once
// Hands a finished document (a PDF) to a CUPS printer as one job.
#include <string>

namespace corelib {

// Sends `file` to the printer ("name" or "name/instance", as the printer list names it) under
// the job title. Returns the job number (above 0); 0 when the job was refused or CUPS is not
// there, with the reason in `error`. The file may be removed once this returns.
[[nodiscard]] int printFileToCups(const std::string& printer, const std::string& file,
                                  const std::string& title, std::string& error);

}  // namespace corelib
