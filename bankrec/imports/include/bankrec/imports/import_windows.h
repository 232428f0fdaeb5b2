#pragma once
// The few windows the readers need beyond the message and progress services: the busy pointer,
// the "Select Spreadsheet" chooser and the "Excel Import Data" window. The windowed program
// installs its own (bankrec/imports/ui); without them the readers run without windows: no busy
// pointer, the chooser takes its first entry (as OK on the entry it selects), and the
// spreadsheet import runs to its end in time slices.
#include <functional>
#include <string>
#include <vector>

#include "corelib/progress.h"

namespace imports {

class ExcelImportJob;

struct ImportWindows {
    // Shows (true) or restores (false) the busy pointer.
    std::function<void(bool busy)> busyPointer;
    // "Select Spreadsheet": the topics listed, the first selected; returns the index chosen, or
    // -1 when the user cancels.
    std::function<int(const std::vector<std::string>& topics)> selectSheet;
    // "Select Account": the accounts of a bank file, the first selected; returns the index
    // chosen, or -1 when the user cancels.
    std::function<int(const std::vector<std::string>& accounts)> selectAccount;
    // "Excel Import Data": runs the job modally, the window showing each row read, until it ends
    // or is cancelled (unset: the job runs without a window).
    std::function<corelib::ProgressResult(ExcelImportJob& job)> excelImport;
};

// The windows in use; the defaults described above until others are installed.
const ImportWindows& importWindows();
// Installs windows; an unset member keeps its default.
void setImportWindows(ImportWindows windows);

}  // namespace imports
