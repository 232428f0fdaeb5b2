// Record operations of one file in a session: keyed reads, walks with read-ahead, writes with
// change detection by revision.
#include "bankrec/storage/record_file.h"

#include <algorithm>

#include "bankrec/storage/connection.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/key_sql.h"

using namespace corelib;

namespace storage {

// A walk reads one row at first (most walks stop at once: the last identifier, a lookup) and
// doubles its read-ahead on every further read, up to 256 rows.
constexpr int kFirstChunk = 1;

// Where a walk stands. A walk starts from the buffer's values (set), the start or the end, and
// after it has returned a row, continues from that row's key values and rowid. Rows read ahead
// sit in the file's ahead slots; their rowids and revisions here.
struct WalkState {
    enum class From { Values, Start, End, Row };
    int key = -1;
    From from = From::Start;
    std::vector<FieldValue> values;  // seek values (From::Values, From::Row)
    int64_t rowid = 0;               // From::Row
    std::vector<int64_t> rowids, revisions;
    size_t count = 0;     // rows read ahead
    size_t next = 0;      // next ahead row to return
    bool forward = true;  // direction of the rows read ahead
    int served = -1;      // ahead index of the last row returned, -1 when none is held
    int chunk = kFirstChunk;
};

RecordFileBase::RecordFileBase(FileSession& session, FileId id, void* rec)
    : session_(session), def_(fileDef(id)), rec_(rec), walk_(std::make_unique<WalkState>()) {}

RecordFileBase::~RecordFileBase() = default;

void RecordFileBase::clear() {
    clearRecord(def_, rec_);
    currentRow_ = 0;
    currentRevision_ = 0;
}

static bool validKey(const FileDef& f, KeyId key) {
    return key.file == f.id && key.index >= 0 && static_cast<size_t>(key.index) < f.keys.size();
}

Error RecordFileBase::get(KeyId key) {
    if (!validKey(def_, key))
        return session_.failText(Error::InvalidKey, id(), "key of another file");
    Error err = Error::None;
    Connection* c = session_.connectionFor(id(), err);
    if (!c) return err;
    std::vector<FieldValue> vals = keysql::values(def_, key.index, rec_);
    bool empty = true;
    for (const FieldValue& v : vals) {
        if (auto* i = std::get_if<int64_t>(&v))
            empty = empty && *i == 0;
        else if (auto* d = std::get_if<Decimal>(&v))
            empty = empty && d->isZero();
        else
            empty = empty && std::get<std::string>(v).empty();
    }
    if (empty) return session_.failText(Error::NoRecord, id(), "key components are empty");
    int rc = SQLITE_OK;
    Statement* s = c->slot(
        id(), keySlot(key.index, KeyGet),
        [&] {
            std::string sql = "SELECT " + selectList(def_) + " FROM " + c->table(def_) + " WHERE " +
                              keyPresentSql(def_, key.index);
            for (int comp : def_.keys[static_cast<size_t>(key.index)].components)
                sql += " AND \"" + def_.fields[static_cast<size_t>(comp)].name + "\" = ?";
            // Every component is equal, so the first row in key order is the first by rowid;
            // a unique key has at most one. (Ordering by the components makes SQLite sort the
            // match through a temporary tree for text keys.)
            const bool unique = def_.keys[static_cast<size_t>(key.index)].unique;
            return sql + (unique ? "" : " ORDER BY \"_Row\"") + " LIMIT 1";
        },
        rc);
    if (!s) return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
    for (size_t i = 0; i < vals.size(); ++i) s->bindValue(static_cast<int>(i) + 1, vals[i]);
    rc = s->step();
    if (rc == SQLITE_ROW) {
        currentRow_ = s->columnInt(0);
        currentRevision_ = s->columnInt(1);
        s->readRecord(def_, rec_, 2);
        s->reset();
        return Error::None;
    }
    s->reset();
    if (rc == SQLITE_DONE) return session_.fail(Error::NoRecord, id());
    return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
}

// Reads row `rowid` into `rec` with its revision. 0, 33 or an error.
static Error readRow(FileSession& session, const FileDef& f, Connection* c, int64_t rowid,
                     void* rec, int64_t& revision) {
    int rc = SQLITE_OK;
    Statement* s = c->slot(
        f.id, SlotReadRow,
        [&] { return "SELECT " + selectList(f) + " FROM " + c->table(f) + " WHERE \"_Row\" = ?"; },
        rc);
    if (!s) return session.fail(storageErrorFromSqlite(rc), f.id, c, rc);
    s->bindInt(1, rowid);
    rc = s->step();
    if (rc == SQLITE_ROW) {
        revision = s->columnInt(1);
        s->readRecord(f, rec, 2);
        s->reset();
        return Error::None;
    }
    s->reset();
    if (rc == SQLITE_DONE) return session.fail(Error::NoRecord, f.id);
    return session.fail(storageErrorFromSqlite(rc), f.id, c, rc);
}

Error RecordFileBase::reget(int64_t position) {
    Error err = Error::None;
    Connection* c = session_.connectionFor(id(), err);
    if (!c) return err;
    if (position <= 0) return session_.fail(Error::NoRecord, id());
    int64_t rev = 0;
    if (Error e = readRow(session_, def_, c, position, rec_, rev); e != Error::None) return e;
    currentRow_ = position;
    currentRevision_ = rev;
    return Error::None;
}

// Starts a new walk along `key` from `from`; nothing is read until next() or previous().
Error RecordFileBase::startWalk(KeyId key, int from) {
    if (!validKey(def_, key))
        return session_.failText(Error::InvalidKey, id(), "key of another file");
    invalidateWalk();
    WalkState& w = *walk_;
    w.key = key.index;
    w.from = static_cast<WalkState::From>(from);
    if (w.from == WalkState::From::Values) w.values = keysql::values(def_, key.index, rec_);
    w.served = -1;
    w.chunk = kFirstChunk;
    return Error::None;
}

Error RecordFileBase::set(KeyId key) {
    return startWalk(key, static_cast<int>(WalkState::From::Values));
}

Error RecordFileBase::setStart(KeyId key) {
    return startWalk(key, static_cast<int>(WalkState::From::Start));
}

Error RecordFileBase::setEnd(KeyId key) {
    return startWalk(key, static_cast<int>(WalkState::From::End));
}

// Forgets the rows read ahead; the walk continues after the last row it returned.
void RecordFileBase::invalidateWalk() {
    WalkState& w = *walk_;
    if (w.served >= 0) {
        w.values = keysql::values(def_, w.key, aheadSlot(static_cast<size_t>(w.served)));
        w.rowid = w.rowids[static_cast<size_t>(w.served)];
        w.from = WalkState::From::Row;
        w.served = -1;
    }
    w.count = 0;
    w.next = 0;
}

Error RecordFileBase::next() {
    return walk(true);
}
Error RecordFileBase::previous() {
    return walk(false);
}

Error RecordFileBase::walk(bool forward) {
    WalkState& w = *walk_;
    if (w.key < 0) return session_.failText(Error::NoRecord, id(), "no walk was set");
    if (w.count > 0 && w.forward == forward && w.next < w.count) {
        size_t i = w.next++;
        assignFromAhead(i);
        currentRow_ = w.rowids[i];
        currentRevision_ = w.revisions[i];
        w.served = static_cast<int>(i);
        return Error::None;
    }
    // Read the next rows ahead, starting after the last row returned.
    invalidateWalk();
    KeyStatement which;
    bool withValues = true, withRowid = false;
    switch (w.from) {
        case WalkState::From::Values:
            which = forward ? KeySeekFrom : KeySeekTo;
            break;
        case WalkState::From::Row:
            which = forward ? KeyAfter : KeyBefore;
            withRowid = true;
            break;
        case WalkState::From::Start:
            if (!forward) return session_.fail(Error::NoRecord, id());
            which = KeyFirst;
            withValues = false;
            break;
        default:
            if (forward) return session_.fail(Error::NoRecord, id());
            which = KeyLast;
            withValues = false;
    }
    Error err = Error::None;
    Connection* c = session_.connectionFor(id(), err);
    if (!c) return err;
    int rc = SQLITE_OK;
    Statement* s = c->slot(
        id(), keySlot(w.key, which),
        [&] {
            std::string sql = "SELECT " + selectList(def_) + " FROM " + c->table(def_) + " WHERE " +
                              keyPresentSql(def_, w.key);
            if (which == KeySeekFrom) sql += " AND " + keysql::seek(def_, w.key, ">=", false);
            if (which == KeySeekTo) sql += " AND " + keysql::seek(def_, w.key, "<=", false);
            if (which == KeyAfter) sql += " AND " + keysql::seek(def_, w.key, ">", true);
            if (which == KeyBefore) sql += " AND " + keysql::seek(def_, w.key, "<", true);
            bool asc = which == KeySeekFrom || which == KeyAfter || which == KeyFirst;
            return sql + " ORDER BY " + keysql::orderBy(def_, w.key, asc) + " LIMIT ?";
        },
        rc);
    if (!s) return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
    int p = 1;
    if (withValues)
        for (const FieldValue& v : w.values) s->bindValue(p++, v);
    if (withRowid) s->bindInt(p++, w.rowid);
    s->bindInt(p, w.chunk);
    resizeAhead(static_cast<size_t>(w.chunk));
    w.rowids.resize(static_cast<size_t>(w.chunk));
    w.revisions.resize(static_cast<size_t>(w.chunk));
    size_t n = 0;
    while ((rc = s->step()) == SQLITE_ROW) {
        w.rowids[n] = s->columnInt(0);
        w.revisions[n] = s->columnInt(1);
        s->readRecord(def_, aheadSlot(n), 2);
        ++n;
    }
    s->reset();
    if (rc != SQLITE_DONE) return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
    if (w.chunk < 256) w.chunk *= 2;
    if (n == 0) return session_.fail(Error::NoRecord, id());
    w.count = n;
    w.next = 0;
    w.forward = forward;
    return walk(forward);
}

Error RecordFileBase::add() {
    Error err = Error::None;
    Connection* c = session_.connectionFor(id(), err);
    if (!c) return err;
    int rc = SQLITE_OK;
    Statement* s = c->slot(
        id(), SlotInsert,
        [&] {
            std::string cols, qs;
            for (const FieldDef& fd : def_.fields) {
                cols += (cols.empty() ? "\"" : ", \"") + fd.name + "\"";
                qs += qs.empty() ? "?" : ", ?";
            }
            return "INSERT INTO " + c->table(def_) + " (" + cols + ") VALUES (" + qs + ")";
        },
        rc);
    if (!s) return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
    int bad = -1;
    if (!s->bindRecord(def_, rec_, 1, bad)) {
        s->reset();
        return session_.failText(Error::Driver, id(),
                                 def_.fields[static_cast<size_t>(bad)].name + " out of range");
    }
    rc = s->step();
    s->reset();
    if (rc != SQLITE_DONE) return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
    session_.invalidateWalks(id());
    if (lastIdKnown_) lastId_ = std::max<int64_t>(lastId_, identifier());
    const int64_t row = currentRow_, revision = currentRevision_;
    currentRow_ = c->lastInsertRow();
    currentRevision_ = 0;
    session_.noteWrite(id(), row, revision, true);
    return Error::None;
}

Error RecordFileBase::put() {
    Error err = Error::None;
    Connection* c = session_.connectionFor(id(), err);
    if (!c) return err;
    if (currentRow_ == 0) return session_.failText(Error::NoRecord, id(), "no current record");
    int rc = SQLITE_OK;
    const int n = static_cast<int>(def_.fields.size());
    Statement* s = c->slot(
        id(), SlotUpdate,
        [&] {
            std::string sql = "UPDATE " + c->table(def_) + " SET ";
            for (const FieldDef& fd : def_.fields) sql += "\"" + fd.name + "\" = ?, ";
            const std::string rev = std::string("\"") + kRevisionColumn + "\"";
            return sql + rev + " = " + rev + " + 1 WHERE \"_Row\" = ? AND " + rev + " = ?" +
                   c->updateGuard(def_);
        },
        rc);
    if (!s) return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
    int bad = -1;
    if (!s->bindRecord(def_, rec_, 1, bad)) {
        s->reset();
        return session_.failText(Error::Driver, id(),
                                 def_.fields[static_cast<size_t>(bad)].name + " out of range");
    }
    s->bindInt(n + 1, currentRow_);
    s->bindInt(n + 2, currentRevision_);
    rc = s->step();
    s->reset();
    if (rc != SQLITE_DONE) return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
    session_.invalidateWalks(id());
    lastIdKnown_ = false;  // the identifier may have changed
    if (c->changes() == 1) {
        ++currentRevision_;
        session_.noteWrite(id(), currentRow_, currentRevision_ - 1, false);
        return Error::None;
    }
    // Nothing matched: the row is gone, another connection changed it since it was read, or the
    // engine left it alone for a duplicate key (updateGuard). It is read beside the buffer (the
    // walk's rows were dropped above), which keeps the caller's values on a duplicate.
    int64_t rev = 0;
    resizeAhead(1);
    Error e = readRow(session_, def_, c, currentRow_, aheadSlot(0), rev);
    if (e == Error::NoRecord) {
        currentRow_ = 0;
        return session_.failText(Error::NoRecord, id(), "record was deleted by another station");
    }
    if (e != Error::None) return e;
    if (rev == currentRevision_)
        return session_.failText(Error::DuplicateKey, id(), "duplicate key");
    assignFromAhead(0);
    currentRevision_ = rev;
    return session_.fail(Error::Changed, id());
}

Error RecordFileBase::erase() {
    Error err = Error::None;
    Connection* c = session_.connectionFor(id(), err);
    if (!c) return err;
    if (currentRow_ == 0) return session_.failText(Error::NoRecord, id(), "no current record");
    int rc = SQLITE_OK;
    Statement* s = c->slot(
        id(), SlotDelete, [&] { return "DELETE FROM " + c->table(def_) + " WHERE \"_Row\" = ?"; },
        rc);
    if (!s) return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
    s->bindInt(1, currentRow_);
    rc = s->step();
    s->reset();
    if (rc != SQLITE_DONE) return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
    session_.invalidateWalks(id());
    lastIdKnown_ = false;  // it may have been the highest
    const bool gone = c->changes() == 1;
    const int64_t row = currentRow_;
    currentRow_ = 0;
    if (!gone) return session_.fail(Error::NoRecord, id());
    session_.noteWrite(id(), row, currentRevision_, false);
    return Error::None;
}

int64_t RecordFileBase::identifier() const {
    const FieldValue v = getField(def_, rec_, 0);
    return std::holds_alternative<int64_t>(v) ? std::get<int64_t>(v) : 0;
}

Error RecordFileBase::lastIdentifier(int64_t& last) {
    last = 0;
    Error err = Error::None;
    Connection* c = session_.connectionFor(id(), err);
    if (!c) return err;
    const bool held = session_.inTransaction() && session_.covers(id());
    if (held && lastIdKnown_) {
        last = lastId_;
        return Error::None;
    }
    int rc = SQLITE_OK;
    Statement* s = c->slot(
        id(), SlotLastId,
        [&] {
            const std::string pk = "\"" + def_.fields.front().name + "\"";
            return "SELECT " + pk + " FROM " + c->table(def_) + " WHERE " + keyPresentSql(def_, 0) +
                   " ORDER BY " + pk + " DESC LIMIT 1";
        },
        rc);
    if (!s) return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
    rc = s->step();
    if (rc == SQLITE_ROW) last = s->columnInt(0);
    s->reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
    lastId_ = last;
    lastIdKnown_ = held;
    return Error::None;
}

Error RecordFileBase::records(int64_t& count) {
    count = 0;
    Error err = Error::None;
    Connection* c = session_.connectionFor(id(), err);
    if (!c) return err;
    int rc = SQLITE_OK;
    Statement* s = c->slot(
        id(), SlotCount, [&] { return "SELECT count(*) FROM " + c->table(def_); }, rc);
    if (!s) return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
    rc = s->step();
    if (rc == SQLITE_ROW) count = s->columnInt(0);
    s->reset();
    if (rc != SQLITE_ROW) return session_.fail(storageErrorFromSqlite(rc), id(), c, rc);
    return Error::None;
}

}  // namespace storage
