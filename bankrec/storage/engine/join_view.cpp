// Joined views: one SELECT over a chain of files attached to one connection, paged by the values
// of its ordering terms.
#include "bankrec/storage/join_view.h"

#include "bankrec/storage/connection.h"
#include "bankrec/storage/file_session.h"
#include "corelib/text.h"

using namespace corelib;

namespace storage {

namespace {

std::string alias(size_t file) {
    return "t" + std::to_string(file);
}

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

}  // namespace

JoinViewBase::JoinViewBase(FileSession& session, KeyId order, std::vector<FileId> files,
                           std::vector<JoinLink> links)
    : session_(session), files_(std::move(files)), links_(std::move(links)), key_(order) {
    for (FileId f : files_) defs_.push_back(&fileDef(f));
    const bool fits = !files_.empty() && links_.size() + 1 == files_.size() &&
                      key_.file == files_[0] && key_.index >= 0 &&
                      static_cast<size_t>(key_.index) < defs_[0]->keys.size();
    if (!fits) {
        setup_ = Error::InvalidKey;
        return;
    }
    buildLinks();
    keyOrder();
}

JoinViewBase::~JoinViewBase() = default;

// Fields of a file reached through an outer link (or behind one) may be missing: they read as 0
// or empty, as a blank record would.
std::string JoinViewBase::columnSql(size_t file, int field) const {
    const FieldDef& fd = defs_[file]->fields[static_cast<size_t>(field)];
    std::string col = alias(file) + "." + quoted(fd.name);
    bool nullable = false;
    for (size_t i = 1; i <= file; ++i) nullable = nullable || links_[i - 1].kind == JoinKind::Outer;
    if (!nullable) return col;
    return fd.isText() ? "coalesce(" + col + ", '') COLLATE NOCASE" : "coalesce(" + col + ", 0)";
}

void JoinViewBase::buildLinks() {
    on_.assign(files_.size(), std::string());
    for (size_t i = 1; i < files_.size() && setup_ == Error::None; ++i) {
        const JoinLink& link = links_[i - 1];
        const FileDef& def = *defs_[i];
        if (link.key.file != files_[i] || link.key.index < 0 ||
            static_cast<size_t>(link.key.index) >= def.keys.size()) {
            setup_ = Error::InvalidKey;
            return;
        }
        const KeyDef& key = def.keys[static_cast<size_t>(link.key.index)];
        std::vector<std::string> names = link.linkFields;
        if (names.empty())
            names.push_back(defs_[i - 1]->name + ":" +
                            def.fields[static_cast<size_t>(key.components[0])].name);
        if (names.size() > key.components.size()) {
            setup_ = Error::InvalidKey;
            return;
        }
        std::string on;
        for (size_t c = 0; c < names.size(); ++c) {
            // The linking field: a field of one of the files before this one.
            const std::string& name = names[c];
            const size_t colon = name.rfind(':');
            int from = -1, field = -1;
            for (size_t j = 0; j < i && from < 0 && colon != std::string::npos; ++j)
                if (text::equalNoCase(name.substr(0, colon), defs_[j]->name)) {
                    from = static_cast<int>(j);
                    field = defs_[j]->fieldIndex(name.substr(colon + 1));
                }
            if (from < 0 || field < 0) {
                setup_ = Error::InvalidKey;
                return;
            }
            if (c) on += " AND ";
            on += alias(i) + "." + quoted(def.fields[static_cast<size_t>(key.components[c])].name) +
                  " = " + columnSql(static_cast<size_t>(from), field);
        }
        // Like every walk along a key, rows whose components are all empty are not in it.
        on_[i] = on + " AND " + presentSql(i, key);
    }
}

// The key order: the first file's key, then each joined file in the order of its linking key,
// every file's rowid settling ties.
void JoinViewBase::keyOrder() {
    terms_.clear();
    keyOrdered_ = true;
    for (size_t i = 0; i < files_.size(); ++i) {
        const KeyDef& key =
            defs_[i]->keys[static_cast<size_t>(i == 0 ? key_.index : links_[i - 1].key.index)];
        for (int c : key.components) terms_.push_back({columnSql(i, c), true});
        bool nullable = false;
        for (size_t j = 1; j <= i; ++j)
            nullable = nullable || links_[j - 1].kind == JoinKind::Outer;
        terms_.push_back(
            {nullable ? "coalesce(" + alias(i) + ".\"_Row\", 0)" : alias(i) + ".\"_Row\"", true});
    }
}

Error JoinViewBase::setFilter(std::string_view text) {
    if (setup_ != Error::None) return session_.failText(setup_, files_[0], "join does not fit");
    Filter f;
    std::string message;
    if (Error e = f.parse(text, defs_, &message); e != Error::None)
        return session_.failText(e, files_[0], message);
    filter_ = std::move(f);
    reset();
    return Error::None;
}

Error JoinViewBase::setOrder(std::string_view text) {
    if (setup_ != Error::None) return session_.failText(setup_, files_[0], "join does not fit");
    std::vector<Term> listed;
    if (text.find_first_not_of(' ') != std::string_view::npos) {
        for (const auto& [name, ascending] : splitOrderText(text)) {
            // "APrac:ActivityDate": the file by its prefix; a bare name is the first file's.
            const size_t colon = name.rfind(':');
            int file = colon == std::string::npos ? 0 : -1;
            for (size_t i = 0; file < 0 && i < defs_.size(); ++i)
                if (text::equalNoCase(name.substr(0, colon), defs_[i]->name))
                    file = static_cast<int>(i);
            const int field = file < 0
                                  ? -1
                                  : defs_[static_cast<size_t>(file)]->fieldIndex(
                                        colon == std::string::npos ? name : name.substr(colon + 1));
            if (field < 0)
                return session_.failText(Error::InvalidFilter, files_[0],
                                         "no field '" + name + "' to order by");
            listed.push_back({columnSql(static_cast<size_t>(file), field), ascending});
        }
    }
    keyOrder();
    keyOrdered_ = listed.empty();
    terms_.insert(terms_.begin(), listed.begin(), listed.end());
    reset();
    return Error::None;
}

std::string JoinViewBase::fromSql(const Connection& c) const {
    std::string sql = c.table(*defs_[0]) + " AS " + alias(0);
    for (size_t i = 1; i < files_.size(); ++i)
        sql += std::string(links_[i - 1].kind == JoinKind::Outer ? " LEFT JOIN " : " JOIN ") +
               c.table(*defs_[i]) + " AS " + alias(i) + " ON " + on_[i];
    return sql;
}

Error JoinViewBase::prepareRead(std::string& where, std::vector<FieldValue>& params,
                                Connection*& c) {
    c = nullptr;
    if (setup_ != Error::None) return session_.failText(setup_, files_[0], "join does not fit");
    std::string message, cond;
    Error e = filter_.toSql(bindings_, cond, params, &message, [this](int file, int field) {
        return columnSql(static_cast<size_t>(file), field);
    });
    if (e != Error::None) return session_.failText(e, files_[0], message);
    where = "(" + cond + ")";
    // Rows of the first file whose key components are all empty are not in its key.
    if (keyOrdered_)
        where = presentSql(0, defs_[0]->keys[static_cast<size_t>(key_.index)]) + " AND " + where;
    c = session_.connectionForAll(files_, e);
    return c ? Error::None : e;
}

std::string JoinViewBase::presentSql(size_t file, const KeyDef& key) const {
    std::string sql = "NOT (";
    for (size_t c = 0; c < key.components.size(); ++c) {
        const FieldDef& fd = defs_[file]->fields[static_cast<size_t>(key.components[c])];
        sql += (c ? " AND " : "") + alias(file) + "." + quoted(fd.name) +
               (fd.isText() ? " = ''" : " = 0");
    }
    return sql + ")";
}

Error JoinViewBase::count(int64_t& n) {
    n = 0;
    std::string where;
    std::vector<FieldValue> params;
    Connection* c = nullptr;
    if (Error e = prepareRead(where, params, c); e != Error::None) return e;
    int rc = SQLITE_OK;
    Statement* s = c->statement("SELECT count(*) FROM " + fromSql(*c) + " WHERE " + where, rc);
    if (!s) return session_.fail(storageErrorFromSqlite(rc), files_[0], c, rc);
    for (size_t i = 0; i < params.size(); ++i) s->bindValue(static_cast<int>(i) + 1, params[i]);
    rc = s->step();
    if (rc == SQLITE_ROW) n = s->columnInt(0);
    s->reset();
    if (rc != SQLITE_ROW) return session_.fail(storageErrorFromSqlite(rc), files_[0], c, rc);
    return Error::None;
}

Error JoinViewBase::fetchRows(const JoinPosition* after, int n, bool backwards,
                              std::vector<JoinPosition>& positions,
                              std::vector<std::vector<bool>>& present) {
    positions.clear();
    present.clear();
    std::string where;
    std::vector<FieldValue> params;
    Connection* c = nullptr;
    if (Error e = prepareRead(where, params, c); e != Error::None) return e;
    if (n <= 0) return Error::None;
    if (after && after->values.size() != terms_.size())
        return session_.failText(Error::InvalidKey, files_[0], "position of another order");

    std::string select;
    for (size_t i = 0; i < files_.size(); ++i) {
        select += (i ? ", " : "") + alias(i) + ".\"_Row\"";
        for (const FieldDef& fd : defs_[i]->fields)
            select += ", " + alias(i) + "." + quoted(fd.name);
    }
    std::string order;
    for (size_t t = 0; t < terms_.size(); ++t) {
        select += ", " + terms_[t].sql;
        order +=
            (t ? ", " : "") + terms_[t].sql + (terms_[t].ascending != backwards ? "" : " DESC");
    }
    std::string sql = "SELECT " + select + " FROM " + fromSql(*c) + " WHERE " + where;
    if (after) {
        // Rows after the position in the order (before it going backwards), term by term.
        sql += " AND (";
        for (size_t t = 0; t < terms_.size(); ++t) {
            sql += t ? " OR (" : "(";
            for (size_t u = 0; u < t; ++u) sql += terms_[u].sql + " = ? AND ";
            sql += terms_[t].sql + (terms_[t].ascending != backwards ? " > ?" : " < ?") + ")";
        }
        sql += ")";
    }
    sql += " ORDER BY " + order + " LIMIT ?";

    int rc = SQLITE_OK;
    Statement* s = c->statement(sql, rc);
    if (!s) return session_.fail(storageErrorFromSqlite(rc), files_[0], c, rc);
    int p = 1;
    for (const FieldValue& v : params) s->bindValue(p++, v);
    if (after)
        for (size_t t = 0; t < terms_.size(); ++t)
            for (size_t u = 0; u <= t; ++u) s->bindValue(p++, after->values[u]);
    s->bindInt(p, n);

    resizeRows(static_cast<size_t>(n));
    size_t got = 0;
    while ((rc = s->step()) == SQLITE_ROW) {
        int col = 0;
        std::vector<bool> has(files_.size());
        for (size_t i = 0; i < files_.size(); ++i) {
            has[i] = !s->isNull(col);
            s->readRecord(*defs_[i], rowSlot(got, i), col + 1);
            col += 1 + static_cast<int>(defs_[i]->fields.size());
        }
        JoinPosition pos;
        for (size_t t = 0; t < terms_.size(); ++t, ++col) {
            if (s->isNull(col))
                pos.values.emplace_back(int64_t{0});
            else if (s->isText(col))
                pos.values.emplace_back(std::string(s->columnText(col)));
            else
                pos.values.emplace_back(int64_t{s->columnInt(col)});
        }
        positions.push_back(std::move(pos));
        present.push_back(std::move(has));
        ++got;
    }
    s->reset();
    if (rc != SQLITE_DONE) {
        positions.clear();
        present.clear();
        return session_.fail(storageErrorFromSqlite(rc), files_[0], c, rc);
    }
    return Error::None;
}

void JoinViewBase::reset() {
    started_ = false;
    aheadPos_.clear();
    aheadPresent_.clear();
    aheadNext_ = 0;
    chunk_ = 8;
}

Error JoinViewBase::next() {
    if (aheadNext_ >= aheadPos_.size()) {
        std::vector<JoinPosition> positions;
        std::vector<std::vector<bool>> present;
        Error e = fetchRows(started_ ? &last_ : nullptr, chunk_, false, positions, present);
        if (e != Error::None) return e;
        if (chunk_ < 256) chunk_ *= 2;
        keepAhead();
        aheadPos_ = std::move(positions);
        aheadPresent_ = std::move(present);
        aheadNext_ = 0;
        if (aheadPos_.empty()) return session_.fail(Error::NoRecord, files_[0]);
    }
    const size_t i = aheadNext_++;
    makeCurrent(i, aheadPresent_[i]);
    last_ = aheadPos_[i];
    started_ = true;
    return Error::None;
}

}  // namespace storage
