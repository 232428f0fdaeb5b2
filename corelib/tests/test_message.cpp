// The message service: captions, INI defaults, line breaks, the stop prompt and the halt,
// through the scripted backend.
#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

#include "corelib/message.h"
#include "corelib/message_box.h"
#include "corelib/message_script.h"
#include "testsupport/sandbox.h"

using namespace corelib;

namespace {

class MessageServiceTest : public ::testing::Test {
  protected:
    void TearDown() override {
        ThisMessageBox.setIniFile({});
        ThisMessageBox.setProperty("", "", true);
        ThisMessageBox.setMessageDebug(false);
    }
    std::string iniPath() const { return sandbox.file("Bankrec.INI"); }

    testsupport::Sandbox sandbox;
    ScopedScriptedMessages& messages = sandbox.messages;
};

TEST_F(MessageServiceTest, WithoutIniAYesNoQuestionShowsBuiltInCaptionsAndReturnsTheAnswer) {
    messages->answers({msg::Yes, msg::No});
    EXPECT_EQ(ds_Message("Delete?", "Confirm", icon::Question, msg::Yes + msg::No), msg::Yes);
    EXPECT_EQ(ds_Message("Delete?", "Confirm", icon::Question, msg::Yes + msg::No), msg::No);
    const auto* m = messages->last();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->captions[1], "&Yes");
    EXPECT_EQ(m->captions[2], "&No");
    EXPECT_EQ(m->captions[0], "OK");
    EXPECT_EQ(m->captions[6], "Cancel");
    EXPECT_EQ(ThisMessageBox.lastAnswer(), msg::No);
}

TEST_F(MessageServiceTest, UnansweredMessagesTakeTheDefaultButtonOrTheFirstOfTheSet) {
    EXPECT_EQ(ds_Message("a", "", "", msg::Yes + msg::No, msg::No), msg::No);
    EXPECT_EQ(ds_Message("b", "", "", msg::Yes + msg::No), msg::Yes);
    EXPECT_EQ(ds_Message("c", "", "", msg::Retry + msg::Cancel, msg::OK), msg::Retry);
    EXPECT_EQ(ds_Message("d", "", "", 0), msg::OK);  // an empty set shows OK
    messages->setAssumeYes(true);
    EXPECT_EQ(ds_Message("e", "", "", msg::Yes + msg::No, msg::No), msg::Yes);
    EXPECT_EQ(ds_Message("f", "", "", msg::Retry + msg::Cancel, msg::Cancel), msg::Retry);
    EXPECT_EQ(ds_Message("g", "", "", msg::Abort + msg::Ignore, msg::Ignore), msg::Ignore);
}

TEST_F(MessageServiceTest, AssumedRetryGivesUpOnAQuestionThatKeepsComingBack) {
    messages->setAssumeYes(true);
    const int32_t buttons = msg::Retry + msg::Cancel;
    for (int i = 0; i < ScriptedMessages::kMaxAssumedRepeats; ++i)
        EXPECT_EQ(ds_Message("Numbering failed", "", "", buttons, msg::Cancel), msg::Retry);
    EXPECT_EQ(ds_Message("Numbering failed", "", "", buttons, msg::Cancel), msg::Cancel);
    // Another question starts afresh.
    EXPECT_EQ(ds_Message("Other", "", "", buttons, msg::Cancel), msg::Retry);
}

// A failed delete shows its notice, then asks to try again: the notices between the questions
// must not make each question look new, or a file held elsewhere keeps the run going for ever.
TEST_F(MessageServiceTest, AssumedYesGivesUpAlsoWhenANoticeComesBetweenTheQuestions) {
    messages->setAssumeYes(true);
    const int32_t buttons = msg::Yes + msg::No + msg::Cancel;
    for (int i = 0; i < ScriptedMessages::kMaxAssumedRepeats; ++i) {
        EXPECT_EQ(ds_Message("Transaction framing error", "", "", msg::OK), msg::OK);
        EXPECT_EQ(ds_Message("Try again?", "", "", buttons, msg::Cancel), msg::Yes);
    }
    EXPECT_EQ(ds_Message("Transaction framing error", "", "", msg::OK), msg::OK);
    EXPECT_EQ(ds_Message("Try again?", "", "", buttons, msg::Cancel), msg::Cancel);
}

