#include "tvsuite/ledger_lookup.h"

#include "tvsuite/account_form.h"
#include "tvsuite/fixed_text.h"

namespace tvsuite {

std::optional<std::string> findAccount(SqliteDb& db, const std::string& division,
                                       const std::vector<std::string>& segments) {
    const std::string internal = internalForm(segments);
    Statement read(db, "SELECT 1 FROM Account WHERE Division = ?1 AND Internal = ?2");
    read.bind(1, division).bind(2, internal);
    if (read.step() != SQLITE_ROW) return std::nullopt;
    return internal;
}

std::optional<SegmentRow> findSegment(SqliteDb& db, const std::string& division, int number,
                                      const std::string& value) {
    Statement read(db,
                   "SELECT Status, Description FROM Segment WHERE Division = ?1 AND SegNbr = ?2"
                   " AND Value = ?3");
    read.bind(1, division).bind(2, int64_t{number}).bind(3, value);
    if (read.step() != SQLITE_ROW) return std::nullopt;
    return SegmentRow{read.text(0), read.text(1)};
}

std::optional<JournalRow> findJournal(SqliteDb& db, const std::string& division,
                                      const std::string& abbr) {
    Statement read(db,
                   "SELECT RcdType, Abbr, Nbr, Description, Post, Budget FROM Journal"
                   " WHERE Division = ?1 AND RcdType = '1' AND Abbr = ?2");
    read.bind(1, division).bind(2, abbr);
    if (read.step() != SQLITE_ROW) return std::nullopt;
    return JournalRow{read.text(0), read.text(1), read.text(2),
                      read.text(3), read.text(4), read.text(5) == "1"};
}

std::string accountProblem(SqliteDb& db, const std::string& division,
                           const std::vector<std::string>& segments, const JournalRow& journal) {
    const std::string external = externalForm(segments);
    if (!findAccount(db, division, segments)) return "Account " + external + " not in system.";
    for (size_t i = 0; i < segments.size(); ++i) {
        auto segment = findSegment(db, division, static_cast<int>(i + 1), segments[i]);
        if (!segment) return "Account " + external + " not in system.";
        if (segment->status != "A" && segment->status != "B")
            return "Account " + external + " not in active.";
        if (segment->status == "B" && !journal.budget)
            return journal.abbr + " is not a budget journal.";
    }
    return {};
}

}  // namespace tvsuite
