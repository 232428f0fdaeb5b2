// Views: filtered, ordered reads of one file, walked into the file's buffer or fetched by page.
#include "bankrec/storage/view.h"

#include <algorithm>

#include "bankrec/storage/connection.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/key_sql.h"

namespace storage {

ViewBase::ViewBase(FileSession& session, KeyId key)
    : session_(session), file_(session.file(key.file)), key_(key) {
    file_.views_.push_back(this);
}

ViewBase::~ViewBase() {
    auto& v = file_.views_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

Error ViewBase::setFilter(std::string_view text) {
    Filter f;
    std::string message;
    if (Error e = f.parse(text, file_.def(), &message); e != Error::None)
        return session_.failText(e, file_.id(), message);
    filter_ = std::move(f);
    updateSeekSkip();
    invalidateReadAhead();
    return Error::None;
}

// Leading key components the filter holds to one value need no place in a seek: leaving them out
// lets the key's index serve both the filter's equalities and the seek as one range.
void ViewBase::updateSeekSkip() {
    seekSkip_ = 0;
    if (!fieldOrder_.empty()) return;
    const std::vector<int> pinned = filter_.pinnedFields();
    const KeyDef& k = file_.def().keys[static_cast<size_t>(key_.index)];
    while (seekSkip_ < k.components.size() &&
           std::find(pinned.begin(), pinned.end(), k.components[seekSkip_]) != pinned.end())
        ++seekSkip_;
}

Error ViewBase::setOrder(KeyId key) {
    if (key.file != file_.id() || key.index < 0 ||
        static_cast<size_t>(key.index) >= file_.def().keys.size())
        return session_.failText(Error::InvalidKey, file_.id(), "key of another file");
    key_ = key;
    fieldOrder_.clear();
    updateSeekSkip();
    reset();
    return Error::None;
}

Error ViewBase::setOrder(std::string_view text) {
    std::vector<std::pair<int, bool>> order;
    for (const auto& [name, ascending] : splitOrderText(text)) {
        int field = file_.def().fieldIndex(name);
        if (field < 0)
            return session_.failText(Error::InvalidFilter, file_.id(),
                                     "no field '" + name + "' to order by");
        order.emplace_back(field, ascending);
    }
    fieldOrder_ = std::move(order);
    updateSeekSkip();
    reset();
    return Error::None;
}

size_t ViewBase::orderSize() const {
    return fieldOrder_.empty() ? file_.def().keys[static_cast<size_t>(key_.index)].components.size()
                               : fieldOrder_.size();
}

std::string ViewBase::orderSql(bool ascending) const {
    if (fieldOrder_.empty()) return keysql::orderBy(file_.def(), key_.index, ascending);
    std::string sql;
    for (auto [field, asc] : fieldOrder_)
        sql += "\"" + file_.def().fields[static_cast<size_t>(field)].name + "\"" +
               (asc == ascending ? "" : " DESC") + ", ";
    return sql + "\"_Row\"" + (ascending ? "" : " DESC");
}

// The rows after (or before, going backwards) a position. Key orders compare row values, which
// the key's index serves; field orders with mixed directions spell the comparison out.
std::string ViewBase::seekSql(bool backwards) const {
    if (fieldOrder_.empty()) {
        const KeyDef& k = file_.def().keys[static_cast<size_t>(key_.index)];
        std::string columns = "(", marks = "(";
        for (size_t i = seekSkip_; i < k.components.size(); ++i) {
            columns +=
                "\"" + file_.def().fields[static_cast<size_t>(k.components[i])].name + "\", ";
            marks += "?, ";
        }
        return columns + "\"_Row\") " + (backwards ? "<" : ">") + " " + marks + "?)";
    }
    std::string sql = "(";
    for (size_t i = 0; i <= fieldOrder_.size(); ++i) {
        if (i) sql += " OR ";
        sql += "(";
        for (size_t j = 0; j < i; ++j)
            sql += "\"" + file_.def().fields[static_cast<size_t>(fieldOrder_[j].first)].name +
                   "\" = ? AND ";
        bool asc = i < fieldOrder_.size() ? fieldOrder_[i].second : true;
        const char* op = asc != backwards ? " > ?" : " < ?";
        sql += i < fieldOrder_.size()
                   ? "\"" + file_.def().fields[static_cast<size_t>(fieldOrder_[i].first)].name +
                         "\"" + op
                   : std::string("\"_Row\"") + op;
        sql += ")";
    }
    return sql + ")";
}

int ViewBase::bindSeek(Statement* s, int p, const ViewPosition& after) const {
    if (fieldOrder_.empty()) {
        for (size_t i = seekSkip_; i < after.keyValues.size(); ++i)
            s->bindValue(p++, after.keyValues[i]);
        s->bindInt(p++, after.rowid);
        return p;
    }
    for (size_t i = 0; i <= fieldOrder_.size(); ++i) {
        for (size_t j = 0; j < i; ++j) s->bindValue(p++, after.keyValues[j]);
        if (i < fieldOrder_.size())
            s->bindValue(p++, after.keyValues[i]);
        else
            s->bindInt(p++, after.rowid);
    }
    return p;
}

std::vector<FieldValue> ViewBase::positionValues(const void* rec) const {
    if (fieldOrder_.empty()) return keysql::values(file_.def(), key_.index, rec);
    std::vector<FieldValue> v;
    for (auto [field, asc] : fieldOrder_) v.push_back(getField(file_.def(), rec, field));
    return v;
}

Error ViewBase::compile(std::string& where, std::vector<FieldValue>& params) {
    std::string message, cond;
    if (Error e = filter_.toSql(bindings_, cond, params, &message); e != Error::None)
        return session_.failText(e, file_.id(), message);
    where =
        fieldOrder_.empty() ? keyPresentSql(file_.def(), key_.index) + " AND (" + cond + ")" : cond;
    return Error::None;
}

Error ViewBase::count(int64_t& n) {
    int64_t unused = 0;
    return aggregate("count(*), 0", n, unused);
}

Error ViewBase::sum(std::string_view field, int64_t& n, int64_t& total) {
    n = 0;
    total = 0;
    const int index = file_.def().fieldIndex(field);
    if (index < 0 || file_.def().fields[static_cast<size_t>(index)].isText())
        return session_.failText(Error::InvalidFilter, file_.id(),
                                 "no number field '" + std::string(field) + "' to sum");
    // sum() of integers is exact and fails on overflow rather than turning to floating point.
    const std::string column = "\"" + file_.def().fields[static_cast<size_t>(index)].name + "\"";
    return aggregate("count(*), coalesce(sum(" + column + "), 0)", n, total);
}

Error ViewBase::aggregate(const std::string& columns, int64_t& first, int64_t& second) {
    first = 0;
    second = 0;
    std::string where;
    std::vector<FieldValue> params;
    if (Error e = compile(where, params); e != Error::None) return e;
    Error err = Error::None;
    Connection* c = session_.connectionFor(file_.id(), err);
    if (!c) return err;
    int rc = SQLITE_OK;
    Statement* s = c->statement(
        "SELECT " + columns + " FROM " + c->table(file_.def()) + " WHERE " + where, rc);
    if (!s) return session_.fail(storageErrorFromSqlite(rc), file_.id(), c, rc);
    for (size_t i = 0; i < params.size(); ++i) s->bindValue(static_cast<int>(i) + 1, params[i]);
    rc = s->step();
    if (rc == SQLITE_ROW) {
        first = s->columnInt(0);
        second = s->columnInt(1);
    }
    s->reset();
    if (rc != SQLITE_ROW) {
        first = 0;
        second = 0;
        return session_.fail(storageErrorFromSqlite(rc), file_.id(), c, rc);
    }
    return Error::None;
}

Error ViewBase::fetchPage(const ViewPosition* after, int n, bool backwards,
                          std::vector<ViewPosition>& positions) {
    invalidateReadAhead();
    return fetchRows(after, n, backwards, positions);
}

Error ViewBase::fetchRows(const ViewPosition* after, int n, bool backwards,
                          std::vector<ViewPosition>& positions) {
    positions.clear();
    revisions_.clear();
    if (n <= 0) return Error::None;
    const FileDef& f = file_.def();
    std::string where;
    std::vector<FieldValue> params;
    if (Error e = compile(where, params); e != Error::None) return e;
    if (after && after->keyValues.size() != orderSize())
        return session_.failText(Error::InvalidKey, file_.id(), "position of another key");
    Error err = Error::None;
    Connection* c = session_.connectionFor(file_.id(), err);
    if (!c) return err;
    std::string sql = "SELECT " + selectList(f) + " FROM " + c->table(f) + " WHERE " + where;
    if (after) sql += " AND " + seekSql(backwards);
    sql += " ORDER BY " + orderSql(!backwards) + " LIMIT ?";
    int rc = SQLITE_OK;
    Statement* s = c->statement(sql, rc);
    if (!s) return session_.fail(storageErrorFromSqlite(rc), file_.id(), c, rc);
    int p = 1;
    for (const FieldValue& v : params) s->bindValue(p++, v);
    if (after) p = bindSeek(s, p, *after);
    s->bindInt(p, n);
    resizeRows(static_cast<size_t>(n));
    size_t got = 0;
    while ((rc = s->step()) == SQLITE_ROW) {
        void* rec = rowSlot(got);
        s->readRecord(f, rec, 2);
        positions.push_back({positionValues(rec), s->columnInt(0)});
        revisions_.push_back(s->columnInt(1));
        ++got;
    }
    s->reset();
    if (rc != SQLITE_DONE) {
        positions.clear();
        return session_.fail(storageErrorFromSqlite(rc), file_.id(), c, rc);
    }
    return Error::None;
}

void ViewBase::reset() {
    aheadPos_.clear();
    aheadNext_ = 0;
    from_ = From::Start;
    chunk_ = 8;
}

void ViewBase::resetEnd() {
    reset();
    from_ = From::End;
}

void ViewBase::invalidateReadAhead() {
    aheadPos_.clear();
    aheadRev_.clear();
    aheadNext_ = 0;
}

Error ViewBase::next() {
    return walk(true);
}
Error ViewBase::previous() {
    return walk(false);
}

Error ViewBase::walk(bool forward) {
    if (aheadNext_ < aheadPos_.size() && aheadForward_ == forward) {
        size_t i = aheadNext_++;
        assignToFile(i);
        file_.currentRow_ = aheadPos_[i].rowid;
        file_.currentRevision_ = aheadRev_[i];
        last_ = aheadPos_[i];
        from_ = From::Row;
        return Error::None;
    }
    if ((from_ == From::Start && !forward) || (from_ == From::End && forward))
        return session_.fail(Error::NoRecord, file_.id());
    std::vector<ViewPosition> positions;
    Error e = fetchRows(from_ == From::Row ? &last_ : nullptr, chunk_, !forward, positions);
    if (e != Error::None) return e;
    if (chunk_ < 256) chunk_ *= 2;
    aheadPos_ = std::move(positions);
    aheadRev_ = revisions_;
    aheadNext_ = 0;
    aheadForward_ = forward;
    if (aheadPos_.empty()) return session_.fail(Error::NoRecord, file_.id());
    return walk(forward);
}

}  // namespace storage
