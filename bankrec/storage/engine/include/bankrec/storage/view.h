#pragma once
// A view: the records of one file that pass a filter, in the order of a key. Two ways to read:
//
// - walking, like a file: reset()/resetEnd() then next()/previous() read into the FILE's buffer
//   (session.file<R>().rec) and make the record current there, so put()/erase() act on it;
// - paging, for list models: fetch(after, n) gives n rows after (or before) a position without
//   touching the buffer, so a list of 100,000 rows opens as fast as one of 100.
//
// Neither holds a statement or lock between calls. A view must not outlive its session. Rows whose
// key components are all empty are never in a view (they are not in the key).
//
//   View<APbac> v(session, APBAC_KEY_RECONCILED);
//   v.bindings().bind("APbnk:BankID", bankId);
//   if (int err = v.setFilter("APbac:BankID = APbnk:BankID AND NOT APbac:Reconciled")) ...
//   for (v.reset(); v.next() == Error::None;) { ... session.file<APbac>().rec ... }
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bankrec/storage/filter.h"
#include "bankrec/storage/record_file.h"
#include "bankrec/storage/records.h"

namespace storage {

class FileSession;
class Statement;

// Where a row sits in the view's order: its key values and its rowid.
struct ViewPosition {
    std::vector<FieldValue> keyValues;
    int64_t rowid = 0;
};

class ViewBase {
  public:
    virtual ~ViewBase();
    ViewBase(const ViewBase&) = delete;
    ViewBase& operator=(const ViewBase&) = delete;

    // Sets the filter text (see filter.h); 0 or Error::InvalidFilter (view unchanged). Bindings are
    // read when rows are read, so they may change between reads.
    Error setFilter(std::string_view text);
    FilterBindings& bindings() { return bindings_; }
    // Changes the order; 88 for a key of another file.
    Error setOrder(KeyId key);
    // Orders by a list of fields, each with + (ascending, the default) or - (descending), e.g.
    // "-APbac:ActivityType, +APbac:ActivityDate, +APbac:Reference"; ties go by rowid. Such a
    // view holds every row that passes the filter. Error::InvalidFilter for an unknown field.
    Error setOrder(std::string_view orderText);
    KeyId order() const { return key_; }

    // Number of rows in the view.
    Error count(int64_t& n);
    // Number of rows in the view and the exact sum of a number field over them, as stored (money
    // in cents), in one read without fetching any row ("APbac:PaymentOrDebit" or
    // "PaymentOrDebit"). Error::InvalidFilter for a text field or a field of another file; 90
    // when the sum overflows 64 bits. Both outputs are 0 on failure.
    Error sum(std::string_view field, int64_t& n, int64_t& total);

    // Walking into the file's buffer. next()/previous() give 33 at the end.
    void reset();     // before the first row
    void resetEnd();  // after the last row
    Error next();
    Error previous();

  protected:
    ViewBase(FileSession& session, KeyId key);
    // Reads up to n rows after `after` (from the start when null), or before it going backwards
    // (from the end when null), into rowSlot(0..), with their positions and revisions.
    Error fetchRows(const ViewPosition* after, int n, bool backwards,
                    std::vector<ViewPosition>& positions);
    // fetchRows for a page: the walk's read-ahead rows are given up first (they share the rows).
    Error fetchPage(const ViewPosition* after, int n, bool backwards,
                    std::vector<ViewPosition>& positions);
    virtual void resizeRows(size_t n) = 0;
    virtual void* rowSlot(size_t i) = 0;
    virtual void assignToFile(size_t i) = 0;

    FileSession& session_;
    RecordFileBase& file_;

  private:
    friend class FileSession;
    Error compile(std::string& where, std::vector<FieldValue>& params);
    // One row of two integer columns over the view's rows (count and sum).
    Error aggregate(const std::string& columns, int64_t& first, int64_t& second);
    Error walk(bool forward);
    void invalidateReadAhead();

    void updateSeekSkip();
    std::string orderSql(bool ascending) const;
    std::string seekSql(bool backwards) const;
    int bindSeek(Statement* s, int first, const ViewPosition& after) const;
    std::vector<FieldValue> positionValues(const void* rec) const;
    size_t orderSize() const;

    KeyId key_;
    std::vector<std::pair<int, bool>> fieldOrder_;  // (field, ascending); empty: key order
    size_t seekSkip_ = 0;  // leading key components the filter pins, left out of seeks
    Filter filter_;
    FilterBindings bindings_;
    std::vector<int64_t> revisions_;  // of the rows last fetched
    // The walk: rows read ahead, and where it continues when they are used up.
    enum class From { Start, End, Row } from_ = From::Start;
    ViewPosition last_;  // From::Row: the last row returned
    std::vector<ViewPosition> aheadPos_;
    std::vector<int64_t> aheadRev_;
    size_t aheadNext_ = 0;
    bool aheadForward_ = true;
    int chunk_ = 8;
};

template <Record R>
class View final : public ViewBase {
  public:
    View(FileSession& session, KeyId key) : ViewBase(session, key) {}

    struct Row {
        R rec;
        ViewPosition pos;
    };
    // Up to n rows after `after` (from the start when null); with backwards, up to n rows before
    // it going backwards (from the end when null), nearest first. Replaces `out`. 0 or an error.
    Error fetch(const ViewPosition* after, int n, std::vector<Row>& out, bool backwards = false) {
        std::vector<ViewPosition> positions;
        Error err = fetchPage(after, n, backwards, positions);
        out.clear();
        if (err != Error::None) return err;
        out.reserve(positions.size());
        for (size_t i = 0; i < positions.size(); ++i)
            out.push_back(Row{std::move(rows_[i]), std::move(positions[i])});
        return Error::None;
    }

  protected:
    void resizeRows(size_t n) override { rows_.resize(n); }
    void* rowSlot(size_t i) override { return &rows_[i]; }
    void assignToFile(size_t i) override { static_cast<RecordFile<R>&>(file_).rec = rows_[i]; }

  private:
    std::vector<R> rows_;
};

}  // namespace storage
