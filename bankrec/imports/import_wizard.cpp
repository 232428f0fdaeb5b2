#include "bankrec/imports/import_wizard.h"

#include <charconv>

#include "bankrec/imports/excel_import.h"
#include "bankrec/imports/text_import.h"
#include "bankrec/shell/registry_settings.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "corelib/globals.h"
#include "reader_run.h"

using namespace corelib;
using namespace storage;

namespace imports {

namespace {

constexpr const char* kWorkbookValue = "ImportWorkbook";

// A stored number; `fallback` when the text is not one.
int32_t number(const shell::Configuration& c, const char* name, int32_t fallback) {
    const std::string text = c.get(name);
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end ? value : fallback;
}

bool flag(const shell::Configuration& c, const char* name, bool fallback) {
    return number(c, name, fallback ? 1 : 0) != 0;
}

std::string text(int32_t n) {
    return std::to_string(n);
}

std::string text(bool b) {
    return b ? "1" : "0";
}

constexpr const char* kDecimalSentence =
    " If there is no decimal point in the imported amount, two decimal places will be assumed.";

}  // namespace

ImportSettings ImportSettings::fromConfiguration(const shell::Configuration& c) {
    ImportSettings s;
    const int32_t type = number(c, "ImportType", 1);
    s.type = type == 2   ? ImportType::Fixed
             : type == 3 ? ImportType::Comma
                         : ImportType::Spreadsheet;
    s.fileName = c.get("ImportFilename");
    s.amount = flag(c, "ImportAmount", true);
    s.cleared = flag(c, "ImportCleared", false);
    s.assumeDecimal = flag(c, "ChkAssumeDecimal", false);
    s.firstRow = number(c, "ChkFirstRow", 1);
    s.lastRow = number(c, "ChkLastRow", 0);
    s.checkColumn = number(c, "ChkCheckECol", 1);
    s.amountColumn = number(c, "ChkAmountECol", 2);
    s.clearedColumn = number(c, "ChkClearedECol", 3);
    s.checkStart = number(c, "ChkCheckStart", 1);
    s.checkEnd = number(c, "ChkCheckEnd", 7);
    s.amountStart = number(c, "ChkAmountStart", 8);
    s.amountEnd = number(c, "ChkAmountEnd", 20);
    s.clearedStart = number(c, "ChkClearedStart", 21);
    s.clearedEnd = number(c, "ChkClearedEnd", 30);
    s.checkField = number(c, "ChkCheckCCol", 1);
    s.amountField = number(c, "ChkAmountCCol", 2);
    s.clearedField = number(c, "ChkClearedCCol", 3);
    return s;
}

std::vector<shell::Configuration::Entry> ImportSettings::toEntries() const {
    return {
        {"ImportType", text(static_cast<int32_t>(type))},
        {"ImportFilename", fileName},
        {"ImportAmount", text(amount)},
        {"ImportCleared", text(cleared)},
        {"ChkAssumeDecimal", text(assumeDecimal)},
        {"ChkFirstRow", text(firstRow)},
        {"ChkLastRow", text(lastRow)},
        {"ChkCheckECol", text(checkColumn)},
        {"ChkAmountECol", text(amountColumn)},
        {"ChkClearedECol", text(clearedColumn)},
        {"ChkCheckStart", text(checkStart)},
        {"ChkCheckEnd", text(checkEnd)},
        {"ChkAmountStart", text(amountStart)},
        {"ChkAmountEnd", text(amountEnd)},
        {"ChkClearedStart", text(clearedStart)},
        {"ChkClearedEnd", text(clearedEnd)},
        {"ChkCheckCCol", text(checkField)},
        {"ChkAmountCCol", text(amountField)},
        {"ChkClearedCCol", text(clearedField)},
    };
}

std::string importSummary(const ImportSettings& s) {
    std::string out;
    const std::string decimal = s.amount && s.assumeDecimal ? kDecimalSentence : "";
    switch (s.type) {
        case ImportType::Spreadsheet:
            if (s.workbook.empty())
                out =
                    "The import wizard will now import cleared checks from a currently open "
                    "and active spreadsheet.";
            else
                out = "The import wizard will now import cleared checks from the workbook file \"" +
                      s.workbook + "\".";
            out += "\n\nColumn " + text(s.checkColumn) + " contains the check number. ";
            if (s.amount)
                out += "\n\nColumn " + text(s.amountColumn) +
                       " contains the amount of the check. " + decimal;
            if (s.cleared)
                out += "\n\nColumn " + text(s.clearedColumn) +
                       " contains the date that the check cleared.";
            out += "\n\nImporting will start from row " + text(s.firstRow);
            if (s.lastRow != 0) out += " and end at row " + text(s.lastRow);
            out += ".";
            break;
        case ImportType::Fixed:
            out =
                "The import wizard will now import cleared checks from the fixed formatted text "
                "file \"" +
                s.fileName + "\".";
            out += "\n\nPositions " + text(s.checkStart) + " through " + text(s.checkEnd) +
                   " contain the check number. ";
            if (s.amount)
                out += "\n\nPositions " + text(s.amountStart) + " through " + text(s.amountEnd) +
                       " contain the amount of the check. " + decimal;
            if (s.cleared)
                out += "\n\nPositions " + text(s.clearedStart) + " through " + text(s.clearedEnd) +
                       " contain the date that the check cleared.";
            break;
        case ImportType::Comma:
            out =
                "The import wizard will now import cleared checks from the comma separated text "
                "file \"" +
                s.fileName + "\".";
            out += "\n\nColumn " + text(s.checkField) + " contains the check number. ";
            if (s.amount)
                out += "\n\nColumn " + text(s.amountField) + " contains the amount of the check. " +
                       decimal;
            if (s.cleared)
                out += "\n\nColumn " + text(s.clearedField) +
                       " contains the date that the check cleared.";
            break;
    }
    return out;
}

ImportWizard::ImportWizard(FileSession& session) : session_(session) {
    configuration_.registerDefaults();
}

bool ImportWizard::load() {
    page_ = kFirstPage;
    bool loaded = false;
    {
        FileUse files(session_, {FileId::SYcfg});
        if (files.error() == Error::None) loaded = configuration_.load(session_) == Error::None;
    }
    settings_ = ImportSettings::fromConfiguration(configuration_);
    settings_.workbook =
        shell::RegistrySettings::forProgram().getValue(kWorkbookValue, {}, kImportWizardProcedure);
    return loaded;
}

int ImportWizard::typePage() const {
    switch (settings_.type) {
        case ImportType::Fixed:
            return 4;
        case ImportType::Comma:
            return 5;
        case ImportType::Spreadsheet:
            break;
    }
    return 3;
}

bool ImportWizard::shows(int page) const {
    if (page < kFirstPage || page > kLastPage) return false;
    return page < 3 || page == kLastPage || page == typePage();
}

void ImportWizard::next() {
    int p = page_ + 1;
    while (p < kLastPage && !shows(p)) ++p;
    page_ = std::min(p, kLastPage);
}

void ImportWizard::previous() {
    int p = page_ - 1;
    while (p > kFirstPage && !shows(p)) --p;
    page_ = std::max(p, kFirstPage);
}

ImportResult ImportWizard::finish() {
    {
        FrameHooks hooks;
        hooks.waitCursor = showBusyPointer;
        FileUse files(session_, {FileId::SYcfg});
        if (files.error() == Error::None)
            (void)configuration_.setAll(session_, settings_.toEntries(), hooks);  // reported
    }
    shell::RegistrySettings registry = shell::RegistrySettings::forProgram();
    if (registry.active())
        (void)registry.setValue(kWorkbookValue, settings_.workbook, kImportWizardProcedure);

    return runImport(session_, settings_);
}

ImportResult runImport(FileSession& session, const ImportSettings& s) {
    switch (s.type) {
        case ImportType::Fixed:
            return UpdateAPrecFixed(session, s.fileName, s.amount, s.assumeDecimal, s.cleared,
                                    s.checkStart, s.checkEnd, s.amountStart, s.amountEnd,
                                    s.clearedStart, s.clearedEnd);
        case ImportType::Comma:
            return UpdateAPrecComma(session, s.fileName, s.amount, s.assumeDecimal, s.cleared,
                                    s.checkField, s.amountField, s.clearedField);
        case ImportType::Spreadsheet:
            break;
    }
    return UpdateAPrecExcel(session, s.amount, s.assumeDecimal, s.cleared, s.firstRow, s.lastRow,
                            s.checkColumn, s.amountColumn, s.clearedColumn, s.workbook);
}

ImportResult runStoredImport(FileSession& session) {
    ImportWizard wizard(session);
    if (!wizard.load()) {
        GlobalResponse = RequestCancelled;
        return {};
    }
    return runImport(session, wizard.settings());
}

}  // namespace imports
