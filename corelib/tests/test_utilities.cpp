#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "corelib/hex_dump.h"
#include "corelib/memo_extract.h"
#include "corelib/message_script.h"
#include "corelib/zor_spelledamount.h"

using namespace corelib;

namespace {

TEST(SpelledAmount, SpellsChecksAsPrinted) {
    struct Case {
        const char* amount;
        const char* suffix;
        const char* words;
    };
    const Case cases[] = {
        {"1234.56", "Dollars", "One Thousand Two Hundred Thirty Four and 56/100 Dollars"},
        {"0.00", "", "No/100"},
        {"1000000", "", "One Million and No/100"},
        {"1000000.00", "Dollars", "One Million and No/100 Dollars"},
        {"1234567890123456789012", "", "Too Many Digits (22) The limit is Decimal(23,2)."},
        {"12345678901234567890123.45", "", "Too Many Digits (23) The limit is Decimal(23,2)."},
        {"0.05", "Dollars", " 5/100 Dollars"},
        {"1.05", "", "One and  5/100"},
        {"11", "", "Eleven and No/100"},
        {"20", "", "Twenty and No/100"},
        {"99.99", "", "Ninety Nine and 99/100"},
        {"100", "", "One Hundred and No/100"},
        {"110", "", "One Hundred Ten and No/100"},
        {"1001000", "", "One Million One Thousand and No/100"},
        {"7000000000", "", "Seven Billion and No/100"},
        {"999999999999999999999.99", "",
         "Nine Hundred Ninety Nine Quintillion Nine Hundred Ninety Nine Quadrillion Nine Hundred "
         "Ninety Nine Trillion Nine Hundred Ninety Nine Billion Nine Hundred Ninety Nine Million "
         "Nine Hundred Ninety Nine Thousand Nine Hundred Ninety Nine and 99/100"},
        {" 1,234.5 ", "Dollars  ", "One Thousand Two Hundred Thirty Four and 50/100 Dollars"},
        {"000042.10", "", "Forty Two and 10/100"},
        {"12.345", "", "Twelve and 35/100"},
        {"12.344", "", "Twelve and 34/100"},
        {"0.999", "", "One and No/100"},
        {"999999999999999999999.995", "", "Too Many Digits (22) The limit is Decimal(23,2)."},
        {"-15.00", "", "Fifteen and No/100"},
        {"", "", ""},
        {"abc", "Dollars", ""},
        {"1.2.3", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ZOR_SPELLEDAMOUNT(c.amount, c.suffix), c.words) << '"' << c.amount << '"';
    }
    EXPECT_EQ(ZOR_SPELLEDAMOUNT(Decimal::fromCents(100005), "Dollars"),
              "One Thousand and  5/100 Dollars");
}

TEST(SpelledAmount, KeepsTheResultWithinItsField) {
    const std::string longSuffix(600, 'x');
    EXPECT_EQ(ZOR_SPELLEDAMOUNT("1", longSuffix).size(), 499u);
    // 301 + "One and No/100 " leaves an odd number of bytes for two-byte characters.
    std::string accents(301, 'x');
    for (int i = 0; i < 150; ++i) accents += "é";
    const std::string cut = ZOR_SPELLEDAMOUNT("1", accents);
    EXPECT_LE(cut.size(), 499u);
    EXPECT_NE(static_cast<unsigned char>(cut.back()), 0xC3);  // not half a character
}

// An independent speller, written the plain recursive way, that the words are checked against.
const char* kPythonSpeller = R"PY(
import sys
UNITS = "Zero One Two Three Four Five Six Seven Eight Nine Ten Eleven Twelve Thirteen Fourteen Fifteen Sixteen Seventeen Eighteen Nineteen".split()
TENS = "_ _ Twenty Thirty Forty Fifty Sixty Seventy Eighty Ninety".split()
SCALES = ["", "Thousand", "Million", "Billion", "Trillion", "Quadrillion", "Quintillion"]
def below_thousand(n):
    words = []
    if n >= 100:
        words += [UNITS[n // 100], "Hundred"]
        n %= 100
    if n >= 20:
        words.append(TENS[n // 10])
        if n % 10:
            words.append(UNITS[n % 10])
    elif n > 0:
        words.append(UNITS[n])
    return words
def spell(whole):
    words, rank = [], 0
    while whole > 0:
        whole, group = divmod(whole, 1000)
        if group:
            words = below_thousand(group) + ([SCALES[rank]] if SCALES[rank] else []) + words
        rank += 1
    return " ".join(words)
for line in sys.stdin:
    line = line.strip()
    if not line:
        continue
    whole, cents = line.split(".")
    text = spell(int(whole))
    tail = ("No" if int(cents) == 0 else "%2d" % int(cents)) + "/100 Dollars"
    print((text + " and " if text else "") + tail)
)PY";

TEST(SpelledAmount, AgreesWithAnIndependentSpeller) {
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty()) GTEST_SKIP() << "python3 is not installed";

    std::mt19937_64 random(20261207);
    std::vector<std::string> amounts;
    for (int i = 0; i < 400; ++i) {
        // Whole parts of every length from 1 to 21 digits, cents of every kind.
        const int digits = 1 + i % 21;
        std::string whole;
        for (int d = 0; d < digits; ++d) whole += static_cast<char>('0' + random() % 10);
        if (i % 7 == 0) whole[whole.size() / 2] = '0';
        const unsigned cents = i % 5 == 0 ? 0 : static_cast<unsigned>(random() % 100);
        amounts.push_back(whole + "." + (cents < 10 ? "0" : "") + std::to_string(cents));
    }
    std::string input;
    for (const auto& a : amounts) input += a + "\n";

    QProcess process;
    process.start(python, QStringList{"-c", QString::fromUtf8(kPythonSpeller)});
    ASSERT_TRUE(process.waitForStarted(10000));
    process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    std::istringstream expected(process.readAllStandardOutput().toStdString());
    std::string line;
    size_t n = 0;
    for (; std::getline(expected, line) && n < amounts.size(); ++n) {
        EXPECT_EQ(ZOR_SPELLEDAMOUNT(amounts[n], "Dollars"), line) << amounts[n];
    }
    EXPECT_EQ(n, amounts.size());
}

// Collects every line MEMO_EXTRACT gives, and the positions it leaves.
std::vector<std::string> allLines(const std::string& text, int32_t width) {
    std::vector<std::string> lines;
    int32_t position = 0;
    for (int guard = 0; guard < 1000; ++guard) {
        const int32_t before = position;
        std::string line = MEMO_EXTRACT(text, position, width);
        if (position == before) break;
        lines.push_back(line);
    }
    return lines;
}

TEST(MemoExtract, WrapsByTable) {
    using Lines = std::vector<std::string>;
    struct Case {
        const char* text;
        int32_t width;
        Lines lines;
    };
    const Case cases[] = {
        {"the quick brown fox", 10, Lines{"the quick", "brown fox"}},
        {"the quick brown fox", 9, Lines{"the quick", "brown fox"}},
        {"the quick brown fox", 8, Lines{"the", "quick", "brown", "fox"}},
        {"abcdefghijkl", 5, Lines{"abcde", "fghij", "kl"}},
        {"ab abcdefghijkl", 5, Lines{"ab", "abcde", "fghij", "kl"}},
        {"one\r\ntwo three", 20, Lines{"one", "two three"}},
        {"one\rtwo", 20, Lines{"one", "two"}},
        {"one\ntwo", 20, Lines{"one", "two"}},
        {"one\r\n\r\ntwo", 20, Lines{"one", "", "two"}},
        {"abcde\r\nfgh", 5, Lines{"abcde", "fgh"}},
        {"abcde   \r\nfgh", 5, Lines{"abcde", "fgh"}},
        {"word    next", 4, Lines{"word", "next"}},
        {"a  b  c  d", 4, Lines{"a  b", "c  d"}},
        {"aaa  bbbbbb", 6, Lines{"aaa", "bbbbbb"}},
        {"Grüße aus Köln", 5, Lines{"Grüße", "aus", "Köln"}},
        {"trailing   ", 8, Lines{"trailing"}},
        {"", 10, Lines{}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(allLines(c.text, c.width), c.lines) << '"' << c.text << "\" width " << c.width;
    }
}

TEST(MemoExtract, MovesThePositionAndStopsAtTheEnd) {
    const std::string text = "toolongword rest";
    int32_t position = 0;
    EXPECT_EQ(MEMO_EXTRACT(text, position, 4), "tool");
    EXPECT_EQ(position, 4);
    EXPECT_EQ(MEMO_EXTRACT(text, position, 4), "ongw");
    position = static_cast<int32_t>(text.size());
    EXPECT_EQ(MEMO_EXTRACT(text, position, 4), "");
    EXPECT_EQ(position, static_cast<int32_t>(text.size()));
    position = 1000;
    EXPECT_EQ(MEMO_EXTRACT(text, position, 4), "");
    position = -3;
    EXPECT_EQ(MEMO_EXTRACT(text, position, 4), "tool");
    position = 0;
    EXPECT_EQ(MEMO_EXTRACT(text, position, 0), "");
    EXPECT_EQ(position, 0);
}

TEST(HexDump, ShowsEachByteAsTwoDigitsAndABlank) {
    EXPECT_EQ(hexDumpText(std::string_view("\x1f\0A\xff", 4), 4), "1f 00 41 ff ");
    EXPECT_EQ(hexDumpText("ABC", 2), "41 42 ");
    EXPECT_EQ(hexDumpText("ABC", 50), "41 42 43 ");  // never past the buffer
    EXPECT_EQ(hexDumpText("ABC", 0), "");
    EXPECT_EQ(hexDumpText("ABC", -1), "");
    const std::string big(5000, 'z');
    const std::string text = hexDumpText(big, 5000);
    EXPECT_EQ(text.size(), 1023u);
    EXPECT_EQ(text.substr(0, 6), "7a 7a ");

    ScopedScriptedMessages messages;
    HEX_DUMP("Hi", 2);
    ASSERT_EQ(messages->count(), 1u);
    EXPECT_EQ(messages->last()->text, "48 69 ");
}

}  // namespace
