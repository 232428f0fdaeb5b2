#include "corelib/cups_print.h"

#ifdef BANKREC_HAVE_CUPS
#include <cups/cups.h>
#endif

namespace corelib {

int printFileToCups(const std::string& printer, const std::string& file, const std::string& title,
                    std::string& error) {
#ifdef BANKREC_HAVE_CUPS
    const size_t slash = printer.find('/');
    const std::string name = printer.substr(0, slash);
    const std::string instance = slash == std::string::npos ? "" : printer.substr(slash + 1);
    // An instance is the printer with options of its own.
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(),
                                         instance.empty() ? nullptr : instance.c_str());
    if (!dest) {
        error = "printer " + printer + " not found: " + cupsLastErrorString();
        return 0;
    }
    const int job =
        cupsPrintFile(name.c_str(), file.c_str(), title.c_str(), dest->num_options, dest->options);
    cupsFreeDests(1, dest);
    if (job <= 0) error = cupsLastErrorString();
    return job;
#else
    (void)printer;
    (void)file;
    (void)title;
    error = "printing is not available (built without CUPS)";
    return 0;
#endif
}

}  // namespace corelib
