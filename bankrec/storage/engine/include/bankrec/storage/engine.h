#pragma once
// Internal to the storage engine: what differs between the engines that keep the record files
// (SQLite files in the data folder, or a PostgreSQL server): opening and checking a file against
// the dictionary, upgrading and rebuilding it, the connections a session works on, and beginning
// and committing a transaction over named files. FileSession does the rest the same way on both.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/records.h"
#include "bankrec/storage/storage_error.h"

namespace storage {

class Connection;
class FileSession;
class Storage;

class Engine {
  public:
    virtual ~Engine() = default;
    // A connection of its own for `file`, the file checked against the dictionary (an older
    // version upgraded in place first, APbnu claimed for the division). With `create` a missing
    // file is made at the current version. Errors as FileSession::open()/create().
    virtual Error openFile(FileSession& s, FileId file, bool create,
                           std::unique_ptr<Connection>& out) = 0;
    // FileSession::upgrade() and rebuildKeys().
    virtual Error upgrade(FileSession& s, FileId file) = 0;
    virtual Error rebuildKeys(FileSession& s, FileId file) = 0;
    // A connection that reaches exactly the files of `mask` (open already), for transactions
    // over them and reads joining them.
    virtual Error openFiles(FileSession& s, uint32_t mask, std::unique_ptr<Connection>& out) = 0;
    // Whether a transaction over one file runs on that file's own connection.
    virtual bool singleOnOwnConnection() const = 0;
    // Begins a write transaction on `c` over the files of `mask`, keeping other writers of them
    // out and waiting up to `timeoutSeconds` for them: 0; 48 when the wait runs out; 90.
    virtual Error begin(FileSession& s, Connection& c, uint32_t mask, int timeoutSeconds) = 0;
    // Commits, waiting up to `waitMs` for readers that still hold a file. A result code.
    virtual int commit(Connection& c, int waitMs) = 0;
};

// The columns a current table holds: the fields in declared order, then the hidden ones.
std::vector<std::string> expectedColumns(const FileDef& f);
// Whether a table holds the declared fields in their order, whatever hidden columns (their names
// begin with '_') it has: a file written before the hidden columns were what they are now.
bool sameFields(const FileDef& f, const std::vector<std::string>& cols);
// INSERT ... SELECT copying the rows of an older table (columns `cols`) into a current one: the
// fields it has, former fields into their successors, the others empty; `row` gives the place.
std::string copyRowsSql(const FileDef& f, const std::vector<std::string>& cols,
                        const std::string& to, const std::string& from, const std::string& row);
// Why APbnu of another division is refused.
std::string otherDivisionText(int owner);

// The engine the storage names: its server when it has one, else SQLite files.
std::unique_ptr<Engine> makeEngine(const Storage& storage);
std::unique_ptr<Engine> makeSqliteEngine();
std::unique_ptr<Engine> makePostgresEngine(const Storage& storage);

}  // namespace storage