TEST_F(MessageServiceTest, PerCallCaptionsRelabelButtonsUntilReset) {
    ThisMessageBox.setProperty("Buttons", "Go,Stop");
    ds_Message("x", "", "", msg::OK + msg::Yes);
    EXPECT_EQ(messages->last()->captions[0], "Go");
    EXPECT_EQ(messages->last()->captions[1], "Stop");
    EXPECT_EQ(messages->last()->captions[2], "&No");

    ThisMessageBox.setProperty("colour", "Red,Blue");  // not a button property: ignored
    ds_Message("y", "", "", msg::OK);
    EXPECT_EQ(messages->last()->captions[0], "Go");

    ThisMessageBox.setProperty("", std::string(60, 'W'));  // blank name counts; cut to 49
    EXPECT_EQ(ThisMessageBox.buttonCaption(0), std::string(49, 'W'));

    ThisMessageBox.setProperty("BUTTON", "", true);
    ds_Message("z", "", "", msg::OK);
    EXPECT_EQ(messages->last()->captions[0], "OK");
    EXPECT_EQ(messages->last()->captions[1], "&Yes");
}

TEST_F(MessageServiceTest, CaptionsComeFromPerCallThenIniThenBuiltIn) {
    {
        QSettings ini(QString::fromStdString(iniPath()), QSettings::IniFormat);
        ini.setValue("MessageBox_Buttons/Button:OK", "Fine");
        ini.setValue("MessageBox_Buttons/Button:No", "Nope");
    }
    ThisMessageBox.setIniFile(iniPath());
    EXPECT_EQ(ThisMessageBox.buttonCaption(0), "Fine");
    EXPECT_EQ(ThisMessageBox.buttonCaption(2), "Nope");
    EXPECT_EQ(ThisMessageBox.buttonCaption(1), "&Yes");  // written as default, read back
    ThisMessageBox.setProperty("button", "Sure");
    EXPECT_EQ(ThisMessageBox.buttonCaption(0), "Sure");
    EXPECT_EQ(ThisMessageBox.buttonCaption(8), "");
}

TEST_F(MessageServiceTest, IniDefaultsAreWrittenOnlyWhereMissing) {
    {
        QSettings ini(QString::fromStdString(iniPath()), QSettings::IniFormat);
        ini.setValue("MessageBox_Text/StopHeader", "Wait");
        ini.setValue("MessageBox_Email/Subject", "Mine");
    }
    ThisMessageBox.setIniFile(iniPath());
    QSettings ini(QString::fromStdString(iniPath()), QSettings::IniFormat);
    EXPECT_EQ(ini.value("MessageBox_Buttons/Button:OK").toString(), "OK");
    EXPECT_EQ(ini.value("MessageBox_Buttons/Button:Help").toString(), "&Help");
    EXPECT_EQ(ini.value("MessageBox_Text/StopHeader").toString(), "Wait");
    EXPECT_EQ(ini.value("MessageBox_Text/StopDefault").toString(), "Exit?");
    EXPECT_EQ(ini.value("MessageBox_Text/DontShowThisAgain").toString(), "Don't Show This Again");
    EXPECT_EQ(ini.value("MessageBox_Email/Subject").toString(), "Mine");
    EXPECT_FALSE(ini.contains("MessageBox_Email/Body"));  // its test key was present
    EXPECT_EQ(ini.value("MessageBox_Logging/Default Header").toString(),
              "Date,Time,Duration,User,Button,Heading,Message Text");

    // A changed caption survives setting the file again.
    ini.setValue("MessageBox_Buttons/Button:Yes", "Ja");
    ini.sync();
    ThisMessageBox.setIniFile(iniPath());
    EXPECT_EQ(ThisMessageBox.buttonCaption(1), "Ja");
}

