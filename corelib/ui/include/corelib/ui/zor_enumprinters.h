#pragma once
// The printer list: every printer with its port.
#include <string>
#include <vector>

namespace corelib {

struct PrinterEntry {
    std::string name;
    std::string port;  // the printer's device URI; empty when unknown
};

// Empties the queue and fills it with the print system's printers: each CUPS destination
// ("name" or "name/instance") with its device URI as the port. When CUPS gives none, the
// printers Qt knows, with empty ports.
void ZOR_ENUMPRINTERS(std::vector<PrinterEntry>& queue);

}  // namespace corelib
