#include "bankrec/imports/workbook_link.h"

#include <ixion/address.hpp>
#include <ixion/formula_result.hpp>
#include <ixion/model_context.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/import_interface.hpp>
#include <orcus/spreadsheet/sheet.hpp>
#include <orcus/spreadsheet/styles.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "corelib/daytime.h"
#include "corelib/picture.h"
#include "corelib/text.h"

using namespace corelib;
namespace ss = orcus::spreadsheet;

namespace imports {

namespace {

// The largest sheet either format holds.
constexpr ss::row_t kMaxRows = 1048576;
constexpr ss::col_t kMaxColumns = 16384;

using Cell = std::pair<ss::row_t, ss::col_t>;

// An .ods file marks date cells as dates; the model keeps only their numbers, so the import's
// sheets are wrapped to note which cells were dates.
class DateNotingSheet : public ss::iface::import_sheet {
  public:
    DateNotingSheet(ss::iface::import_sheet& sheet, std::set<Cell>& dates)
        : s_(sheet), dates_(dates) {}

    ss::iface::import_sheet_view* get_sheet_view() override { return s_.get_sheet_view(); }
    ss::iface::import_sheet_properties* get_sheet_properties() override {
        return s_.get_sheet_properties();
    }
    ss::iface::import_data_table* get_data_table() override { return s_.get_data_table(); }
    ss::iface::import_auto_filter* get_auto_filter() override { return s_.get_auto_filter(); }
    ss::iface::import_table* get_table() override { return s_.get_table(); }
    ss::iface::import_conditional_format* get_conditional_format() override {
        return s_.get_conditional_format();
    }
    ss::iface::import_named_expression* get_named_expression() override {
        return s_.get_named_expression();
    }
    ss::iface::import_array_formula* get_array_formula() override { return s_.get_array_formula(); }
    ss::iface::import_formula* get_formula() override { return s_.get_formula(); }
    void set_auto(ss::row_t row, ss::col_t col, std::string_view s) override {
        s_.set_auto(row, col, s);
    }
    void set_string(ss::row_t row, ss::col_t col, ss::string_id_t id) override {
        s_.set_string(row, col, id);
    }
    void set_value(ss::row_t row, ss::col_t col, double value) override {
        s_.set_value(row, col, value);
    }
    void set_bool(ss::row_t row, ss::col_t col, bool value) override {
        s_.set_bool(row, col, value);
    }
    void set_date_time(ss::row_t row, ss::col_t col, int year, int month, int day, int hour,
                       int minute, double second) override {
        dates_.insert({row, col});
        s_.set_date_time(row, col, year, month, day, hour, minute, second);
    }
    void set_format(ss::row_t row, ss::col_t col, size_t xf) override {
        s_.set_format(row, col, xf);
    }
    void set_format(ss::row_t rowStart, ss::col_t colStart, ss::row_t rowEnd, ss::col_t colEnd,
                    size_t xf) override {
        s_.set_format(rowStart, colStart, rowEnd, colEnd, xf);
    }
    void fill_down_cells(ss::row_t row, ss::col_t col, ss::row_t size) override {
        s_.fill_down_cells(row, col, size);
    }
    ss::range_size_t get_sheet_size() const override { return s_.get_sheet_size(); }

  private:
    ss::iface::import_sheet& s_;
    std::set<Cell>& dates_;
};

class DateNotingFactory : public ss::import_factory {
  public:
    DateNotingFactory(ss::document& doc, std::map<ss::sheet_t, std::set<Cell>>& dates)
        : ss::import_factory(doc), doc_(doc), dates_(dates) {}

    ss::iface::import_sheet* append_sheet(ss::sheet_t index, std::string_view name) override {
        return wrap(ss::import_factory::append_sheet(index, name), index);
    }
    ss::iface::import_sheet* get_sheet(std::string_view name) override {
        return wrap(ss::import_factory::get_sheet(name), doc_.get_sheet_index(name));
    }
    ss::iface::import_sheet* get_sheet(ss::sheet_t index) override {
        return wrap(ss::import_factory::get_sheet(index), index);
    }

  private:
    ss::iface::import_sheet* wrap(ss::iface::import_sheet* sheet, ss::sheet_t index) {
        if (!sheet) return nullptr;
        std::unique_ptr<DateNotingSheet>& w = wrappers_[sheet];
        if (!w) w = std::make_unique<DateNotingSheet>(*sheet, dates_[index]);
        return w.get();
    }

