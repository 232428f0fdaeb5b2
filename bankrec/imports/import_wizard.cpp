#include "bankrec/imports/import_wizard.h"

#include <charconv>

#include "bankrec/imports/bank_import.h"
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
    s.type = type >= 2 && type <= 5 ? static_cast<ImportType>(type) : ImportType::Spreadsheet;
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
    s.clearedFormat =
        clearedDateFormat(c.get("ChkClearedFormat")).value_or(ClearedDateFormat::Standard);
    s.deposits = flag(c, "ImportDeposits", true);
    s.depositDays = number(c, "ImportDepositDays", 5);
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
        {"ChkClearedFormat", clearedDateFormatName(clearedFormat)},
        {"ImportDeposits", text(deposits)},
        {"ImportDepositDays", text(depositDays)},
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
            if (s.cleared && s.clearedFormat != ClearedDateFormat::Standard)
                out += std::string(" The date is written ") +
                       clearedDateFormatName(s.clearedFormat) + ".";
            break;
        case ImportType::Bai2:
        case ImportType::Ofx:
            out = std::string("The import wizard will now mark the checks and deposits the ") +
                  (s.type == ImportType::Bai2 ? "BAI2" : "OFX") + " file \"" + s.fileName +
                  "\" reports as paid.";
            out += s.amount ? "\n\nChecks are matched by their number and amount."
                            : "\n\nChecks are matched by their number.";
            if (s.cleared) out += " The file's date is recorded as the date cleared.";
            if (s.deposits)
                out += "\n\nCredits are matched to a deposit of the same amount dated up to " +
                       text(s.depositDays) +
                       " days before the posting date; a credit that more than one deposit "
                       "could be is listed, never marked.";
            else
                out += "\n\nCredits are not matched to deposits.";
            out += "\n\nWhat does not match is listed when the import is done.";
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
        case ImportType::Bai2:
            return 7;
        case ImportType::Ofx:
            return 8;
        case ImportType::Spreadsheet:
            break;
    }
    return 3;
}

bool ImportWizard::shows(int page) const {
    if (page < kFirstPage || page > kPageCount) return false;
    return page < 3 || page == kLastPage || page == typePage();
}

// The pages in the order the user sees them: 1, 2, the type's page, the summary.
void ImportWizard::next() {
    const int order[] = {1, 2, typePage(), kLastPage};
    for (int i = 0; i < 3; ++i)
        if (order[i] == page_) {
            page_ = order[i + 1];
            return;
        }
    if (page_ != kLastPage) page_ = kLastPage;  // another type's page: on to the summary
}

void ImportWizard::previous() {
    const int order[] = {1, 2, typePage(), kLastPage};
    for (int i = 1; i < 4; ++i)
        if (order[i] == page_) {
            page_ = order[i - 1];
            return;
        }
    if (page_ != kFirstPage) page_ = 2;  // another type's page: back to the second
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
                                    s.clearedStart, s.clearedEnd, s.clearedFormat);
        case ImportType::Bai2:
            return UpdateAPrecBai2(session, s.fileName, s.amount, s.cleared, s.deposits,
                                   s.depositDays);
        case ImportType::Ofx:
            return UpdateAPrecOfx(session, s.fileName, s.amount, s.cleared, s.deposits,
                                  s.depositDays);
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
