#pragma once
// A workbook file (.ods, .xlsx) read directly, as the spreadsheet reader's link: its sheets are
// the topics ("[file name]sheet") and a cell's text is what a spreadsheet shows for it, as far
// as the file tells: text as it stands; a date cell in the user's short date (mm/dd/yyyy);
// a number with the decimals and grouping of its format where the file keeps one (.xlsx),
// otherwise in its plain shortest form (1286.4). The whole file is read on connect().
#include <memory>
#include <string>

#include "bankrec/imports/spreadsheet_link.h"

namespace imports {

class WorkbookLink : public SpreadsheetLink {
  public:
    explicit WorkbookLink(std::string path);
    ~WorkbookLink() override;

    // Reads the file. false (error() says why) when it is missing, unreadable or not a workbook
    // of a kind this link reads.
    bool connect() override;
    bool topics(std::vector<std::string>& out) override;
    bool openTopic(const std::string& topic) override;
    bool readCells(int32_t row, const std::vector<int32_t>& columns,
                   std::vector<std::string>& out) override;
    void close() override;

  private:
    struct Book;
    std::string path_;
    std::unique_ptr<Book> book_;
    int sheet_ = -1;
};

}  // namespace imports