    ss::document& doc_;
    std::map<ss::sheet_t, std::set<Cell>>& dates_;
    std::map<ss::iface::import_sheet*, std::unique_ptr<DateNotingSheet>> wrappers_;
};

// A number format as far as the cell's text needs it.
struct NumberShape {
    bool known = false;
    bool date = false;
    bool grouping = false;
    int decimals = 0;
};

// Reads a number format code ("#,##0.00", "[$-409]mm/dd/yyyy", "General"): its first section,
// without quoted text, bracketed parts and escaped characters.
NumberShape shapeOf(std::string_view code) {
    NumberShape shape;
    if (code.empty() || text::equalNoCase(code, "General") || code == "@") return shape;
    shape.known = true;
    bool afterPoint = false;
    for (size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == ';') break;
        if (c == '"') {
            const size_t close = code.find('"', i + 1);
            if (close == std::string_view::npos) break;
            i = close;
        } else if (c == '[') {
            const size_t close = code.find(']', i + 1);
            if (close == std::string_view::npos) break;
            i = close;
        } else if (c == '\\' || c == '_' || c == '*') {
            ++i;
        } else if (c == 'y' || c == 'Y' || c == 'd' || c == 'D') {
            shape.date = true;
        } else if (c == ',') {
            if (!afterPoint) shape.grouping = true;
        } else if (c == '.') {
            afterPoint = true;
        } else if (afterPoint && (c == '0' || c == '#')) {
            ++shape.decimals;
        }
    }
    return shape;
}

// Formats of the .xlsx numbers a file names by number only.
std::string builtinFormat(size_t id) {
    switch (id) {
        case 1:
            return "0";
        case 2:
            return "0.00";
        case 3:
            return "#,##0";
        case 4:
            return "#,##0.00";
        case 14:
        case 15:
        case 16:
        case 17:
        case 22:
            return "mm/dd/yyyy";
        default:
            return {};
    }
}

std::string plainNumber(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    if (std::string_view(buf).find('e') != std::string_view::npos)
        std::snprintf(buf, sizeof buf, "%.2f", value);
    return buf;
}

std::string shapedNumber(double value, const NumberShape& shape) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", shape.decimals, value);
    std::string out = buf;
    if (!shape.grouping) return out;
    const size_t digitsStart = out[0] == '-' ? 1 : 0;
    size_t digitsEnd = out.find('.');
    if (digitsEnd == std::string::npos) digitsEnd = out.size();
    for (size_t i = digitsEnd; i > digitsStart + 3; i -= 3) out.insert(i - 3, ",");
    return out;
}

// The short date text of a spreadsheet date number (days since 30 December 1899).
std::string serialDate(double serial) {
    if (!std::isfinite(serial) || serial < 1 || serial > 2958465) return plainNumber(serial);
    static const int32_t base = daytime::dayNumber(1899, 12, 30);
    const int32_t day = base + static_cast<int32_t>(std::floor(serial));
    return picture::formatDate("@d17", day);
}

}  // namespace

struct WorkbookLink::Book {
    Book() : doc(ss::range_size_t{kMaxRows, kMaxColumns}) {}
    ss::document doc;
    std::map<ss::sheet_t, std::set<Cell>> dates;
    std::map<size_t, std::string> formats;  // .xlsx number format id -> code
    std::string name;                       // the file's name, without its folder
    std::vector<std::string> topics;

    NumberShape shape(ss::sheet_t sheetIndex, ss::row_t row, ss::col_t col) const {
        const ss::sheet* sheet = doc.get_sheet(sheetIndex);
        if (!sheet) return {};
        const ss::cell_format_t* format =
            doc.get_styles().get_cell_format(sheet->get_cell_format(row, col));
        if (!format) return {};
        const auto found = formats.find(format->number_format);
        return shapeOf(found != formats.end() ? found->second
                                              : builtinFormat(format->number_format));
    }

    std::string number(ss::sheet_t sheetIndex, ss::row_t row, ss::col_t col, double value) const {
        const auto d = dates.find(sheetIndex);
        if (d != dates.end() && d->second.count({row, col})) return serialDate(value);
        const NumberShape s = shape(sheetIndex, row, col);
        if (s.date) return serialDate(value);
        if (s.known) return shapedNumber(value, s);
        return plainNumber(value);
    }
};

