// Workbook files read directly: their sheets as topics, the text of each kind of cell, files that
// are not workbooks, and a whole spreadsheet import from one. The files were made by Calc
// (data/make_workbooks.py).
#include <filesystem>

#include "bankrec/imports/excel_import.h"
#include "bankrec/imports/workbook_link.h"
#include "corelib/daytime.h"
#include "corelib/picture.h"
#include "imports_fixture.h"

using namespace corelib;
using namespace imports;

namespace {

std::string dataFile(const std::string& name) {
    return std::string(BANKREC_IMPORT_TEST_DATA) + "/" + name;
}

std::string shortDate(int y, int m, int d) {
    return picture::formatDate("@d17", daytime::dayNumber(y, m, d));
}

std::vector<std::string> cells(WorkbookLink& link, int32_t row) {
    std::vector<std::string> out;
    EXPECT_TRUE(link.readCells(row, {1, 2, 3}, out)) << link.error();
    return out;
}

class WorkbookLinkTest : public ::testing::TestWithParam<std::string> {};

std::string extensionName(const ::testing::TestParamInfo<std::string>& info) {
    return info.param;
}

}  // namespace

TEST_P(WorkbookLinkTest, SheetsAreTopicsAndCellsReadAsShown) {
    const std::string file = "cleared." + GetParam();
    WorkbookLink link(dataFile(file));
    ASSERT_TRUE(link.connect()) << link.error();
    std::vector<std::string> topics;
    ASSERT_TRUE(link.topics(topics));
    EXPECT_EQ(topics, (std::vector<std::string>{"[" + file + "]Cleared", "[" + file + "]Second"}));
    ASSERT_TRUE(link.openTopic("[" + file + "]Cleared")) << link.error();

    const bool xlsx = GetParam() == "xlsx";
    // Text keeps its characters; dates read as the short date; numbers with the decimals of
    // their format where the file keeps it (an .xlsx), else in their plain form.
    EXPECT_EQ(cells(link, 2), (std::vector<std::string>{"0001234", xlsx ? "125.00" : "125",
                                                        shortDate(2024, 1, 15)}));
    EXPECT_EQ(cells(link, 3), (std::vector<std::string>{"1235", xlsx ? "1,286.40" : "1286.4",
                                                        shortDate(2024, 1, 16)}));
    EXPECT_EQ(cells(link, 4), (std::vector<std::string>{"1236", "$75.5", "45308"}));
    EXPECT_EQ(cells(link, 5), (std::vector<std::string>{"", "", ""}));
    EXPECT_EQ(cells(link, 6), (std::vector<std::string>{"1237", "10", ""}));

    std::vector<std::string> out;
    EXPECT_FALSE(link.readCells(0, {1}, out));
    EXPECT_EQ(link.error(), "R0C1 is outside the sheet");
    EXPECT_FALSE(link.openTopic("[" + file + "]Third"));
}

INSTANTIATE_TEST_SUITE_P(Formats, WorkbookLinkTest, ::testing::Values("ods", "xlsx"),
                         extensionName);

TEST(WorkbookLink, FilesThatAreNoWorkbooksFailToConnectWithTheReason) {
    testsupport::Sandbox sandbox;
    WorkbookLink missing(sandbox.file("none.ods"));
    EXPECT_FALSE(missing.connect());
    EXPECT_EQ(missing.error(), sandbox.file("none.ods") + " was not found");

    const std::string text = sandbox.file("list.txt");
    std::ofstream(text) << "1234,1.00\n";
    WorkbookLink notBook(text);
    EXPECT_FALSE(notBook.connect());
    EXPECT_NE(notBook.error().find("(.ods or .xlsx)"), std::string::npos);

    // A damaged file: the start of a real one.
    const std::string cut = sandbox.file("cut.xlsx");
    std::filesystem::copy_file(dataFile("cleared.xlsx"), cut);
    std::filesystem::resize_file(cut, 700);
    WorkbookLink damaged(cut);
    EXPECT_FALSE(damaged.connect());
    EXPECT_EQ(damaged.error().rfind("Unable to read " + cut, 0), 0u) << damaged.error();
    std::vector<std::string> topics;
    EXPECT_FALSE(damaged.topics(topics));
}

class WorkbookImportTest : public ImportTest {};

TEST_F(WorkbookImportTest, AWorkbookFileImportsLikeTheOpenSpreadsheet) {
    const int32_t zeros = addCheck("0001234", 12500);
    const int32_t big = addCheck("1235", 128640);
    const int32_t text = addCheck("1236", 7550);
    const int32_t last = addCheck("1237", 1000);
    messages->answer(msg::OK);
    const ImportResult r =
        UpdateAPrecExcel(*session, true, false, true, 2, 0, 1, 2, 3, dataFile("cleared.xlsx"));
    EXPECT_EQ(r.end, ImportEnd::Completed);
    EXPECT_EQ(messages->last()->text, "About to process Excel spreadsheet [cleared.xlsx]Cleared");
    EXPECT_EQ(marked(), (std::vector<int32_t>{zeros, big, text, last}));
    EXPECT_EQ(row(zeros).ClearDate, daytime::dayNumber(2024, 1, 15));
    EXPECT_EQ(row(text).ClearDate, 45308);  // a plain number is a day number
    EXPECT_EQ(row(last).ClearDate, 0);
}
