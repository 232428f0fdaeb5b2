#pragma once
// A joined view: the rows of a chain of record files linked by keys, such as a reconciliation
// with its captured items and each item's activity row, or the banks with their activity. One
// filter text ranges over the fields of every file of the chain; the rows come in the order of
// the first file's key (each file's rows within the one before it in the order of its linking
// key), or in the order of a list of fields of any of the files.
//
//   JoinView<APrec, APrac, APbac> v(session, APREC_KEY_RECONCILIATIONID,
//                                  {JoinLink{APRAC_KEY_RECONCILIATIONID},
//                                   JoinLink{APBAC_KEY_ACTIVITYID}});
//   if (v.setFilter("APrec:ReconciliationID=7 AND APrac:Marked=1") != Error::None) ...
//   for (v.reset(); v.next() == Error::None;) { const APbac& activity = v.get<APbac>(); ... }
//
// A link joins a file by one of its keys: the key's leading components equal fields of the
// files before it (by default the key's first component and the field of the same name in the
// previous file). An inner link leaves out rows without a partner; an outer link keeps them with
// the missing file's record blank (has() tells), and its fields count as 0 or empty in filters.
//
// Reading never touches the files' record buffers or current records. Like View, a joined view
// holds no statement or lock between calls; next() reads ahead a page that grows to 256 rows,
// kept until reset() (rows written by the session meanwhile are seen as they were read). The
// files are attached together on one connection: inside a transaction of the session that names
// every file of the chain, the transaction's own (the view sees its writes); otherwise the view
// reads what is committed. A joined view must not outlive its session.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "bankrec/storage/filter.h"
#include "bankrec/storage/records.h"
#include "bankrec/storage/storage_error.h"

namespace storage {

class FileSession;
class Statement;
struct Connection;

enum class JoinKind {
    Inner,  // rows without a partner in the joined file are left out
    Outer,  // such rows stay, with the joined file's record blank
};

struct JoinLink {
    KeyId key;  // a key of the joined file
    // Fields of the earlier files ("APrec:ReconciliationID") that the key's leading components
    // equal, in order; empty: the key's first component, by name, in the file before.
    std::vector<std::string> linkFields = {};
    JoinKind kind = JoinKind::Inner;
};

// Where a row sits in the view's order: the values of every ordering term.
struct JoinPosition {
    std::vector<FieldValue> values;
};

class JoinViewBase {
  public:
    virtual ~JoinViewBase();
    JoinViewBase(const JoinViewBase&) = delete;
    JoinViewBase& operator=(const JoinViewBase&) = delete;

    // The error of the view's set-up (a link that does not fit the chain: 88), Error::None when
    // it is sound. Every read gives this error while it is set.
    Error setupError() const { return setup_; }

    // Sets the filter over the chain's fields (see filter.h); Error::InvalidFilter leaves the view
    // unchanged. Bindings are read when rows are read.
    Error setFilter(std::string_view text);
    FilterBindings& bindings() { return bindings_; }
    // Orders by fields of any file of the chain, each with + (ascending, the default) or -
    // ("-APrac:ActivityType, +APrac:ActivityDate"); ties keep the key order. Empty text: the key
    // order again. Error::InvalidFilter for a field that is not in the chain.
    Error setOrder(std::string_view orderText);

    // Number of rows in the view.
    Error count(int64_t& n);

    // Walking: reset() goes before the first row; next() reads the next row (33 at the end).
    void reset();
    Error next();

  protected:
    JoinViewBase(FileSession& session, KeyId order, std::vector<FileId> files,
                 std::vector<JoinLink> links);
    // Up to n rows after `after` (from the start when null), or before it going backwards (from
    // the end when null), into rowSlot(0..), with their positions and, per row and file of the
    // chain, whether the file had a partner.
    Error fetchRows(const JoinPosition* after, int n, bool backwards,
                    std::vector<JoinPosition>& positions, std::vector<std::vector<bool>>& present);
    // The fetch target: n blank rows; the record of the file at chain index `file` in row i.
    virtual void resizeRows(size_t n) = 0;
    virtual void* rowSlot(size_t i, size_t file) = 0;
    // The rows just fetched become the walk's read-ahead; read-ahead row i the current row.
    virtual void keepAhead() = 0;
    virtual void makeCurrent(size_t i, const std::vector<bool>& present) = 0;

