// The "Report Reconciliation" windows, offscreen: their options kept for the run and the preview
// choice per user, and the reconciliation list, the worksheet and the viewer printing the
// current reconciliation through them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>

#include "bankrec/reconcile/reconcile_calls.h"
#include "bankrec/reconcile/ui/browse_aprec_window.h"
#include "bankrec/reconcile/ui/reconcile_widgets.h"
#include "bankrec/reconcile/ui/update_aprec_form.h"
#include "bankrec/reconcile/ui/update_aprec_new_form.h"
#include "bankrec/reconcile/update_aprec.h"
#include "bankrec/reconcile/update_aprec_new.h"
#include "bankrec/reports/ui/report_aprec_window.h"
#include "statement_fixture.h"

using namespace corelib;
using namespace storage;

namespace reports::testing {
namespace {

class StatementWindowTest : public StatementReportTest {
  protected:
    StatementWindowTest() { resetOptions(); }
    ~StatementWindowTest() override { resetOptions(); }
    static void resetOptions() {
        keptOptions(StatementReport::Completed) = {};
        keptOptions(StatementReport::Worksheet) = {};
    }

    std::string pdfFile() const { return folder() + "/statement.pdf"; }
    PrinterFactory toPdf() {
        return [this](const std::string&) { return std::make_unique<PdfTarget>(pdfFile()); };
    }
    std::unique_ptr<StatementReportWindow> window(StatementReport report) {
        auto w = std::make_unique<StatementReportWindow>(*session, report, nullptr, toPdf());
        w->load();
        return w;
    }

    // Answers the report window that `press` opens: notes which one it is and the
    // reconciliation current then, and prints without preview.
    struct Seen {
        std::string procedure;
        int32_t statement = 0;
    };
    Seen printThrough(const std::function<void()>& press) {
        Seen seen;
        QTimer::singleShot(0, [&] {
            auto* w = qobject_cast<StatementReportWindow*>(QApplication::activeModalWidget());
            ASSERT_NE(w, nullptr);
            seen.procedure = w->objectName().toStdString();
            seen.statement = session->file<APrec>().rec.ReconciliationID;
            w->printerOptions()->previewBox()->setChecked(false);
            w->okButton()->click();
        });
        QFile::remove(QString::fromStdString(pdfFile()));
        press();
        return seen;
    }
};

TEST_F(StatementWindowTest, KeepsEachWindowsOptionsForTheRunAndThePreviewChoicePerUser) {
    auto w = window(StatementReport::Completed);
    w->show();
    EXPECT_EQ(w->windowTitle(), "Report Reconciliation");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(w->optionBox(i)->isChecked(), i % 2 == 0) << i;
    EXPECT_TRUE(w->printerOptions()->previewBox()->isChecked());
    // Without a printer the clerk is told, under the window's title.
    const size_t shown = messages->count();
    if (w->printerOptions()->printerList()->topLevelItemCount() == 0) {
        ASSERT_EQ(shown, 1u);
        EXPECT_EQ(messages->last()->caption, "Report Reconciliation");
        EXPECT_EQ(messages->last()->text.rfind("No printers defined.", 0), 0u);
    }
    w->helpButton()->click();  // no action
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(messages->count(), shown);

    // Closed with the title bar: the options stay with this window, the preview choice with
    // the user.
    w->optionBox(3)->setChecked(true);
    w->optionBox(0)->setChecked(false);
    w->printerOptions()->previewBox()->setChecked(false);
    w->close();
    EXPECT_FALSE(w->isVisible());
    auto again = window(StatementReport::Completed);
    EXPECT_FALSE(again->optionBox(0)->isChecked());
    EXPECT_TRUE(again->optionBox(3)->isChecked());
    EXPECT_FALSE(again->printerOptions()->previewBox()->isChecked());
    auto other = window(StatementReport::Worksheet);
    EXPECT_TRUE(other->optionBox(0)->isChecked());
    EXPECT_FALSE(other->optionBox(3)->isChecked());
    EXPECT_TRUE(other->printerOptions()->previewBox()->isChecked());

    // Cancel keeps them too, and prints nothing.
    again->show();
    again->optionBox(1)->setChecked(true);
    again->cancelButton()->click();
    EXPECT_FALSE(again->isVisible());
    EXPECT_TRUE(keptOptions(StatementReport::Completed).unmarkedDeposits);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(pdfFile())));
}

TEST_F(StatementWindowTest, ListWorksheetAndViewerPrintThroughTheirWindows) {
    reconcile::ReconcileCalls calls;
    useStatementReports(calls, toPdf());
    const int32_t done = addStatement(true, 124250, 0, 0, 1, 700);
    addCaptured(done, "Check", "CHK-CLEARED", 700, true);
    addItem("Check", "CHK-OPEN", 2500, false);
    makeCurrent(done);

    // The list prints a done statement with the completed report...
    {
        reconcile::BrowseAPrecWindow list(*session, params, calls);
        ASSERT_TRUE(list.open());
        list.show();
        list.list()->selectRow(0);
        const Seen seen = printThrough([&] { list.printButton()->click(); });
        EXPECT_EQ(seen.procedure, "ReportAPrecWindow");
        EXPECT_EQ(seen.statement, done);
        EXPECT_NE(pdfText(pdfFile()).find("CHK-CLEARED"), std::string::npos);
    }

    // ...the worksheet saves, then prints what the clerk has typed and marked...
    {
        reconcile::Worksheet worksheet(*session, params, calls);
        ASSERT_TRUE(worksheet.open());
        reconcile::UpdateAPrecNewForm form(worksheet);
        form.show();
        QLineEdit* ending = form.field(reconcile::SummaryField::EndingBalance);
        ending->setText("1,217.50");
        emit ending->editingFinished();
        form.list(reconcile::WorksheetList::Checks)->selectRow(0);
        form.markButton(reconcile::WorksheetList::Checks)->click();
        const Seen seen = printThrough([&] { form.printButton()->click(); });
        EXPECT_EQ(seen.procedure, "ReportAPrecNewWindow");
        EXPECT_EQ(seen.statement, worksheet.record().ReconciliationID);
        EXPECT_TRUE(form.isVisible());
        const std::string text = pdfText(pdfFile());
        for (const char* shown : {"1,217.50", "CHK-OPEN", "25.00"})
            EXPECT_NE(text.find(shown), std::string::npos) << shown;
        form.reject();
    }

    // ...and the viewer the statement it shows.
    makeCurrent(done);
    reconcile::ReconciliationViewer viewer(*session, params, calls);
    viewer.open();
    reconcile::UpdateAPrecForm form(viewer);
    form.show();
    const Seen seen = printThrough([&] { form.printButton()->click(); });
    EXPECT_EQ(seen.procedure, "ReportAPrecWindow");
    EXPECT_EQ(seen.statement, done);
    EXPECT_NE(pdfText(pdfFile()).find("CHK-CLEARED"), std::string::npos);
    form.reject();
}

}  // namespace
}  // namespace reports::testing
