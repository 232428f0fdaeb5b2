#pragma once
// The rows of a view read a page at a time as a list asks for them, so a list of 100,000 rows
// opens as fast as one of 100 and scrolling to its end reads only the last page.
//
// The pager holds at most a few pages of rows. It remembers where every page it has read
// begins and ends (positions only), so a jump is read from the nearest known page boundary, or
// from the end of the view, walking the pages in between without keeping their rows.
//
// Each row read is turned into a `Shown` (the view's own row by default) as its page is kept;
// a Shown has a `pos` member, the row's place in the view.
//
//   ViewPager<APbac> pager(session, APBAC_KEY_RECONCILED);
//   pager.view().bindings().bind("Bank:BankID", int64_t{bank});
//   (void)pager.view().setFilter("APbac:BankID = Bank:BankID");
//   if (pager.refresh() == Error::None) ... pager.count(), pager.row(i) ...
#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <type_traits>
#include <utility>
#include <vector>

#include "bankrec/storage/records.h"
#include "bankrec/storage/storage_error.h"
#include "bankrec/storage/view.h"

namespace activity {

template <storage::Record R, class Shown = typename storage::View<R>::Row>
class ViewPager {
  public:
    using Source = typename storage::View<R>::Row;
    using Convert = std::function<Shown(Source&&)>;

    // Reads through `session`, whose file the caller holds open, in the order of `order`.
    // `convert` turns a row read into what the pager keeps (needed unless Shown is Source).
    ViewPager(storage::FileSession& session, storage::KeyId order, int pageSize = 100,
              int maxPages = 6, Convert convert = {})
        : view_(session, order),
          pageSize_(std::max(1, pageSize)),
          maxPages_(std::max(2, maxPages)),
          convert_(std::move(convert)) {}

    // The view read: its filter, bindings and order. Call refresh() after changing them.
    storage::View<R>& view() { return view_; }

    // Reads the view again: recounts and forgets every page. Error::None or the storage error
    // (the pager is then empty).
    storage::Error refresh() {
        pages_.clear();
        firstOf_.clear();
        lastOf_.clear();
        rowsRead_ = 0;
        count_ = 0;
        error_ = view_.count(count_);
        if (error_ != storage::Error::None) count_ = 0;
        return error_;
    }

    // Rows in the view as last counted.
    int64_t count() const { return count_; }
    int pageSize() const { return pageSize_; }

    // Row `index` (0-based), reading its page when needed; nullptr when out of range or when
    // the view changed so that the row is no longer there.
    const Shown* row(int64_t index) {
        if (index < 0 || index >= count_) return nullptr;
        const Page* p = page(index / pageSize_);
        if (!p) return nullptr;
        const size_t at = static_cast<size_t>(index % pageSize_);
        return at < p->rows.size() ? &p->rows[at] : nullptr;
    }
    // Row `index` when its page is held, for changing the copy shown; nullptr otherwise.
    Shown* heldRow(int64_t index) {
        if (index < 0 || index >= count_) return nullptr;
        auto it = pages_.find(index / pageSize_);
        if (it == pages_.end()) return nullptr;
        const size_t at = static_cast<size_t>(index % pageSize_);
        return at < it->second.rows.size() ? &it->second.rows[at] : nullptr;
    }
    // The index of the first held row for which `match` is true, or -1.
    template <class Match>
    int64_t findHeld(Match match) const {
        for (const auto& [number, p] : pages_)
            for (size_t i = 0; i < p.rows.size(); ++i)
                if (match(p.rows[i])) return number * pageSize_ + static_cast<int64_t>(i);
        return -1;
    }

    // Rows held in memory now, and rows read from storage since the last refresh.
    int64_t heldRows() const {
        int64_t n = 0;
        for (const auto& [number, p] : pages_) n += static_cast<int64_t>(p.rows.size());
        return n;
    }
    int64_t rowsRead() const { return rowsRead_; }
    storage::Error lastError() const { return error_; }

  private:
    struct Page {
        std::vector<Shown> rows;
        uint64_t used = 0;
    };

    int64_t lastPage() const { return count_ == 0 ? -1 : (count_ - 1) / pageSize_; }

    void remember(int64_t number, const std::vector<Source>& rows) {
        rowsRead_ += static_cast<int64_t>(rows.size());
        if (rows.empty()) return;
        firstOf_[number] = rows.front().pos;
        lastOf_[number] = rows.back().pos;
    }

    // Reads one page from a known boundary: its own start (page 0), the end of the page before,
    // the start of the page after, or the end of the view (the last page).
    storage::Error readPage(int64_t number, std::vector<Source>& out) {
        storage::Error err = storage::Error::None;
        if (number == 0) {
            err = view_.fetch(nullptr, pageSize_, out);
        } else if (auto before = lastOf_.find(number - 1); before != lastOf_.end()) {
            err = view_.fetch(&before->second, pageSize_, out);
        } else {
            const int64_t rows = number == lastPage() ? count_ - number * pageSize_ : pageSize_;
            auto after = firstOf_.find(number + 1);
            const storage::ViewPosition* from = after != firstOf_.end() ? &after->second : nullptr;
            if (!from && number != lastPage()) return storage::Error::NoRecord;
            err = view_.fetch(from, static_cast<int>(rows), out, true);
            std::reverse(out.begin(), out.end());
        }
        if (err == storage::Error::None) remember(number, out);
        return err;
    }

    const Page* page(int64_t number) {
        if (auto it = pages_.find(number); it != pages_.end()) {
            it->second.used = ++clock_;
            return &it->second;
        }
        // Walk from the nearest page whose boundary is known: forwards from below, or backwards
        // from above (the end of the view counts as known).
        int64_t below = -1;
        if (auto it = lastOf_.lower_bound(number); it != lastOf_.begin())
            below = std::prev(it)->first;
        int64_t above = lastPage() + 1;
        if (auto it = firstOf_.upper_bound(number); it != firstOf_.end()) above = it->first;
        const int64_t up = number - (below + 1);  // pages to walk before reaching `number`
        const int64_t down = above - 1 - number;

        std::vector<Source> rows;
        if (up <= down) {
            for (int64_t p = below + 1; p < number; ++p)
                if ((error_ = readPage(p, rows)) != storage::Error::None || rows.empty())
                    return nullptr;
        } else {
            for (int64_t p = above - 1; p > number; --p)
                if ((error_ = readPage(p, rows)) != storage::Error::None || rows.empty())
                    return nullptr;
        }
        if ((error_ = readPage(number, rows)) != storage::Error::None) return nullptr;

        if (static_cast<int>(pages_.size()) >= maxPages_) {
            auto oldest = std::min_element(
                pages_.begin(), pages_.end(),
                [](const auto& a, const auto& b) { return a.second.used < b.second.used; });
            pages_.erase(oldest);
        }
        Page& p = pages_[number];
        p.used = ++clock_;
        p.rows.reserve(rows.size());
        for (auto& r : rows) {
            if constexpr (std::is_same_v<Shown, Source>)
                p.rows.push_back(std::move(r));
            else
                p.rows.push_back(convert_(std::move(r)));
        }
        return &p;
    }

    storage::View<R> view_;
    int pageSize_;
    int maxPages_;
    Convert convert_;
    int64_t count_ = 0;
    std::map<int64_t, Page> pages_;
    std::map<int64_t, storage::ViewPosition> firstOf_;  // page -> position of its first row
    std::map<int64_t, storage::ViewPosition> lastOf_;   // page -> position of its last row
    uint64_t clock_ = 0;
    int64_t rowsRead_ = 0;
    storage::Error error_ = storage::Error::None;
};

}  // namespace activity