  private:
    struct Term {
        std::string sql;  // expression as selected and ordered
        bool ascending = true;
    };
    std::string columnSql(size_t file, int field) const;
    // "NOT (...)": the row of file `file` has a component of `key` that is not empty.
    std::string presentSql(size_t file, const KeyDef& key) const;
    std::string fromSql(const Connection& c) const;
    void buildLinks();
    void keyOrder();
    // The WHERE condition with its parameters, and the connection to read on.
    Error prepareRead(std::string& where, std::vector<FieldValue>& params, Connection*& c);

    FileSession& session_;
    std::vector<FileId> files_;
    std::vector<const FileDef*> defs_;
    std::vector<JoinLink> links_;
    KeyId key_;
    Error setup_ = Error::None;
    std::vector<std::string> on_;  // ON condition of each joined file (chain index 1..)
    std::vector<Term> terms_;      // the order, ending in every file's rowid
    bool keyOrdered_ = true;
    Filter filter_;
    FilterBindings bindings_;
    // The walk: read-ahead positions and presence, and where it continues.
    bool started_ = false;
    JoinPosition last_;
    std::vector<JoinPosition> aheadPos_;
    std::vector<std::vector<bool>> aheadPresent_;
    size_t aheadNext_ = 0;
    int chunk_ = 8;
};

template <Record... Rs>
class JoinView final : public JoinViewBase {
  public:
    using Row = std::tuple<Rs...>;

    JoinView(FileSession& session, KeyId order, std::vector<JoinLink> links)
        : JoinViewBase(session, order, {Rs::kFile...}, std::move(links)) {}

    // The current row of the walk (blank records before the first next()).
    const Row& row() const { return row_; }
    template <Record R>
    const R& get() const {
        return std::get<R>(row_);
    }
    // Whether the current row has a record of file R (false only through an outer link).
    template <Record R>
    bool has() const {
        static_assert(indexOf<R>() < sizeof...(Rs), "not a file of the view");
        return present_[indexOf<R>()];
    }

    struct Fetched {
        Row row;
        JoinPosition pos;
        std::vector<bool> present;  // per file of the chain
        template <Record R>
        bool has() const {
            static_assert(indexOf<R>() < sizeof...(Rs), "not a file of the view");
            return present[indexOf<R>()];
        }
    };
    // Up to n rows after `after` (from the start when null); with backwards, up to n rows before
    // it going backwards (from the end when null), nearest first. Replaces `out`. For list
    // models and reports that page; the walk is not disturbed.
    Error fetch(const JoinPosition* after, int n, std::vector<Fetched>& out,
                bool backwards = false) {
        std::vector<JoinPosition> positions;
        std::vector<std::vector<bool>> present;
        Error err = fetchRows(after, n, backwards, positions, present);
        out.clear();
        if (err != Error::None) return err;
        out.reserve(positions.size());
        for (size_t i = 0; i < positions.size(); ++i)
            out.push_back(
                Fetched{std::move(rows_[i]), std::move(positions[i]), std::move(present[i])});
        return Error::None;
    }

  protected:
    void resizeRows(size_t n) override { rows_.assign(n, Row{}); }
    void* rowSlot(size_t i, size_t file) override { return slot(rows_[i], file); }
    void keepAhead() override { ahead_.swap(rows_); }
    void makeCurrent(size_t i, const std::vector<bool>& present) override {
        row_ = ahead_[i];
        present_ = present;
    }

  private:
    template <Record R>
    static constexpr size_t indexOf() {
        constexpr FileId ids[] = {Rs::kFile...};
        for (size_t i = 0; i < sizeof...(Rs); ++i)
            if (ids[i] == R::kFile) return i;
        return sizeof...(Rs);
    }
    template <size_t I = 0>
    static void* slot(Row& row, size_t file) {
        if constexpr (I < sizeof...(Rs)) {
            if (file == I) return &std::get<I>(row);
            return slot<I + 1>(row, file);
        } else {
            return nullptr;
        }
    }

    std::vector<Row> rows_;   // fetch target
    std::vector<Row> ahead_;  // the walk's read-ahead
    Row row_{};
    std::vector<bool> present_ = std::vector<bool>(sizeof...(Rs), true);
};

}  // namespace storage
