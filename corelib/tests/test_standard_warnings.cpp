// The standard warnings: exact texts, captions, buttons, and the error text they show.
#include <gtest/gtest.h>

#include "corelib/message.h"
#include "corelib/message_script.h"
#include "corelib/standard_warnings.h"

using namespace corelib;

namespace {

const WarningError kLocked{32, "File Is Locked (32)"};

TEST(StandardWarningTable, EveryNumberHasItsOwnRowWithCaptionTextAndButtons) {
    for (int32_t n = 1; n <= kStandardWarningCount; ++n) {
        const StandardWarningEntry* entry = standardWarningEntry(n);
        ASSERT_NE(entry, nullptr) << n;
        EXPECT_EQ(entry->number, n);
        EXPECT_FALSE(std::string(entry->caption).empty()) << n;
        EXPECT_FALSE(standardWarningText(n, "F", "Change", kLocked).empty()) << n;
        EXPECT_NE(entry->buttons, 0) << n;
        // The default button is one of the warning's own buttons.
        EXPECT_NE(entry->buttons & entry->defaultButton, 0) << n;
        if (entry->ending != WarningEnding::Never) {
            EXPECT_FALSE(std::string(entry->closingMessage).empty()) << n;
        }
    }
    EXPECT_EQ(standardWarningEntry(0), nullptr);
    EXPECT_EQ(standardWarningEntry(39), nullptr);
    EXPECT_EQ(standardWarningText(39, "F", "S", kLocked), "");
}

TEST(StandardWarningTable, FatalWarningsEndWithTheirClosingMessage) {
    struct Case {
        int32_t number;
        WarningEnding ending;
        const char* closing;
    } cases[] = {
        {1, WarningEnding::Always, "Invalid File!"},
        {2, WarningEnding::OnNo, "Invalid Key!"},
        {3, WarningEnding::Always, "Error Rebuilding Key!"},
        {4, WarningEnding::Always, "File Creation Error!"},
        {5, WarningEnding::Always, "File Creation Error!"},
        {22, WarningEnding::Always, "File Creation Error!"},
    };
    int fatal = 0;
    for (int32_t n = 1; n <= kStandardWarningCount; ++n)
        if (standardWarningEntry(n)->ending != WarningEnding::Never) ++fatal;
    EXPECT_EQ(fatal, 6);
    for (const Case& c : cases) {
        EXPECT_EQ(standardWarningEntry(c.number)->ending, c.ending) << c.number;
        EXPECT_STREQ(standardWarningEntry(c.number)->closingMessage, c.closing) << c.number;
    }
}

TEST(StandardWarningTable, ButtonsDefaultsAndIconsOfTheQuestions) {
    struct Case {
        int32_t number;
        int32_t buttons;
        int32_t def;
        const char* icon;
    } cases[] = {
        {2, msg::Yes | msg::No, msg::Yes, icon::Question},
        {16, msg::Yes | msg::No | msg::Cancel, msg::Cancel, icon::Exclamation},
        {18, msg::Yes | msg::No | msg::Cancel, msg::Cancel, icon::Exclamation},
        {23, msg::Yes | msg::No, msg::No, icon::Question},
        {25, msg::Retry | msg::Cancel, msg::Cancel, icon::Exclamation},
        {27, msg::OK | msg::Cancel, msg::Cancel, icon::Question},
        {29, msg::Yes | msg::No, msg::Yes, icon::Question},
        {32, msg::OK | msg::Cancel, msg::Cancel, icon::Question},
        {33, msg::Yes | msg::No | msg::Cancel, msg::No, icon::Question},
        {37, msg::Yes | msg::No, msg::Yes, icon::Question},
        {13, msg::OK, msg::OK, icon::Exclamation},
        {38, msg::OK, msg::OK, icon::Exclamation},
    };
    for (const Case& c : cases) {
        const StandardWarningEntry* e = standardWarningEntry(c.number);
        EXPECT_EQ(e->buttons, c.buttons) << c.number;
        EXPECT_EQ(e->defaultButton, c.def) << c.number;
        EXPECT_STREQ(e->icon, c.icon) << c.number;
    }
}

TEST(StandardWarningTexts, AreWordedExactlyWithTheirDoubleSpaces) {
    struct Case {
        int32_t number;
        const char* first;
        const char* second;
        WarningError error;
        const char* caption;
        const char* text;
    } cases[] = {
        {1, "03APbnk", "", kLocked, "Invalid File",
         "Error: (File Is Locked (32)) accessing 03APbnk.  Press OK to end this application."},
        {2,
         "03APbac",
         "",
         {},
         "Invalid Key",
         "03APbac key file is invalid.  Do you want to rebuild the key?"},
        {5, "03APrec", "", kLocked, "File Creation Error",
         "Error: (File Is Locked (32)) opening created file:03APrec.  Press OK to end this "
         "application."},
        {7, "", "", kLocked, "Record Retrieval Error",
         "Unable to read keyed record.  Error: File Is Locked (32).  Insert Aborted"},
        {10,
         "Amount",
         "1 and 9",
         {},
         "Range Error",
         "The value of Amount must be between 1 and 9."},
        {13,
         "APbac",
         "",
         {},
         "Referential Integrity Delete Error",
         "This record is referenced from the file APbac.  This record cannot be deleted while "
         "these references exist."},
        {15, "03APbnk", "", kLocked, "Update Operation Error",
         "An error (File Is Locked (32)) was experienced when attempting to update a record from "
         "the file.  Probable Cause: 03APbnk."},
        {15,
         "Record Changed by Another Station",
         "",
         {89, "Record Changed By Another Station (89)"},
         "Update Operation Error",
         "This record was changed by another station."},
        {15,
         "03APbnk",
         "",
         {},
         "Update Operation Error",
         "This record was changed by another station."},
        {17, "APbnu", "", kLocked, "Delete Operation Error",
         "An error (File Is Locked (32)) was experienced when attempting to delete a record from "
         "the file APbnu."},
        {22,
         "03APbnk",
         "",
         {},
         "File Creation Not Allowed",
         "The File 03APbnkwas not found, and creation of the file is not allowed.  Press OK to "
         "end this application."},
        {25, "", "", kLocked, "Auto Increment Error",
         "Attempts to automatically number this record have failed.  Error: File Is Locked "
         "(32)."},
        {29,
         "",
         "",
         {},
         "End of File Error",
         "The end of the viewed file was encountered.  Do you want to start again from the "
         "beginning?"},
        {29,
         "x",
         "",
         {},
         "Beginning of File Error",
         "The beginning of the viewed file was encountered.  Do you want to start again from "
         "the end of the file?"},
        {30, "03APbac", "", kLocked, "File Access Error",
         "File (03APbac) could not be opened.  Error: File Is Locked (32)."},
        {31, "APbac", "Put", kLocked, "Process PUT Error",
         "An error was experienced when making changes to the APbac file.  Error: File Is Locked "
         "(32)"},
        {31, "APbac", "Delete", kLocked, "Process DELETE Error",
         "An error was experienced when deleting a record from the APbac file.  Error: File Is "
         "Locked (32)"},
        {34, "03APbnk", "Delete", kLocked, "Transaction Framing Error",
         "Error: (File Is Locked (32)) attempting to frame the delete transaction on 03APbnk.  "
         "Delete transaction cancelled."},
        {35, "APbnk", "", kLocked, "Record Retrieval Error",
         "Error: (File Is Locked (32)) attempting to access a record from the APbnk file.  "
         "Returning to previous window."},
        {36, "", "", kLocked, "View Open Error",
         "Error: (File Is Locked (32)) attempting to open the current VIEW. Filter and Range "
         "Limits ignored."},
        {38,
         "",
         "",
         {},
         "Record Was Not Updated",
         "This record was changed by another station. Those changes will now be displayed. Use "
         "the Ditto Button or Ctrl+' to recall your changes."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(standardWarningCaption(c.number, c.first, c.second), c.caption) << c.number;
        EXPECT_EQ(standardWarningText(c.number, c.first, c.second, c.error), c.text) << c.number;
    }
}

TEST(StandardErrorText, IsTrimmedTextWithTheNumberOrTheDriversOwnForError90) {
    EXPECT_EQ(standardErrorText(40, "Creates Duplicate Key   "), "Creates Duplicate Key (40)");
    EXPECT_EQ(standardErrorText(90, "File System Error", 11, "database disk image is malformed  "),
              "database disk image is malformed (11)");
    EXPECT_EQ(standardErrorText(0, ""), " (0)");
}

TEST(StandardErrorText, IsCutTo150CharactersWithoutSplittingACharacter) {
    const std::string longText(200, 'x');
    EXPECT_EQ(standardErrorText(90, "", 26, longText), std::string(150, 'x'));
    std::string accented;
    for (int i = 0; i < 160; ++i) accented += "\xC3\xA9";  // é
    const std::string cut = standardErrorText(2, accented);
    EXPECT_EQ(cut.size(), 300u);
    EXPECT_EQ(cut.substr(298), "\xC3\xA9");
}

TEST(StandardWarningShown, GoesThroughTheMessageServiceAndReturnsTheAnswer) {
    ScopedScriptedMessages messages;
    messages->answer(msg::Retry);
    EXPECT_EQ(StandardWarning(Warn_AutoIncError, "", "", kLocked), msg::Retry);
    ASSERT_EQ(messages->count(), 1u);
    const RecordedMessage& m = *messages->last();
    EXPECT_EQ(m.caption, "Auto Increment Error");
    EXPECT_EQ(m.text,
              "Attempts to automatically number this record have failed.  Error: File Is Locked "
              "(32).");
    EXPECT_EQ(m.icon, icon::Exclamation);
    EXPECT_EQ(m.buttons, msg::Retry | msg::Cancel);
    EXPECT_EQ(m.defaultButton, msg::Cancel);
    EXPECT_FALSE(messages->haltCode());
    EXPECT_EQ(StandardWarning(99, "x", "y", kLocked), 0);
    EXPECT_EQ(messages->count(), 1u);
}

TEST(StandardWarningShown, FatalWarningsHaltWithTheClosingMessage) {
    ScopedScriptedMessages messages;
    EXPECT_THROW(StandardWarning(Warn_CreateError, "03APbnk", "", kLocked), ProgramHalted);
    ASSERT_EQ(messages->count(), 2u);
    EXPECT_EQ(messages->messages()[0].caption, "File Creation Error");
    EXPECT_EQ(messages->messages()[1].text, "File Creation Error!");
    EXPECT_EQ(messages->haltCode(), kFatalWarningExitCode);
}

TEST(StandardWarningShown, InvalidKeyEndsOnlyWhenTheAnswerIsNo) {
    ScopedScriptedMessages messages;
    messages->answer(msg::Yes);
    EXPECT_EQ(StandardWarning(Warn_InvalidKey, "03APbac", "", {}), msg::Yes);
    EXPECT_FALSE(messages->haltCode());
    messages->answer(msg::No);
    EXPECT_THROW(StandardWarning(Warn_InvalidKey, "03APbac", "", {}), ProgramHalted);
    EXPECT_EQ(messages->last()->text, "Invalid Key!");
    EXPECT_EQ(messages->haltCode(), kFatalWarningExitCode);
}

}  // namespace
