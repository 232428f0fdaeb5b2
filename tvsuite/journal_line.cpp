#include "tvsuite/journal_line.h"

#include "suiteapi/tvgldata.h"
#include "tvsuite/account_form.h"
#include "tvsuite/fixed_text.h"

namespace tvsuite {

std::optional<JournalLine> parseJournalLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.size() < TVGL_LINE_ACCOUNT_OFS + 3 || line[0] != ' ') return std::nullopt;
    JournalLine out;
    out.journal = upper(trim(line.substr(TVGL_LINE_JOURNAL_OFS, 5)));
    out.description = trim(line.substr(TVGL_LINE_DESC_OFS, 30));
    out.ref1 = trim(line.substr(TVGL_LINE_REF1_OFS, 10));
    out.ref2 = trim(line.substr(TVGL_LINE_REF2_OFS, 10));
    out.ref3 = trim(line.substr(TVGL_LINE_REF3_OFS, 10));
    if (out.journal.empty()) return std::nullopt;
    if (!allDigits(trim(line.substr(TVGL_LINE_ZERO_OFS, 10)))) return std::nullopt;
    // Three amounts with four decimals and one with two, all zero in a journal line.
    for (int i = 0; i < 4; ++i) {
        const std::string field = trim(line.substr(TVGL_LINE_ZERO_AMOUNTS_OFS + i * 19, 19));
        auto value = parseCents(field);
        if (!value || *value != 0) return std::nullopt;
    }
    auto amount = parseCents(line.substr(TVGL_LINE_AMOUNT_OFS, 19));
    if (!amount) return std::nullopt;
    out.amountCents = *amount;
    auto segments = segmentsOfInternal(line.substr(TVGL_LINE_ACCOUNT_OFS));
    if (!segments) return std::nullopt;
    out.segments = std::move(*segments);
    return out;
}

}  // namespace tvsuite
