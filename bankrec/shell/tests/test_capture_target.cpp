// The file a window capture goes to, from the name chosen in the save dialog.
#include <gtest/gtest.h>

#include "bankrec/shell/capture_target.h"

using shell::frame::CaptureTarget;
using shell::frame::captureTarget;

namespace {

TEST(CaptureTarget, SaveDialogNamesBecomeBitmapJpegOrClipboardTargets) {
    struct Case {
        const char* chosen;
        bool jpegFilter;
        const char* fileName;
        bool jpeg;
    };
    const Case cases[] = {
        {"report.txt", false, "report.bmp", false},
        {"scan", false, "scan.bmp", false},
        {"scan", true, "scan.jpg", true},
        {"a.b.c", false, "a.bmp", false},
        {"/home/j.doe/scans/june", false, "/home/j.doe/scans/june.bmp", false},
        {"/tmp/Shot.JPG", false, "/tmp/Shot.JPG", true},
        {"/tmp/shot.jpeg", false, "/tmp/shot.jpeg", true},
        {"/tmp/shot.png", true, "/tmp/shot.bmp", false},
        {"/tmp/clipboard.bmp", false, "CLIPBOARD", false},
        {"Clipboard.txt", false, "CLIPBOARD", false},
        {"clipboard", false, "CLIPBOARD", false},
        {"CLIPBOARD.jpg", false, "CLIPBOARD", false},
        {"myclipboard.bmp", false, "myclipboard.bmp", false},
        {"", false, "", false},
        {"", true, "", false},
    };
    for (const Case& c : cases) {
        const CaptureTarget t = captureTarget(c.chosen, c.jpegFilter);
        EXPECT_EQ(t.fileName, c.fileName) << c.chosen;
        EXPECT_EQ(t.jpeg, c.jpeg) << c.chosen;
    }
    EXPECT_EQ(captureTarget("/tmp/clipboard.txt", false, false).fileName, "/tmp/clipboard.bmp");
}

}  // namespace
