#include "corelib/standard_warnings.h"

#include <array>
#include <cctype>

#include "corelib/message.h"
#include "corelib/text.h"

namespace corelib {

namespace {

using S = const std::string&;
using E = const WarningError&;

// Warning 31 shows its PUT form when the second text names a change.
bool namesChange(const std::string& second) {
    std::string s = second;
    size_t start = s.find_first_not_of(' ');
    s = start == std::string::npos ? std::string() : s.substr(start);
    return text::startsWithNoCase(s, "put") || text::startsWithNoCase(s, "change") ||
           text::startsWithNoCase(s, "update");
}

constexpr int32_t kOk = msg::OK;
constexpr int32_t kYesNo = msg::Yes | msg::No;
constexpr int32_t kYesNoCancel = msg::Yes | msg::No | msg::Cancel;
constexpr int32_t kOkCancel = msg::OK | msg::Cancel;
constexpr int32_t kRetryCancel = msg::Retry | msg::Cancel;

const char* const kExcl = icon::Exclamation;
const char* const kQuest = icon::Question;

using W = WarningEnding;

const std::array<StandardWarningEntry, kStandardWarningCount> kTable = {{
    {1, "Invalid File",
     [](S f, S, E e) {
         return "Error: (" + e.text + ") accessing " + f + ".  Press OK to end this application.";
     },
     kOk, msg::OK, kExcl, W::Always, "Invalid File!"},
    {2, "Invalid Key",
     [](S f, S, E) { return f + " key file is invalid.  Do you want to rebuild the key?"; },
     kYesNo, msg::Yes, kQuest, W::OnNo, "Invalid Key!"},
    {3, "Key Rebuild Error",
     [](S f, S, E e) {
         return "Error: (" + e.text + ") repairing key for " + f +
                ".  Press OK to end this application.";
     },
     kOk, msg::OK, kExcl, W::Always, "Error Rebuilding Key!"},
    {4, "File Creation Error",
     [](S f, S, E e) {
         return "Error: (" + e.text + ") creating " + f + ".  Press OK to end this application.";
     },
     kOk, msg::OK, kExcl, W::Always, "File Creation Error!"},
    {5, "File Creation Error",
     [](S f, S, E e) {
         return "Error: (" + e.text + ") opening created file:" + f +
                ".  Press OK to end this application.";
     },
     kOk, msg::OK, kExcl, W::Always, "File Creation Error!"},
    {6, "Procedure not defined",
     [](S f, S, E) { return "The Procedure " + f + " has not been defined."; }, kOk, msg::OK,
     kExcl, W::Never, ""},
    {7, "Record Retrieval Error",
     [](S, S, E e) {
         return "Unable to read keyed record.  Error: " + e.text + ".  Insert Aborted";
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {8, "Range Error",
     [](S f, S s, E) { return "The value of " + f + " must be lower than " + s + "."; }, kOk,
     msg::OK, kExcl, W::Never, ""},
    {9, "Range Error",
     [](S f, S s, E) { return "The value of " + f + " must be higher than " + s + "."; }, kOk,
     msg::OK, kExcl, W::Never, ""},
    {10, "Range Error",
     [](S f, S s, E) { return "The value of " + f + " must be between " + s + "."; }, kOk,
     msg::OK, kExcl, W::Never, ""},
    {11, "Field Contents Error",
     [](S f, S s, E) { return "The value for " + f + " must be found in the " + s + " file."; },
     kOk, msg::OK, kExcl, W::Never, ""},
    {12, "Referential Integrity Update Error",
     [](S f, S, E) {
         return "This record is referenced from the file " + f +
                ".  Linking field(s) have been restricted from change and have been reset to "
                "original values.";
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {13, "Referential Integrity Delete Error",
     [](S f, S, E) {
         return "This record is referenced from the file " + f +
                ".  This record cannot be deleted while these references exist.";
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {14, "Record Insert Error",
     [](S, S, E e) {
         return "An error was experienced during the update of record.  Error: " + e.text + ".";
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {15, "Update Operation Error",
     [](S f, S, E e) {
         if (e.number == 0 || e.number == 89) return std::string("This record was changed by another station.");
         return "An error (" + e.text +
                ") was experienced when attempting to update a record from the file.  Probable "
                "Cause: " +
                f + ".";
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {16, "Record Update Error",
     [](S, S, E) {
         return std::string(
             "An error was experienced changing this record.  Do you want to try to save again?");
     },
     kYesNoCancel, msg::Cancel, kExcl, W::Never, ""},
    {17, "Delete Operation Error",
     [](S f, S, E e) {
         return "An error (" + e.text +
                ") was experienced when attempting to delete a record from the file " + f + ".";
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {18, "Record Update Error",
     [](S, S, E) {
         return std::string(
             "An error was experienced deleting this record.  Do you want to try to save again?");
     },
     kYesNoCancel, msg::Cancel, kExcl, W::Never, ""},
    {19, "Invalid Request",
     [](S, S, E) {
         return std::string(
             "This procedure was called to insert a record, however inserts are not allowed for "
             "this procedure.  Press OK to return to the calling procedure");
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {20, "Invalid Request",
     [](S, S, E) {
         return std::string(
             "This procedure was called to change a record, however changes are not allowed for "
             "this procedure.  Press OK to return to the calling procedure");
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {21, "Invalid Request",
     [](S, S, E) {
         return std::string(
             "This procedure was called to delete a record, however deletions are not allowed "
             "for this procedure.  Press OK to return to the calling procedure");
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {22, "File Creation Not Allowed",
     [](S f, S, E) {
         return "The File " + f +
                "was not found, and creation of the file is not allowed.  Press OK to end this "
                "application.";
     },
     kOk, msg::OK, kExcl, W::Always, "File Creation Error!"},
    {23, "Update Cancelled",
     [](S, S, E) { return std::string("Are you sure you want to cancel?"); }, kYesNo, msg::No,
     kQuest, W::Never, ""},
    {24, "Duplicate Key Error",
     [](S f, S, E) { return "Adding this record creates a duplicate entry for the key:" + f; },
     kOk, msg::OK, kExcl, W::Never, ""},
    {25, "Auto Increment Error",
     [](S, S, E e) {
         return "Attempts to automatically number this record have failed.  Error: " + e.text +
                ".";
     },
     kRetryCancel, msg::Cancel, kExcl, W::Never, ""},
    {26, "File Load Error",
     [](S f, S, E e) { return f + " File Load Error.  Error: " + e.text + "."; }, kOk, msg::OK,
     kExcl, W::Never, ""},
    {27, "Cancel Request",
     [](S f, S, E) { return "Are you certain you want to stop loading " + f + "?"; }, kOkCancel,
     msg::Cancel, kQuest, W::Never, ""},
    {28, "File Load Error",
     [](S f, S, E) {
         return f + " File Load Error.  The file you've requested contains no text.";
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {29, "End of File Error",
     [](S f, S, E) {
         if (f.empty()) {
             return std::string(
                 "The end of the viewed file was encountered.  Do you want to start again from "
                 "the beginning?");
         }
         return std::string(
             "The beginning of the viewed file was encountered.  Do you want to start again "
             "from the end of the file?");
     },
     kYesNo, msg::Yes, kQuest, W::Never, ""},
    {30, "File Access Error",
     [](S f, S, E e) { return "File (" + f + ") could not be opened.  Error: " + e.text + "."; },
     kOk, msg::OK, kExcl, W::Never, ""},
    {31, "Process PUT Error",
     [](S f, S s, E e) {
         if (namesChange(s)) {
             return "An error was experienced when making changes to the " + f +
                    " file.  Error: " + e.text;
         }
         return "An error was experienced when deleting a record from the " + f +
                " file.  Error: " + e.text;
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {32, "Confirm Delete",
     [](S, S, E) {
         return std::string(
             "You've selected to delete the highlighted record.  Press OK to confirm deletion of "
             "this record.");
     },
     kOkCancel, msg::Cancel, kQuest, W::Never, ""},
    {33, "Update Cancelled",
     [](S, S, E) { return std::string("Do you want to save the changes to this record?"); },
     kYesNoCancel, msg::No, kQuest, W::Never, ""},
    {34, "Transaction Framing Error",
     [](S f, S s, E e) {
         return "Error: (" + e.text + ") attempting to frame the " + text::lower(s) +
                " transaction on " + f + ".  " + s + " transaction cancelled.";
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {35, "Record Retrieval Error",
     [](S f, S, E e) {
         return "Error: (" + e.text + ") attempting to access a record from the " + f +
                " file.  Returning to previous window.";
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {36, "View Open Error",
     [](S, S, E e) {
         return "Error: (" + e.text +
                ") attempting to open the current VIEW. Filter and Range Limits ignored.";
     },
     kOk, msg::OK, kExcl, W::Never, ""},
    {37, "Record Added",
     [](S, S, E) {
         return std::string(
             "This record has been added to the file. Do you want to add another record?");
     },
     kYesNo, msg::Yes, kQuest, W::Never, ""},
    {38, "Record Was Not Updated",
     [](S, S, E) {
         return std::string(
             "This record was changed by another station. Those changes will now be displayed. "
             "Use the Ditto Button or Ctrl+' to recall your changes.");
     },
     kOk, msg::OK, kExcl, W::Never, ""},
}};

}  // namespace

const StandardWarningEntry* standardWarningEntry(int32_t number) {
    if (number < 1 || number > kStandardWarningCount) return nullptr;
    return &kTable[static_cast<size_t>(number - 1)];
}

std::string standardWarningCaption(int32_t number, const std::string& first,
                                   const std::string& second) {
    const StandardWarningEntry* entry = standardWarningEntry(number);
    if (!entry) return {};
    if (number == Warn_EndOfFile && !first.empty()) return "Beginning of File Error";
    if (number == Warn_ProcessActionError && !namesChange(second)) return "Process DELETE Error";
    return entry->caption;
}

std::string standardWarningText(int32_t number, const std::string& first, const std::string& second,
                                const WarningError& error) {
    const StandardWarningEntry* entry = standardWarningEntry(number);
    if (!entry) return {};
    return entry->text(first, second, error);
}

std::string standardErrorText(int32_t number, const std::string& text, int32_t driverCode,
                              const std::string& driverMessage) {
    std::string built =
        number == 90 ? text::trimRight(driverMessage) + " (" + std::to_string(driverCode) + ")"
                     : text::trimRight(text) + " (" + std::to_string(number) + ")";
    return text::cutCharacters(built, 150);
}

int32_t StandardWarning(int32_t number, const std::string& first, const std::string& second,
                        const WarningError& error) {
    const StandardWarningEntry* entry = standardWarningEntry(number);
    if (!entry) return 0;
    const int32_t answer = ds_Message(standardWarningText(number, first, second, error),
                                      standardWarningCaption(number, first, second), entry->icon,
                                      entry->buttons, entry->defaultButton);
    const bool ends = entry->ending == WarningEnding::Always ||
                      (entry->ending == WarningEnding::OnNo && answer == msg::No);
    if (ends) ds_Halt(kFatalWarningExitCode, entry->closingMessage);
    return answer;
}

}  // namespace corelib
