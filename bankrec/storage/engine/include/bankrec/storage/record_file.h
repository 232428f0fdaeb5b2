#pragma once
// One record file as a session sees it: the file's record buffer and the operations on it.
//
//   auto& bnk = session.file<APbnk>();
//   bnk.rec.FIAID = id;
//   if (bnk.get(APBNK_KEY_FIAID) == Error::None) { bnk.rec.Bank = name; err = bnk.put(); }
//
// The "current record" is the last one read into the buffer by get/next/previous/reget or
// written by add; put() and erase() act on it. Walks (set*/next/previous) keep their own
// position, so a get, add or put in the middle of a walk does not move it.
//
// Every operation returns Error::None or an error (storage_error.h; below by its number, 33 for
// Error::NoRecord and so on); details of the failure are in
// session().lastError(). Operations open the file in the session when it is not open yet (and
// give open()'s errors). Outside a transaction each write commits at once; any operation gives
// 32 when another connection holds the file longer than the session's recover time.
#include <cstdint>
#include <memory>
#include <vector>

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/records.h"
#include "bankrec/storage/storage_error.h"

namespace storage {

class FileSession;
class ViewBase;
struct WalkState;

class RecordFileBase {
  public:
    RecordFileBase(const RecordFileBase&) = delete;
    RecordFileBase& operator=(const RecordFileBase&) = delete;
    virtual ~RecordFileBase();

    const FileDef& def() const { return def_; }
    FileId id() const { return def_.id; }
    FileSession& session() const { return session_; }
    void* buffer() { return rec_; }
    const void* buffer() const { return rec_; }

    // Reads the first record (in key order) whose key components equal the buffer's (text
    // without regard to case). 33 when there is none or when the buffer's components are all
    // empty (such records are not in the key); 88 for a key of another file. On failure the
    // buffer is unchanged.
    Error get(KeyId key);
    // Reads the record at a position taken with position(). 33 when it no longer exists.
    Error reget(int64_t position);
    // The position of the current record (0 when there is none); stable while the record lives.
    int64_t position() const { return currentRow_; }

    // Positions a walk along `key` at the buffer's key values: next() then reads the first record
    // at or after them, previous() the last record at or before them.
    Error set(KeyId key);
    // Positions before the first record of the key (next() reads the first).
    Error setStart(KeyId key);
    // Positions after the last record of the key (previous() reads the last).
    Error setEnd(KeyId key);
    // Reads the next / previous record of the walk into the buffer; 33 at the end of the key
    // (buffer unchanged). Records whose key components are all empty are never visited. A walk
    // holds no statement or lock between calls; it reads ahead a few rows, and a write by this
    // session to the file makes it read again from the last record it returned.
    Error next();
    Error previous();

    // Inserts the buffer as a new record (texts cut to their widths) and makes it current.
    // 40 when a unique key would be duplicated; nothing is written then.
    Error add();
    // Writes the buffer over the current record. 33 when there is no current record or it was
    // deleted meanwhile; 40 on a duplicate key; 89 when another connection changed it since it was
    // read: nothing is written and the buffer then holds that connection's current record.
    Error put();
    // Deletes the current record. 33 when there is none or it no longer exists.
    Error erase();
    // Number of records in the file.
    Error records(int64_t& count);
    // The highest identifier in the file (its first field, its primary key), 0 when it holds
    // none; the buffer is not touched. Inside a transaction that names the file it is read once
    // and then followed through this session's adds, as no other station can add meanwhile; a
    // put or erase of the file, or the end of the transaction or of a savepoint, reads it again.
    Error lastIdentifier(int64_t& last);
    // Clears the buffer (numbers 0, texts empty) and forgets the current record.
    void clear();

  protected:
    RecordFileBase(FileSession& session, FileId id, void* rec);
    // The read-ahead rows of walks are records of the file's own type.
    virtual void resizeAhead(size_t n) = 0;
    virtual void* aheadSlot(size_t i) = 0;
    virtual void assignFromAhead(size_t i) = 0;

  private:
    friend class FileSession;
    friend class ViewBase;
    Error walk(bool forward);
    // The buffer's identifier (its first field).
    int64_t identifier() const;
    // set/setStart/setEnd: a new walk along the key from the place `from` (a WalkState::From).
    Error startWalk(KeyId key, int from);
    void invalidateWalk();

    FileSession& session_;
    const FileDef& def_;
    void* rec_;
    int64_t currentRow_ = 0;       // rowid of the current record, 0 when none
    int64_t currentRevision_ = 0;  // its revision as read
    // lastIdentifier() within the transaction that names the file; valid while lastIdKnown_.
    int64_t lastId_ = 0;
    bool lastIdKnown_ = false;
    std::unique_ptr<WalkState> walk_;
    std::vector<ViewBase*> views_;  // views over this file, told when the session writes it
};

template <Record R>
class RecordFile final : public RecordFileBase {
  public:
    RecordFile(FileSession& session) : RecordFileBase(session, R::kFile, &rec) {}
    R rec;

  protected:
    void resizeAhead(size_t n) override { ahead_.resize(n); }
    void* aheadSlot(size_t i) override { return &ahead_[i]; }
    void assignFromAhead(size_t i) override { rec = ahead_[i]; }

  private:
    std::vector<R> ahead_;
};

}  // namespace storage
