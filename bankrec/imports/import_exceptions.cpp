#include "bankrec/imports/import_exceptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "corelib/text.h"

namespace imports {

namespace {

std::string plural(int64_t n, const char* what) {
    return std::to_string(n) + " " + what;
}

}  // namespace

const char* outcomeName(MarkOutcome outcome) {
    switch (outcome) {
        case MarkOutcome::Ambiguous:
            return "Ambiguous";
        case MarkOutcome::Marked:
            return "Marked";
        case MarkOutcome::AlreadyMarked:
            return "Already marked";
        case MarkOutcome::Skipped:
            return "Skipped";
        case MarkOutcome::NotMatched:
            break;
    }
    return "Not matched";
}

std::string importCountsText(const ImportCounts& c) {
    return plural(c.lines, c.lines == 1 ? "line read" : "lines read") + ", " +
           plural(c.marked, "marked") + ", " + plural(c.alreadyMarked, "already marked") + ", " +
           plural(c.notMatched, "not matched") + ", " + plural(c.ambiguous, "ambiguous") + ", " +
           plural(c.skipped, "skipped");
}

std::string exceptionsCsv(const ImportResult& result) {
    std::string out = corelib::text::csvField(importCountsText(result.counts)) + "\r\n";
    for (const std::string& w : result.warnings)
        out += corelib::text::csvField("Warning: " + w) + "\r\n";
    out += "Line,Result,Looked for,Text\r\n";
    for (const ImportException& e : result.exceptions)
        out += std::to_string(e.line) + "," + outcomeName(e.outcome) + "," +
               corelib::text::csvField(e.note) + "," + corelib::text::csvField(e.text) + "\r\n";
    return out;
}

bool saveExceptionsCsv(const std::string& path, const ImportResult& result, std::string& error) {
    const std::string temporary = path + ".part";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) {
        error = std::strerror(errno);
        return false;
    }
    const std::string text = exceptionsCsv(result);
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const int writeErrno = errno;
    const bool closed = std::fclose(f) == 0;
    std::error_code ec;
    if (!written || !closed) {
        error = std::strerror(written ? errno : writeErrno);
        std::filesystem::remove(temporary, ec);
        return false;
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        error = ec.message();
        std::filesystem::remove(temporary, ec);
        return false;
    }
    return true;
}

}  // namespace imports
