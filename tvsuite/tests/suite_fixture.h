#pragma once
// A fresh demo suite (division 02) in a temporary folder per test, with the suite's data
// folder pointing at it, and helpers for the fixed-length fields of the suite's calls.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <array>
#include <cstdint>
#include <string>

#include "suiteapi/tvsysdata.h"
#include "tvhost/suite_database.h"

class SuiteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        const QString error =
            tvhost::createSuiteDatabase("sqlite:" + dir_.path(), 2, {}, {}, dir_.path(), true);
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        tvsuite_SetDataFolder(dir_.path().toUtf8().constData());
    }
    void TearDown() override { tvsuite_SetDataFolder(nullptr); }

    std::string folder() const { return dir_.path().toStdString(); }

    QTemporaryDir dir_;
};

// A zero-filled text field of N bytes.
template <size_t N>
using Field = std::array<char, N>;

inline std::string text(const char* field) {
    return std::string(field);
}

inline std::string trimmed(const char* field) {
    std::string value(field);
    while (!value.empty() && value.back() == ' ') value.pop_back();
    return value;
}

// An amount in the "n-019.2" form.
inline std::string amount19(int64_t cents) {
    const bool negative = cents < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(cents) : cents;
    char body[32];
    std::snprintf(body, sizeof body, "%0*llu.%02llu", negative ? 15 : 16,
                  static_cast<unsigned long long>(magnitude / 100),
                  static_cast<unsigned long long>(magnitude % 100));
    return (negative ? "-" : "") + std::string(body);
}

inline std::string pad(const std::string& value, size_t width) {
    std::string out = value.substr(0, width);
    out.resize(width, ' ');
    return out;
}

// A journal entry line as the bank program builds it.
inline std::string journalLine(const std::string& journal, const std::string& description,
                               int64_t cents, const std::string& internal) {
    return " " + pad(journal, 5) + pad(description, 30) + pad("", 30) + "0000000000" +
           "00000000000000.0000" + "00000000000000.0000" + "00000000000000.0000" + amount19(0) +
           amount19(cents) + internal;
}
