// A report printed through Qt's print support (QPrinter), as the "Register Report" window prints,
// to a CUPS queue found in the printer list. With the window tests: it needs Qt's print support.
#include <gtest/gtest.h>

#include "bankrec/reports/ui/printer_target.h"
#include "corelib/ui/zor_enumprinters.h"
#include "cups_fixture.h"

using namespace corelib;

namespace reports::testing {
namespace {

TEST_F(CupsPrintTest, ThroughQPrinterTheQueueTurnsTheReportIntoAPdf) {
    // The printer list shows the queue with its device as the port.
    std::vector<PrinterEntry> printers;
    ZOR_ENUMPRINTERS(printers);
    ASSERT_EQ(printers.size(), 1u);
    EXPECT_EQ(printers[0].name, kQueue);
    EXPECT_EQ(printers[0].port, "cups-pdf:/");

    ASSERT_EQ(print([] { return std::make_unique<QPrinterTarget>(kQueue); }),
              ReportResult::Printed);
    const QString pdf = waitForPdf();
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF with \"" << marker << "\" in "
                                << outFolder().toStdString();
    const std::string text = pdfText(pdf.toStdString());
    for (const char* expected :
         {"Operating Account", "Payment or Debit", "CHK500", "CHK549", "Totals"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    EXPECT_EQ(pdfPageCount(pdf.toStdString()), 2);
}

}  // namespace
}  // namespace reports::testing
