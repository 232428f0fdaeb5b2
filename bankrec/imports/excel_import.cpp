#include "bankrec/imports/excel_import.h"

#include "bankrec/imports/calc_link.h"
#include "bankrec/imports/import_windows.h"
#include "bankrec/imports/spreadsheet_link.h"
#include "bankrec/imports/workbook_link.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "corelib/globals.h"
#include "corelib/message.h"
#include "reader_run.h"

using namespace corelib;
using namespace storage;

namespace imports {

ExcelImportJob::ExcelImportJob(SpreadsheetLink& link, ReaderRun& run, const SheetLayout& layout,
                               const ImportFlags& flags)
    : link_(link), run_(run), layout_(layout), flags_(flags), row_(layout.firstRow) {
    columns_.push_back(layout.checkColumn);
    if (flags.amount) columns_.push_back(layout.amountColumn);
    if (flags.cleared) columns_.push_back(layout.clearedColumn);
}

bool ExcelImportJob::tick(ProgressView&) {
    do {
        if (!step()) return false;
        ++row_;
    } while (row_ % 10 != 0);
    return true;
}

bool ExcelImportJob::step() {
    if (layout_.lastRow > 0 && row_ > layout_.lastRow) return false;
    if (layout_.lastRow == 0 && blanks_ >= kBlankRowsToStop) return false;
    if (!link_.readCells(row_, columns_, cells_) || cells_.size() != columns_.size()) {
        ds_Beep();
        ds_Message("Unable to read Excel\nError: " + link_.error(), glo_ApplicationName,
                   icon::Information, msg::OK);
        return false;
    }
    const std::string& checkCell = cells_[0];
    const std::string_view amountCell = flags_.amount ? std::string_view(cells_[1]) : "";
    const std::string_view clearedCell =
        flags_.cleared ? std::string_view(cells_[flags_.amount ? 2 : 1]) : "";
    const ImportedCheck check = readSheetRow(checkCell, amountCell, clearedCell, flags_);
    if (sheetCheckReference(checkCell).empty()) ++blanks_;  // and counted as skipped
    std::string text = "row " + std::to_string(row_) + ":";
    for (const std::string& cell : cells_) text += " \"" + cell + "\"";
    if (!run_.handle(check, text, row_)) return false;
    if (rowView_) {
        rowView_->showRow(row_, std::string(trimBlanks(checkCell)), check.amount, check.clearDate);
    }
    return true;
}

bool ExcelImportJob::cancel(ProgressView&) {
    return run_.askCancel();
}

std::string SelectSheet(const std::vector<std::string>& topics) {
    ProcedureLog log("SelectSheet");
    if (topics.empty()) {
        ds_Beep();
        ds_Message("No currently active spreadsheet", "Error...", icon::Information, msg::OK);
        return {};
    }
    const int chosen = importWindows().selectSheet(topics);
    if (chosen < 0 || static_cast<size_t>(chosen) >= topics.size()) return {};
    return topics[static_cast<size_t>(chosen)];
}

std::string SelectSheet(const std::string& topicList) {
    return SelectSheet(splitTopics(topicList));
}

ImportResult runExcelImport(FileSession& session, SpreadsheetLink& link, const SheetLayout& layout,
                            const ImportFlags& flags) {
    GlobalResponse = RequestCancelled;
    FileUse files(session, {FileId::APbac, FileId::APbnk});
    if (files.error() != Error::None) return {};

    std::vector<std::string> topics;
    if (!link.connect() || !link.topics(topics)) {
        ds_Beep();
        ds_Message("Unable to connect with Excel\nError: " + link.error(), "Error...",
                   icon::Information, msg::OK);
        link.close();
        return {};
    }
    const std::string topic = SelectSheet(topics);
    if (topic.empty()) {
        link.close();
        return {};
    }
    ds_Beep();
    if (ds_Message("About to process Excel spreadsheet " + topic, glo_ApplicationName,
                   icon::Exclamation, msg::OK | msg::Cancel) != msg::OK) {
        link.close();
        return {};
    }
    if (!link.openTopic(topic)) {
        ds_Beep();
        ds_Message("Unable to connect with Excel topic " + topic + "\nError: " + link.error(),
                   "Error...", icon::Information, msg::OK);
        link.close();
        return {};
    }

    ReaderRun run(session, session.file<APbnk>().rec.BankID, flags);
    if (run.begin()) {
        ExcelImportJob job(link, run, layout, flags);
        if (importWindows().excelImport)
            importWindows().excelImport(job);
        else
            HeadlessProgress().run({}, job);
    }
    link.close();
    return run.finish();
}

std::unique_ptr<SpreadsheetLink> makeSpreadsheetLink(const std::string& workbook) {
    if (!workbook.empty()) return std::make_unique<WorkbookLink>(workbook);
    return std::make_unique<CalcLink>();
}

ImportResult UpdateAPrecExcel(FileSession& session, bool importAmount, bool assumeDecimal,
                              bool importCleared, int32_t firstRow, int32_t lastRow,
                              int32_t checkColumn, int32_t amountColumn, int32_t clearedColumn,
                              const std::string& workbook) {
    ProcedureLog log("UpdateAPrecExcel");
    const SheetLayout layout{firstRow, lastRow, checkColumn, amountColumn, clearedColumn};
    const std::unique_ptr<SpreadsheetLink> link = makeSpreadsheetLink(workbook);
    return runExcelImport(session, *link, layout, {importAmount, assumeDecimal, importCleared});
}

}  // namespace imports
