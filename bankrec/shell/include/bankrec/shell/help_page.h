#pragma once
// The program's help, an HTML page shipped inside the program. writeHelpPage() puts it in the
// user's cache folder (rewritten on every call, so it matches this build) and returns its path;
// "" when it cannot be written.
#include <string>

namespace shell {

std::string helpPageHtml();
[[nodiscard]] std::string writeHelpPage();

}  // namespace shell
