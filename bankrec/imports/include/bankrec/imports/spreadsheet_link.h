#pragma once
// The spreadsheet program as the spreadsheet reader reaches it, in three steps: list the open
// sheets (as topics "[document]sheet"), open one, read cells of a row by column. Two links:
// the running LibreOffice Calc (calc_link.h) and a workbook file read directly
// (workbook_link.h). Rows and columns count from 1 (row 1, column 1 is cell A1).
#include <cstdint>
#include <string>
#include <vector>

namespace imports {

class SpreadsheetLink {
  public:
    virtual ~SpreadsheetLink() = default;

    // Reaches the program (or reads the file). false with error() set.
    virtual bool connect() = 0;
    // The open sheets, each as "[document]sheet". false with error() set.
    virtual bool topics(std::vector<std::string>& out) = 0;
    // Opens a topic listed by topics(). false with error() set (the document was closed, the
    // sheet removed or renamed meanwhile).
    virtual bool openTopic(const std::string& topic) = 0;
    // The shown text of the open topic's cells in `row` at `columns` (out gets one text per
    // column; an empty cell gives ""). false with error() set (no topic open, a row or column
    // outside the sheet, the program gone).
    virtual bool readCells(int32_t row, const std::vector<int32_t>& columns,
                           std::vector<std::string>& out) = 0;
    // Ends the conversation; the link may be connected again.
    virtual void close() = 0;

    // The error message of the last failure.
    const std::string& error() const { return error_; }

  protected:
    bool fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

  private:
    std::string error_;
};

// A topic's text for a document and a sheet: "[" + document + "]" + sheet.
std::string topicName(const std::string& document, const std::string& sheet);

}  // namespace imports
