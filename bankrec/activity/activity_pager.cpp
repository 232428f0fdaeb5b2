#include "bankrec/activity/activity_pager.h"

#include <algorithm>
#include <iterator>

#include "bankrec/storage/file_session.h"

using namespace storage;

namespace activity {

ActivityPager::ActivityPager(FileSession& session, int pageSize, int maxPages)
    : session_(session),
      view_(std::make_unique<View<APbac>>(session, APBAC_KEY_ACTIVITY)),
      pageSize_(std::max(1, pageSize)),
      maxPages_(std::max(2, maxPages)) {
    view_->bindings().bind("Bank:BankID", int64_t{0});
    (void)view_->setFilter("APbac:BankID = Bank:BankID");
}

ActivityPager::~ActivityPager() = default;

Error ActivityPager::setBank(int32_t bankId) {
    bankId_ = bankId;
    view_->bindings().bind("Bank:BankID", int64_t{bankId});
    return refresh();
}

Error ActivityPager::refresh() {
    pages_.clear();
    firstOf_.clear();
    lastOf_.clear();
    rowsRead_ = 0;
    count_ = 0;
    error_ = view_->count(count_);
    if (error_ != Error::None) count_ = 0;
    return error_;
}

int64_t ActivityPager::heldRows() const {
    int64_t n = 0;
    for (const auto& [number, p] : pages_) n += static_cast<int64_t>(p.rows.size());
    return n;
}

const RegisterRow* ActivityPager::row(int64_t index) {
    if (index < 0 || index >= count_) return nullptr;
    const Page* p = page(index / pageSize_);
    if (!p) return nullptr;
    const size_t at = static_cast<size_t>(index % pageSize_);
    return at < p->rows.size() ? &p->rows[at] : nullptr;
}

int64_t ActivityPager::indexOfActivity(int32_t activityId) const {
    for (const auto& [number, p] : pages_)
        for (size_t i = 0; i < p.rows.size(); ++i)
            if (p.rows[i].rec.ActivityID == activityId)
                return number * pageSize_ + static_cast<int64_t>(i);
    return -1;
}

void ActivityPager::remember(int64_t number, const std::vector<View<APbac>::Row>& rows) {
    rowsRead_ += static_cast<int64_t>(rows.size());
    if (rows.empty()) return;
    firstOf_[number] = rows.front().pos;
    lastOf_[number] = rows.back().pos;
}

// Reads one page from a known boundary: its own start (page 0), the end of the page before, the
// start of the page after, or the end of the view (the last page).
Error ActivityPager::readPage(int64_t number, std::vector<View<APbac>::Row>& out) {
    Error err = Error::None;
    if (number == 0) {
        err = view_->fetch(nullptr, pageSize_, out);
    } else if (auto before = lastOf_.find(number - 1); before != lastOf_.end()) {
        err = view_->fetch(&before->second, pageSize_, out);
    } else {
        const int64_t rows = number == lastPage() ? count_ - number * pageSize_ : pageSize_;
        auto after = firstOf_.find(number + 1);
        const ViewPosition* from = after != firstOf_.end() ? &after->second : nullptr;
        if (!from && number != lastPage()) return Error::NoRecord;
        err = view_->fetch(from, static_cast<int>(rows), out, true);
        std::reverse(out.begin(), out.end());
    }
    if (err == Error::None) remember(number, out);
    return err;
}

const ActivityPager::Page* ActivityPager::page(int64_t number) {
    if (auto it = pages_.find(number); it != pages_.end()) {
        it->second.used = ++clock_;
        return &it->second;
    }
    // Walk from the nearest page whose boundary is known: forwards from below, or backwards
    // from above (the end of the view counts as known).
    int64_t below = -1;
    if (auto it = lastOf_.lower_bound(number); it != lastOf_.begin()) below = std::prev(it)->first;
    int64_t above = lastPage() + 1;
    if (auto it = firstOf_.upper_bound(number); it != firstOf_.end()) above = it->first;
    const int64_t up = number - (below + 1);  // pages to walk before reaching `number`
    const int64_t down = above - 1 - number;

    std::vector<View<APbac>::Row> rows;
    if (up <= down) {
        for (int64_t p = below + 1; p < number; ++p)
            if ((error_ = readPage(p, rows)) != Error::None || rows.empty()) return nullptr;
    } else {
        for (int64_t p = above - 1; p > number; --p)
            if ((error_ = readPage(p, rows)) != Error::None || rows.empty()) return nullptr;
    }
    if ((error_ = readPage(number, rows)) != Error::None) return nullptr;

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
        RegisterRow shown = registerRow(r.rec);
        shown.pos = std::move(r.pos);
        p.rows.push_back(std::move(shown));
    }
    return &p;
}

}  // namespace activity
