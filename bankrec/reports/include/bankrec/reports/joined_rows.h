#pragma once
// The rows of a parent file joined with their child rows (bank accounts with their activity, a
// reconciliation with its captured items), read for a report: parents in their order, and for
// each parent its children in the child order, through one filter over both files. The
// parent's fields are bound under their names ("APbnk:BankID", "APbnk:Bank"), so the filter and
// the link may name them:
//
//   JoinedRows<APbnk, APbac> rows(session, "+APbnk:Bank, +APbnk:BankID", APBAC_KEY_ACTIVITY,
//                                 "APbac:BankID = APbnk:BankID",
//                                 "APbnk:BankID=5 AND APbac:ActivityDate>=80000");
//
// The rows are read a page at a time and never into the files' record buffers, so the caller's
// current records stay as they were, and a report of any length holds one page of rows.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/storage_error.h"
#include "bankrec/storage/view.h"

namespace reports {

template <storage::Record P, storage::Record C>
class JoinedRows {
  public:
    JoinedRows(storage::FileSession& session, std::string parentOrder, storage::KeyId childOrder,
               std::string link, std::string filter, int pageSize = 256)
        : parents_(session, storage::KeyId{P::kFile, 0}),
          children_(session, childOrder),
          parentOrder_(std::move(parentOrder)),
          pageSize_(pageSize) {
        condition_ = link.empty() ? filter : filter.empty() ? link : link + " AND (" + filter + ")";
    }

    // Narrows the parents read (one bank account, one reconciliation); its bound names take
    // their values from parentBindings(). Set before open().
    void setParentFilter(std::string filter) { parentFilter_ = std::move(filter); }
    storage::FilterBindings& parentBindings() { return parents_.bindings(); }
    // Orders each parent's children by fields ("-APrac:ActivityType, +APrac:ActivityDate")
    // instead of the child key. Set before open().
    void setChildOrder(std::string order) { childOrder_ = std::move(order); }

    // Sets up the orders and the filters; Error::None or the storage error
    // (Error::InvalidFilter for a filter or an order that does not parse).
    storage::Error open() {
        if (storage::Error e = parents_.setOrder(parentOrder_); e != storage::Error::None) return e;
        if (storage::Error e = parents_.setFilter(parentFilter_); e != storage::Error::None)
            return e;
        if (!childOrder_.empty()) {
            if (storage::Error e = children_.setOrder(childOrder_); e != storage::Error::None)
                return e;
        }
        if (storage::Error e = children_.setFilter(condition_); e != storage::Error::None) return e;
        parentRows_.clear();
        nextParent_ = 0;
        parentsDone_ = false;
        parentStarted_ = false;
        childRows_.clear();
        nextChild_ = 0;
        childrenDone_ = true;
        return storage::Error::None;
    }

    // The number of joined rows (one count per parent). Error::None or the storage error.
    storage::Error count(int64_t& n) {
        n = 0;
        std::vector<typename storage::View<P>::Row> page;
        storage::ViewPosition after;
        bool first = true;
        for (;;) {
            if (storage::Error e = parents_.fetch(first ? nullptr : &after, pageSize_, page);
                e != storage::Error::None)
                return e;
            for (const auto& p : page) {
                bindParent(p.rec);
                int64_t c = 0;
                if (storage::Error e = children_.count(c); e != storage::Error::None) return e;
                n += c;
            }
            if (static_cast<int>(page.size()) < pageSize_) return storage::Error::None;
            after = page.back().pos;
            first = false;
        }
    }

    // The next joined row into parent() and child(): Error::None, Error::NoRecord after the last
    // row, or the storage error.
    storage::Error next() {
        for (;;) {
            if (nextChild_ < childRows_.size()) {
                child_ = std::move(childRows_[nextChild_++].rec);
                return storage::Error::None;
            }
            if (!childrenDone_) {
                // The rest of this parent's children.
                const storage::ViewPosition after = childRows_.back().pos;
                if (storage::Error e = readChildren(&after); e != storage::Error::None) return e;
                continue;
            }
            if (storage::Error e = nextParentRow(); e != storage::Error::None) return e;
            if (storage::Error e = readChildren(nullptr); e != storage::Error::None) return e;
        }
    }

    const P& parent() const { return parent_; }
    const C& child() const { return child_; }

  private:
    void bindParent(const P& rec) {
        const storage::FileDef& def = storage::fileDef(P::kFile);
        for (size_t i = 0; i < def.fields.size(); ++i)
            children_.bindings().bind(def.name + ":" + def.fields[i].name,
                                      storage::getField(def, &rec, static_cast<int>(i)));
    }

    storage::Error nextParentRow() {
        if (nextParent_ >= parentRows_.size()) {
            if (parentsDone_) return storage::Error::NoRecord;
            const bool first = parentRows_.empty() && !parentStarted_;
            const storage::ViewPosition after =
                first ? storage::ViewPosition{} : parentRows_.back().pos;
            std::vector<typename storage::View<P>::Row> page;
            if (storage::Error e = parents_.fetch(first ? nullptr : &after, pageSize_, page);
                e != storage::Error::None)
                return e;
            parentStarted_ = true;
            parentsDone_ = static_cast<int>(page.size()) < pageSize_;
            if (page.empty()) return storage::Error::NoRecord;
            parentRows_ = std::move(page);
            nextParent_ = 0;
        }
        parent_ = parentRows_[nextParent_++].rec;
        bindParent(parent_);
        return storage::Error::None;
    }

    storage::Error readChildren(const storage::ViewPosition* after) {
        std::vector<typename storage::View<C>::Row> page;
        if (storage::Error e = children_.fetch(after, pageSize_, page); e != storage::Error::None)
            return e;
        childrenDone_ = static_cast<int>(page.size()) < pageSize_;
        childRows_ = std::move(page);
        nextChild_ = 0;
        return storage::Error::None;
    }

    storage::View<P> parents_;
    storage::View<C> children_;
    std::string parentOrder_;
    std::string parentFilter_;
    std::string childOrder_;
    std::string condition_;
    int pageSize_;
    std::vector<typename storage::View<P>::Row> parentRows_;
    size_t nextParent_ = 0;
    bool parentsDone_ = false;
    bool parentStarted_ = false;
    std::vector<typename storage::View<C>::Row> childRows_;
    size_t nextChild_ = 0;
    bool childrenDone_ = true;
    P parent_;
    C child_;
};

}  // namespace reports