TEST_F(MessageServiceTest, HandWrittenIniKeysAreRead) {
    QFile f(QString::fromStdString(iniPath()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[MessageBox_Buttons]\nButton:OK=Okay\n[MessageBox_Text]\nStopHeader=Halt Here\n");
    f.close();
    ThisMessageBox.setIniFile(iniPath());
    EXPECT_EQ(ThisMessageBox.buttonCaption(0), "Okay");
    messages->answer(msg::Ignore);
    ds_Stop();
    EXPECT_EQ(messages->last()->caption, "Halt Here");
}

TEST(MessageLines, BreaksAtBarCrLfAndLf) {
    const auto lines = splitMessageText("one|two\r\nthree\nfour\rfive");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "one");
    EXPECT_EQ(lines[0].cause, "Vert Bar|");
    EXPECT_EQ(lines[0].position, 4);
    EXPECT_EQ(lines[1].text, "two");
    EXPECT_EQ(lines[1].cause, "<13,10>");
    EXPECT_EQ(lines[1].position, 8);
    EXPECT_EQ(lines[2].text, "three");
    EXPECT_EQ(lines[2].cause, "<10>");
    EXPECT_EQ(lines[3].text, "four\rfive");  // a lone CR is no break
    EXPECT_EQ(lines[3].position, 0);
    EXPECT_EQ(splitMessageText("").size(), 1u);
    EXPECT_EQ(messageBreakReport(lines[0]),
              "In ExtractStringToQueue: Progress: 4, one, Vert Bar|, 3");
}

TEST_F(MessageServiceTest, MessageTextReachesTheBackendWithLineFeeds) {
    ds_Message("a|b\r\nc", "Cap");
    EXPECT_EQ(messages->last()->text, "a\nb\nc");
    EXPECT_EQ(messages->last()->caption, "Cap");
}

TEST_F(MessageServiceTest, MesdbgReportsEachBreakThroughTheStopPrompt) {
    ThisMessageBox.setCommandLine({"bankrec", "Division=3", "/MESDBG"});
    ASSERT_TRUE(ThisMessageBox.messageDebug());
    messages->answers({msg::Ignore, msg::Ignore, msg::OK});
    ds_Message("ab|cd\nef");
    ASSERT_EQ(messages->count(), 3u);
    EXPECT_EQ(messages->messages()[0].caption, "Stop");
    EXPECT_EQ(messages->messages()[0].buttons, msg::Abort + msg::Ignore);
    EXPECT_EQ(messages->messages()[0].text,
              "In ExtractStringToQueue: Progress: 3, ab, Vert Bar\n, 2");
    EXPECT_EQ(messages->messages()[1].text, "In ExtractStringToQueue: Progress: 6, cd, <10>, 2");
    EXPECT_EQ(messages->messages()[2].text, "ab\ncd\nef");
}

TEST_F(MessageServiceTest, StopWithBlankTextAsksExitAndIgnoreReturns) {
    messages->answer(msg::Ignore);
    ds_Stop("  ");
    const auto* m = messages->last();
    EXPECT_EQ(m->text, "Exit?");
    EXPECT_EQ(m->caption, "Stop");
    EXPECT_EQ(m->buttons, 40);
    EXPECT_FALSE(messages->haltCode().has_value());
}

TEST_F(MessageServiceTest, StopAbortHaltsTheProgram) {
    messages->answer(msg::Abort);
    EXPECT_THROW(ds_Stop("Cannot go on"), ProgramHalted);
    EXPECT_EQ(messages->last()->text, "Cannot go on");
    EXPECT_EQ(messages->haltCode(), 0);
}

TEST_F(MessageServiceTest, HaltShowsItsTextUnderHaltAndEndsWithTheCode) {
    try {
        ds_Halt(99, "Missing arguments");
        FAIL() << "ds_Halt returned";
    } catch (const ProgramHalted& h) {
        EXPECT_EQ(h.exitCode, 99);
    }
    EXPECT_EQ(messages->last()->caption, "Halt");
    EXPECT_EQ(messages->last()->buttons, msg::OK);

    messages->clear();
    EXPECT_THROW(ds_Halt(3), ProgramHalted);
    EXPECT_EQ(messages->count(), 0u);  // no text: nothing shown
    EXPECT_EQ(messages->haltCode(), 3);
}

TEST_F(MessageServiceTest, BeepsAreCountedAndFixturesRestoreTheBackend) {
    ds_Beep();
    ds_Beep();
    EXPECT_EQ(messages->beeps(), 2);
    MessageBackend* outer = &ThisMessageBox.backend();
    {
        ScopedScriptedMessages inner;
        inner->answer(msg::No);
        EXPECT_EQ(ds_Message("q", "", "", msg::Yes + msg::No), msg::No);
        EXPECT_EQ(messages->count(), 0u);
    }
    EXPECT_EQ(&ThisMessageBox.backend(), outer);
    EXPECT_EQ(messages->find("q"), nullptr);
}

}  // namespace
