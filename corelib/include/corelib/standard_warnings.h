#pragma once
// The standard warnings: the fixed, numbered set of messages with which the program and its
// libraries report file and record errors. The whole set lives in one table here (caption,
// text, buttons, default button, icon and whether the program ends after it), so that every
// module words its file errors the same way. The table knows nothing of any storage engine:
// callers hand it the error already built as text (see standardErrorText).
#include <cstdint>
#include <string>

namespace corelib {

// The warning numbers, named after what they report.
enum StandardWarningNumber : int32_t {
    Warn_InvalidFile = 1,
    Warn_InvalidKey = 2,
    Warn_RebuildError = 3,
    Warn_CreateError = 4,
    Warn_CreateOpenError = 5,
    Warn_ProcedureToDo = 6,
    Warn_KeyedReadError = 7,
    Warn_RangeLow = 8,
    Warn_RangeHigh = 9,
    Warn_RangeBetween = 10,
    Warn_FieldNotInFile = 11,
    Warn_RestrictUpdate = 12,
    Warn_RestrictDelete = 13,
    Warn_InsertError = 14,
    Warn_UpdateError = 15,
    Warn_PutFailed = 16,
    Warn_DeleteError = 17,
    Warn_DeleteFailed = 18,
    Warn_InsertDisabled = 19,
    Warn_UpdateDisabled = 20,
    Warn_DeleteDisabled = 21,
    Warn_NoFileCreate = 22,
    Warn_ConfirmCancel = 23,
    Warn_DuplicateKey = 24,
    Warn_AutoIncError = 25,
    Warn_FileLoadError = 26,
    Warn_ConfirmCancelLoad = 27,
    Warn_FileZeroLength = 28,
    Warn_EndOfFile = 29,
    Warn_OpenFailed = 30,
    Warn_ProcessActionError = 31,
    Warn_ConfirmDelete = 32,
    Warn_SaveRecord = 33,
    Warn_LogoutError = 34,
    Warn_RecordFetchError = 35,
    Warn_ViewOpenFailed = 36,
    Warn_AddAnother = 37,
    Warn_ConcurrencyFailedFromForm = 38,
};

inline constexpr int32_t kStandardWarningCount = 38;

// Exit code of the program when a warning ends it.
inline constexpr int32_t kFatalWarningExitCode = 1;

// The error a warning shows: its number (0 when there is none) and its text as
// standardErrorText builds it.
struct WarningError {
    int32_t number = 0;
    std::string text;
};

// When the program ends after a warning.
enum class WarningEnding {
    Never,
    Always,  // after any answer
    OnNo,    // when the answer is No
};

// One row of the table. `text` builds the message from the first text ("file"), the second
// text and the error.
struct StandardWarningEntry {
    int32_t number = 0;
    const char* caption = "";
    std::string (*text)(const std::string& file, const std::string& second,
                        const WarningError& error) = nullptr;
    int32_t buttons = 0;
    int32_t defaultButton = 0;
    const char* icon = "";
    WarningEnding ending = WarningEnding::Never;
    const char* closingMessage = "";  // shown by the halt when the warning ends the program
};

// The table row of a warning number; nullptr for a number outside 1..38.
const StandardWarningEntry* standardWarningEntry(int32_t number);

// The caption of a warning; warnings 29 and 31 pick one of their two forms from the texts
// (29: end of file when the first text is empty; 31: PUT when the second text names a change).
// Empty for an unknown number.
std::string standardWarningCaption(int32_t number, const std::string& first,
                                   const std::string& second);
// The message text of a warning with its texts and error filled in. Empty for an unknown number.
std::string standardWarningText(int32_t number, const std::string& first, const std::string& second,
                                const WarningError& error);

// The error text shown by the warnings: `text` without trailing blanks + " (" + number + ")";
// for error 90 (an error of the storage driver itself) the driver's message without trailing
// blanks + " (" + driver code + ")". Cut to 150 characters (never inside a UTF-8 sequence).
std::string standardErrorText(int32_t number, const std::string& text, int32_t driverCode = 0,
                              const std::string& driverMessage = {});

// Shows warning `number` through ds_Message and returns the button pressed. When the warning
// ends the program (for that answer), calls ds_Halt with kFatalWarningExitCode and the closing
// message instead of returning. An unknown number shows nothing and returns 0.
int32_t StandardWarning(int32_t number, const std::string& first, const std::string& second,
                        const WarningError& error);

}  // namespace corelib
