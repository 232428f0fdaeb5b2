#include "corelib/ui/zor_enumprinters.h"

#include <QPrinterInfo>

#ifdef BANKREC_HAVE_CUPS
#include <cups/cups.h>

namespace corelib {

#endif

void ZOR_ENUMPRINTERS(std::vector<PrinterEntry>& queue) {
    queue.clear();
#ifdef BANKREC_HAVE_CUPS
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests(&dests);
    for (int i = 0; i < count; ++i) {
        const cups_dest_t& d = dests[i];
        PrinterEntry e;
        e.name = d.name ? d.name : "";
        if (d.instance) e.name += std::string("/") + d.instance;
        if (const char* uri = cupsGetOption("device-uri", d.num_options, d.options)) e.port = uri;
        if (!e.name.empty()) queue.push_back(std::move(e));
    }
    cupsFreeDests(count, dests);
#endif
    if (!queue.empty()) return;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        queue.push_back({name.toStdString(), {}});
}

}  // namespace corelib
