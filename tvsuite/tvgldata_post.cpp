// Journal entry work files and posting of entries as ledger batches.
#include <cstring>
#include <ctime>

#include "suiteapi/tvgldata.h"
#include "tvsuite/account_form.h"
#include "tvsuite/fixed_text.h"
#include "tvsuite/journal_line.h"
#include "tvsuite/ledger_lookup.h"
#include "tvsuite/open_files.h"
#include "tvsuite/suite_files.h"

using namespace tvsuite;

namespace {

bool validDate(const std::string& text) {
    if (text.size() != 10 || text[2] != '/' || text[5] != '/') return false;
    if (!allDigits(text.substr(0, 2)) || !allDigits(text.substr(3, 2)) ||
        !allDigits(text.substr(6, 4)))
        return false;
    const int month = std::stoi(text.substr(0, 2));
    const int day = std::stoi(text.substr(3, 2));
    const int year = std::stoi(text.substr(6, 4));
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return !(month == 2 && day == 29 && !leap);
}

std::string nowText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// Checks and posts the terminal's lines as one batch: the batch number, or 0 with `error`.
int64_t postEntry(SqliteDb& db, const std::string& terminal, const std::string& division,
                  const std::string& postDate, std::string& error) {
    WriteTransaction transaction(db);
    if (!(error = transaction.begin()).empty()) return 0;
    std::vector<JournalLine> lines;
    {
        Statement read(db, "SELECT Line FROM EntryLine WHERE Terminal = ?1 ORDER BY Seq");
        read.bind(1, terminal);
        int rc;
        while ((rc = read.step()) == SQLITE_ROW) {
            auto line = parseJournalLine(read.text(0));
            if (!line) {
                error = "Journal line " + std::to_string(lines.size() + 1) + " is not valid.";
                return 0;
            }
            lines.push_back(std::move(*line));
        }
        if (rc != SQLITE_DONE) {
            error = db.lastError();
            return 0;
        }
    }
    if (lines.empty()) {
        error = "No journal lines to post.";
        return 0;
    }
    const std::string abbr = lines.front().journal;
    auto journal = findJournal(db, division, abbr);
    if (!journal) {
        error = "Journal " + abbr + " not in system.";
        return 0;
    }
    int64_t balance = 0;
    for (const JournalLine& line : lines) {
        if (line.journal != abbr) {
            error = "Journal entry mixes journals " + abbr + " and " + line.journal + ".";
            return 0;
        }
        if (!(error = accountProblem(db, division, line.segments, *journal)).empty()) return 0;
        balance += line.amountCents;
    }
    if (balance != 0) {
        error = "Journal entry out of balance by " + formatCents(balance) + ".";
        return 0;
    }
    Statement last(db, "SELECT coalesce(max(BatchNbr), 0) FROM Batch WHERE Division = ?1");
    last.bind(1, division);
    if (last.step() != SQLITE_ROW) {
        error = db.lastError();
        return 0;
    }
    const int64_t batch = last.integer(0) + 1;
    Statement head(db,
                   "INSERT INTO Batch(Division, BatchNbr, Journal, PostDate, Terminal, PostedAt,"
                   " LineCount) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
    head.bind(1, division)
        .bind(2, batch)
        .bind(3, abbr)
        .bind(4, postDate)
        .bind(5, terminal)
        .bind(6, nowText())
        .bind(7, static_cast<int64_t>(lines.size()));
    if (head.step() != SQLITE_DONE) {
        error = db.lastError();
        return 0;
    }
    int64_t seq = 0;
    for (const JournalLine& line : lines) {
        Statement insert(db,
                         "INSERT INTO BatchLine(Division, BatchNbr, Seq, Journal, Account,"
                         " Description, Ref1, Ref2, Ref3, AmountCents)"
                         " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
        insert.bind(1, division)
            .bind(2, batch)
            .bind(3, ++seq)
            .bind(4, abbr)
            .bind(5, externalForm(line.segments))
            .bind(6, line.description)
            .bind(7, line.ref1)
            .bind(8, line.ref2)
            .bind(9, line.ref3)
            .bind(10, line.amountCents);
        if (insert.step() != SQLITE_DONE) {
            error = db.lastError();
            return 0;
        }
    }
    Statement drop(db, "DELETE FROM EntryLine WHERE Terminal = ?1");
    drop.bind(1, terminal);
    if (drop.step() != SQLITE_DONE || !(error = transaction.commit()).empty()) {
        if (error.empty()) error = db.lastError();
        return 0;
    }
    return batch;
}

}  // namespace

extern "C" {

void cszopen(char* handle, const char* mode, const char* terminal, char* status) {
    auto number = zeroFilled(fieldText(terminal, 8), 4);
    if (!number) return setStatus(status, "30");
    std::shared_ptr<OpenFile> file;
    const char* result = openFile(handle, FileKind::Entry, mode, nullptr, "OO", &file);
    if (file) {
        file->terminal = *number;
        Statement drop(file->db, "DELETE FROM EntryLine WHERE Terminal = ?1");
        drop.bind(1, file->terminal);
        if (drop.step() != SQLITE_DONE) {
            closeFile(handle, FileKind::Entry);
            result = "90";
        }
    }
    setStatus(status, result);
}

void cszwrite(char* handle, const char* line, char* status) {
    std::shared_ptr<OpenFile> file = findFile(handle, FileKind::Entry);
    if (!file) return setStatus(status, "99");
    const std::string text = fieldText(line, TVGL_LINE_SIZE - 1);
    if (!parseJournalLine(text)) return setStatus(status, "30");
    Statement insert(file->db,
                     "INSERT INTO EntryLine(Terminal, Seq, Line) VALUES(?1, (SELECT"
                     " coalesce(max(Seq), 0) + 1 FROM EntryLine WHERE Terminal = ?1), ?2)");
    insert.bind(1, file->terminal).bind(2, text);
    setStatus(status, insert.step() == SQLITE_DONE ? "00" : "90");
}

void cszclose(char* handle, char* status) {
    setStatus(status, closeFile(handle, FileKind::Entry));
}

void cstPost(const char* terminal, const char* division, const char* zero, const char* postDate,
             const char* mode, char* result, char* work) {
    (void)zero;
    std::string error;
    int64_t batch = 0;
    auto number = zeroFilled(fieldText(terminal, 8), 4);
    auto div = tvsuite::division(division);
    const std::string date = trimmedField(postDate, 12);
    if (!number) {
        error = "Invalid terminal " + trimmedField(terminal, 8) + ".";
    } else if (!div) {
        error = "Invalid division " + trimmedField(division, 8) + ".";
    } else if (!validDate(date)) {
        error = "Invalid posting date " + date + ".";
    } else if (upper(trimmedField(mode, 4)) != "I") {
        error = "Invalid posting mode " + trimmedField(mode, 4) + ".";
    } else {
        SqliteDb db;
        if (!openSuiteFile(db, dataFolder(), false).empty())
            error = "Unable to open the ledger files.";
        else
            batch = postEntry(db, *number, *div, date, error);
    }
    if (result) std::strcpy(result, std::to_string(batch).c_str());
    if (work) putField(work, error, TVGL_WORK_SIZE - 1);
}

}  // extern "C"
