// A report handed to a CUPS printer without Qt's print support, as the command-line tool prints:
// the job reaches the queue as a PDF; a printer that does not exist is reported.
#include <gtest/gtest.h>

#include "cups_fixture.h"

using namespace corelib;

namespace reports::testing {
namespace {

TEST_F(CupsPrintTest, WithoutQtPrintSupportTheJobIsHandedToCupsAsAPdf) {
    ASSERT_EQ(print([] { return std::make_unique<CupsTarget>(kQueue); }), ReportResult::Printed);
    const QString pdf = waitForPdf();
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF with \"" << marker << "\" in "
                                << outFolder().toStdString();
    EXPECT_NE(pdfText(pdf.toStdString()).find("CHK549"), std::string::npos);

    // A printer that does not exist is reported, and nothing is left behind.
    EXPECT_EQ(print([] { return std::make_unique<CupsTarget>("no_such_queue"); }),
              ReportResult::Failed);
    const RecordedMessage* m = messages->find("Unable to print Check Register Report");
    ASSERT_NE(m, nullptr);
    EXPECT_NE(m->text.find("no_such_queue"), std::string::npos) << m->text;
    EXPECT_TRUE(QDir(QString::fromStdString(tmp)).entryList({"bankrec-print-*"}).isEmpty());
}

}  // namespace
}  // namespace reports::testing
