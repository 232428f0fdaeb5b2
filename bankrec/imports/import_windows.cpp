#include "bankrec/imports/import_windows.h"

namespace imports {

namespace {

ImportWindows defaults() {
    ImportWindows w;
    w.busyPointer = [](bool) {};
    w.selectSheet = [](const std::vector<std::string>& topics) { return topics.empty() ? -1 : 0; };
    w.selectAccount = w.selectSheet;
    return w;
}

ImportWindows& installed() {
    static ImportWindows windows = defaults();
    return windows;
}

}  // namespace

const ImportWindows& importWindows() {
    return installed();
}

void setImportWindows(ImportWindows windows) {
    const ImportWindows d = defaults();
    installed().busyPointer = windows.busyPointer ? std::move(windows.busyPointer) : d.busyPointer;
    installed().selectSheet = windows.selectSheet ? std::move(windows.selectSheet) : d.selectSheet;
    installed().selectAccount =
        windows.selectAccount ? std::move(windows.selectAccount) : d.selectAccount;
    installed().excelImport = std::move(windows.excelImport);
}

}  // namespace imports