WorkbookLink::WorkbookLink(std::string path) : path_(std::move(path)) {}

WorkbookLink::~WorkbookLink() = default;

bool WorkbookLink::connect() {
    close();
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path path(path_);
    if (!fs::is_regular_file(path, ec)) {
        return fail(fs::exists(path, ec) ? path_ + " is not a file" : path_ + " was not found");
    }
    const std::string ext = text::lower(path.extension().string());
    auto book = std::make_unique<Book>();
    try {
        DateNotingFactory factory(book->doc, book->dates);
        if (ext == ".ods") {
            orcus::orcus_ods filter(&factory);
            filter.read_file(path_);
        } else if (ext == ".xlsx") {
            orcus::orcus_xlsx filter(&factory);
            filter.read_file(path_);
        } else {
            return fail(path_ + " is not a workbook this program reads (.ods or .xlsx)");
        }
    } catch (const std::exception& e) {
        return fail("Unable to read " + path_ + ": " + e.what());
    } catch (...) {
        return fail("Unable to read " + path_);
    }
    const ss::styles& styles = book->doc.get_styles();
    for (size_t i = 0; i < styles.get_number_format_count(); ++i) {
        const ss::number_format_t* f = styles.get_number_format(i);
        if (f && f->identifier != 0) book->formats[f->identifier] = std::string(f->format_string);
    }
    book->name = path.filename().string();
    for (size_t i = 0; i < book->doc.get_sheet_count(); ++i) {
        book->topics.push_back(topicName(
            book->name, std::string(book->doc.get_sheet_name(static_cast<ss::sheet_t>(i)))));
    }
    book_ = std::move(book);
    return true;
}

bool WorkbookLink::topics(std::vector<std::string>& out) {
    if (!book_) return fail("not connected");
    out = book_->topics;
    return true;
}

bool WorkbookLink::openTopic(const std::string& topic) {
    if (!book_) return fail("not connected");
    for (size_t i = 0; i < book_->topics.size(); ++i) {
        if (book_->topics[i] == topic) {
            sheet_ = static_cast<int>(i);
            return true;
        }
    }
    return fail("the workbook " + book_->name + " has no sheet " + topic);
}

bool WorkbookLink::readCells(int32_t row, const std::vector<int32_t>& columns,
                             std::vector<std::string>& out) {
    out.clear();
    if (!book_ || sheet_ < 0) return fail("no sheet is open");
    const ixion::model_context& cx = book_->doc.get_model_context();
    const ss::sheet_t sheet = static_cast<ss::sheet_t>(sheet_);
    for (int32_t column : columns) {
        if (row < 1 || column < 1 || row > kMaxRows || column > kMaxColumns) {
            return fail("R" + std::to_string(row) + "C" + std::to_string(column) +
                        " is outside the sheet");
        }
        const ss::row_t r = row - 1;
        const ss::col_t c = column - 1;
        const ixion::abs_address_t at(sheet, r, c);
        try {
            switch (cx.get_celltype(at)) {
                case ixion::celltype_t::string:
                    out.emplace_back(cx.get_string_value(at));
                    break;
                case ixion::celltype_t::numeric:
                    out.push_back(book_->number(sheet, r, c, cx.get_numeric_value(at)));
                    break;
                case ixion::celltype_t::boolean:
                    out.emplace_back(cx.get_boolean_value(at) ? "TRUE" : "FALSE");
                    break;
                case ixion::celltype_t::formula: {
                    const ixion::formula_result result = cx.get_formula_result(at);
                    if (result.get_type() == ixion::formula_result::result_type::value)
                        out.push_back(book_->number(sheet, r, c, result.get_value()));
                    else if (result.get_type() == ixion::formula_result::result_type::string)
                        out.push_back(result.get_string());
                    else
                        out.emplace_back();
                    break;
                }
                default:
                    out.emplace_back();
            }
        } catch (const std::exception& e) {
            return fail("R" + std::to_string(row) + "C" + std::to_string(column) + ": " + e.what());
        }
    }
    return true;
}

void WorkbookLink::close() {
    book_.reset();
    sheet_ = -1;
}

}  // namespace imports
