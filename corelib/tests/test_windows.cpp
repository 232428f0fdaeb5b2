// The small utility windows: control re-layout, the procedure information window and its mail
// link, the calendar and the printer list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "corelib/daytime.h"
#include "corelib/message_script.h"
#include "corelib/thread_registry.h"
#include "corelib/ui/window_resize.h"
#include "corelib/ui/zor_calendar.h"
#include "corelib/ui/zor_enumprinters.h"
#include "corelib/ui/zor_showprocedure.h"

using namespace corelib;

namespace {

TEST(WindowResizeRule, MovesStretchesOrKeepsEachControlByItsPlace) {
    const QRect list(10, 10, 200, 100);  // the reference: right edge 209, bottom 109
    struct Case {
        const char* what;
        QRect control;
        ResizeKind kind;
        QRect expected;
    } cases[] = {
        {"the reference list grows", list, ResizeKind::Stretchable, QRect(10, 10, 230, 120)},
        {"a button right of it moves right", QRect(220, 10, 60, 20), ResizeKind::Button,
         QRect(250, 10, 60, 20)},
        {"a button below it moves down", QRect(10, 120, 60, 20), ResizeKind::Button,
         QRect(10, 140, 60, 20)},
        {"a button below and right moves both ways", QRect(220, 120, 60, 20), ResizeKind::Button,
         QRect(250, 140, 60, 20)},
        {"a button covering it keeps its size", QRect(0, 0, 300, 200), ResizeKind::Button,
         QRect(0, 0, 300, 200)},
        {"a group covering it grows", QRect(5, 5, 210, 110), ResizeKind::Stretchable,
         QRect(5, 5, 240, 130)},
        {"a label above and left stays", QRect(10, 0, 40, 8), ResizeKind::Fixed,
         QRect(10, 0, 40, 8)},
        {"a group spanning it across, below it, widens and moves down", QRect(0, 120, 300, 50),
         ResizeKind::Stretchable, QRect(0, 140, 330, 50)},
        {"a list beside it spanning it down grows taller and moves right", QRect(220, 0, 50, 150),
         ResizeKind::Stretchable, QRect(250, 0, 50, 170)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(resizedRect(c.control, c.kind, list, 30, 20), c.expected) << c.what;
    EXPECT_EQ(resizedRect(list, ResizeKind::Stretchable, list, -500, -500).size(), QSize(1, 1));
}

TEST(WindowResize, AppliesTheRuleToTheReferenceAndItsSiblings) {
    QWidget window;
    window.resize(300, 200);
    auto* list = new QListWidget(&window);
    list->setGeometry(10, 10, 200, 100);
    auto* ok = new QPushButton("OK", &window);
    ok->setGeometry(220, 10, 60, 20);
    auto* box = new QGroupBox(&window);
    box->setGeometry(10, 120, 200, 60);
    auto* inner = new QLabel("x", box);
    inner->setGeometry(5, 5, 20, 10);
    window.resize(340, 250);
    WINDOW_RESIZE(list, 300, 200);
    EXPECT_EQ(list->geometry(), QRect(10, 10, 240, 150));
    EXPECT_EQ(ok->geometry(), QRect(260, 10, 60, 20));
    EXPECT_EQ(box->geometry(), QRect(10, 170, 240, 60));  // spans it across: wider, moved down
    EXPECT_EQ(inner->geometry(), QRect(5, 5, 20, 10));
}

TEST(SupportMail, LinkNamesTheProcedureAndCanCarryAnAttachment) {
    EXPECT_EQ(supportMailLink("support@kestrelmoor.com", "Main", "Integrated Bank Reconciliation",
                              "7.17 build 0003"),
              "mailto:support@kestrelmoor.com?subject=Main/Integrated Bank Reconciliation "
              "Version 7.17 build 0003&body=Problem Description:");
    EXPECT_EQ(supportMailLink("a@b", "C", "D", "1", "shot.bmp"),
              "mailto:a@b?subject=C/D Version 1&body=Problem Description:%0A%0C&attachment; "
              "filename=\"shot.bmp\"");
    // Texts cannot add fields of their own to the link.
    EXPECT_EQ(supportMailLink("a@b", "R&D", "50% done?", "#2"),
              "mailto:a@b?subject=R%26D/50%25 done%3F Version %232&body=Problem Description:");
}

TEST(ProcedureInformation, ShowsTheProcedureAndLogsItself) {
    ScopedScriptedMessages messages;
    resetThreadRegistry();
    THREAD_LOG("Main");
    QStringList shown;
    QString date = "unset";
    int32_t depth = 0;
    QTimer::singleShot(30, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<ProcedureInfoWindow*>(w); p && p->isVisible()) {
                for (auto* l : p->findChildren<QLabel*>()) shown << l->text();
                date = p->findChild<QLabel*>("DateLastChanged")->text();
                depth = THREAD_CHECK("ZOR_SHOWPROCEDURE");
                p->findChild<QPushButton*>("Close")->click();
            }
    });
    ZOR_SHOWPROCEDURE("bankrec", "Integrated Bank Reconciliation", "7.17 build 0003", "main.cpp",
                      "Main", 0);
    EXPECT_TRUE(shown.contains("Component:"));
    EXPECT_TRUE(shown.contains("Date Last Changed:"));
    EXPECT_TRUE(shown.contains("Integrated Bank Reconciliation"));
    EXPECT_EQ(date, "");
    EXPECT_EQ(depth, 1);
    EXPECT_EQ(THREAD_CHECK("ZOR_SHOWPROCEDURE"), 0);
    EXPECT_EQ(messages->count(), 0u);
    resetThreadRegistry();

    ProcedureInfoWindow window("a", "b", "c", "d", "e", daytime::dayNumber(2026, 3, 9));
    EXPECT_FALSE(window.findChild<QLabel*>("DateLastChanged")->text().isEmpty());
}

TEST(CalendarMonth, CellsStartUnderTheFirstsWeekday) {
    // 1 March 2026 is a Sunday; 1 May 2026 a Friday.
    auto march = calendarCells(2026, 3);
    EXPECT_EQ(march[0], daytime::dayNumber(2026, 3, 1));
    EXPECT_EQ(march[30], daytime::dayNumber(2026, 3, 31));
    EXPECT_EQ(march[31], 0);
    auto may = calendarCells(2026, 5);
    EXPECT_EQ(may[4], 0);
    EXPECT_EQ(may[5], daytime::dayNumber(2026, 5, 1));
    EXPECT_EQ(may[35], daytime::dayNumber(2026, 5, 31));  // the 37 cells hold the longest month
    EXPECT_EQ(calendarCells(1800, 12)[10], 0);
}

TEST(CalendarMonth, MovingByMonthsKeepsTheDayWithinTheMonth) {
    const int32_t jan31 = daytime::dayNumber(2024, 1, 31);
    EXPECT_EQ(calendarAddMonths(jan31, 1), daytime::dayNumber(2024, 2, 29));
    EXPECT_EQ(calendarAddMonths(jan31, -1), daytime::dayNumber(2023, 12, 31));
    EXPECT_EQ(calendarAddMonths(jan31, 13), daytime::dayNumber(2025, 2, 28));
    const int32_t first = daytime::dayNumber(1801, 1, 1);
    EXPECT_EQ(calendarAddMonths(first, -1), first);
    EXPECT_EQ(calendarAddDays(first, -1), first);
}

TEST(CalendarWindowKeys, MoveTheDateAndOkStoresIt) {
    int32_t date = daytime::dayNumber(2026, 3, 9);
    QTimer::singleShot(30, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* c = qobject_cast<CalendarWindow*>(w); c && c->isVisible()) {
                QTest::keyClick(c, Qt::Key_PageDown);  // 9 April
                QTest::keyClick(c, Qt::Key_Down);      // 16 April
                QTest::keyClick(c, Qt::Key_Left);      // 15 April
                c->findChild<QPushButton*>("OK")->click();
            }
    });
    ZOR_CALENDAR(date);
    EXPECT_EQ(date, daytime::dayNumber(2026, 4, 15));

    QTimer::singleShot(30, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* c = qobject_cast<CalendarWindow*>(w); c && c->isVisible()) {
                QTest::keyClick(c, Qt::Key_PageUp);
                c->findChild<QPushButton*>("Cancel")->click();
            }
    });
    ZOR_CALENDAR(date);
    EXPECT_EQ(date, daytime::dayNumber(2026, 4, 15));

    CalendarWindow today(0);
    EXPECT_EQ(today.date(), daytime::today());
}

TEST(PrinterList, ReplacesTheQueueWithNamedPrinters) {
    std::vector<PrinterEntry> queue{{"stale", "old"}};
    ZOR_ENUMPRINTERS(queue);
    for (const auto& p : queue) {
        EXPECT_FALSE(p.name.empty());
        EXPECT_NE(p.name, "stale");
    }
}

}  // namespace
