#pragma once
// Look-ups in a division's chart of accounts and journal file, shared by the account
// calls, the journal calls and posting.
#include <optional>
#include <string>
#include <vector>

#include "tvsuite/sqlite_db.h"

namespace tvsuite {

struct SegmentRow {
    std::string status;
    std::string description;
};
struct JournalRow {
    std::string recordType, abbr, number, description, post;
    bool budget = false;
};

// The account's canonical internal form when it is in the chart.
std::optional<std::string> findAccount(SqliteDb& db, const std::string& division,
                                       const std::vector<std::string>& segments);
std::optional<SegmentRow> findSegment(SqliteDb& db, const std::string& division, int number,
                                      const std::string& value);
// A journal of record type "1" by abbreviation (upper case, trimmed).
std::optional<JournalRow> findJournal(SqliteDb& db, const std::string& division,
                                      const std::string& abbr);

// Checks an account for posting with `journal`: empty when every segment is in the chart,
// active or budget only (budget only needing a budget journal), else the reason.
std::string accountProblem(SqliteDb& db, const std::string& division,
                           const std::vector<std::string>& segments, const JournalRow& journal);

}  // namespace tvsuite
