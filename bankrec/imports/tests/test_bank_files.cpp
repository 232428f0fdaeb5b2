// The BAI2 and OFX readers over hand-written files: records and continuations, accounts,
// trailers, funds types, malformed records, the two OFX forms, dates and amounts.
#include <gtest/gtest.h>

#include "bank_test_data.h"
#include "bankrec/imports/bank_files.h"
#include "corelib/daytime.h"

using namespace imports;
using corelib::daytime::dayNumber;

namespace {

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

bool hasWarning(const BankFile& f, const std::string& part) {
    for (const std::string& w : f.warnings)
        if (w.find(part) != std::string::npos) return true;
    return false;
}

}  // namespace

TEST(Bai2File, AccountsItemsAndContinuationsOfAFileThatAddsUp) {
    const BankFile f = parseBai2(testData("two_accounts.bai"));
    ASSERT_TRUE(f.recognised);
    EXPECT_TRUE(f.warnings.empty()) << f.warnings.front();
    EXPECT_EQ(f.skipped, 0);
    ASSERT_EQ(f.accounts.size(), 2u);
    const BankAccount& a = f.accounts[0];
    EXPECT_EQ(a.number, "1111111");
    EXPECT_EQ(BankFile::label(a), "1111111 (USD, 3 items)");
    ASSERT_EQ(a.items.size(), 3u);
    const int32_t asOf = dayNumber(2024, 1, 15);
    // The customer reference gives the check number, leading zeros dropped.
    EXPECT_EQ(a.items[0].checkNumber, "1234");
    EXPECT_EQ(a.items[0].cents, 12500);
    EXPECT_EQ(a.items[0].date, asOf);
    EXPECT_FALSE(a.items[0].credit);
    // The continuation record carries the customer reference and the text.
    EXPECT_EQ(a.items[1].checkNumber, "1235");
    EXPECT_EQ(a.items[1].cents, 4000);
    EXPECT_EQ(a.items[1].raw, "16,475,4000,0,BR2,1235,check text");
    // A credit has no check number, whatever its references.
    EXPECT_TRUE(a.items[2].credit);
    EXPECT_TRUE(a.items[2].checkNumber.empty());
    EXPECT_EQ(a.items[2].cents, 50000);
    ASSERT_EQ(f.accounts[1].items.size(), 1u);
    EXPECT_EQ(f.accounts[1].items[0].checkNumber, "77");
}

TEST(Bai2File, TrailersThatDoNotAddUpAreWarnedAboutAndTheItemsStillRead) {
    std::string text = replaced(testData("two_accounts.bai"), "49,566500,6/", "49,566400,6/");
    text = replaced(text, "99,576400,1,13/", "99,576400,1,12/");
    const BankFile f = parseBai2(text);
    EXPECT_TRUE(hasWarning(f,
                           "account 1111111: the control total in its trailer (49) is 566400, "
                           "the amounts add up to 566500"));
    EXPECT_TRUE(hasWarning(f,
                           "group 1: the control total in its trailer (98) is 576400, its "
                           "accounts add up to 576300"));
    EXPECT_TRUE(hasWarning(f, "the file's trailer (99) counts 12 records, there are 13"));
    EXPECT_EQ(f.accounts[0].items.size(), 3u);

    // Cut short: no trailers at all.
    const std::string cut = text.substr(0, text.find("49,"));
    const BankFile c = parseBai2(cut);
    EXPECT_TRUE(hasWarning(c, "ends without its trailer (99)"));
    EXPECT_EQ(c.accounts[0].items.size(), 3u);
}

TEST(Bai2File, FundsTypesBringTheirOwnFieldsBeforeTheReferences) {
    const std::string text =
        "01,B,C,240301,0800,1,,,2/\n"
        "02,C,B,1,240229,,USD,2/\n"
        "03,55,USD,015,100,,V,240228,1200,400,0,,D,2,0,50,1,50/\n"
        "16,475,1000,V,240228,1200,BR,555/\n"
        "16,195,2000,S,1000,500,500,BR,,INCOMING WIRE, WITH COMMAS/\n"
        "16,474,3000,D,2,0,1000,1,2000,BR,556/\n"
        "49,6100,5/\n98,6100,1,7/\n99,6100,1,9/\n";
    const BankFile f = parseBai2(text);
    EXPECT_TRUE(f.warnings.empty()) << f.warnings.front();
    ASSERT_EQ(f.accounts.size(), 1u);
    const auto& items = f.accounts[0].items;
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].checkNumber, "555");
    EXPECT_EQ(items[0].date, dayNumber(2024, 2, 29));  // the group's date, not the value date
    EXPECT_TRUE(items[1].credit);
    EXPECT_EQ(items[2].checkNumber, "556");  // a certified check debit is a paid check too
    EXPECT_EQ(items[2].cents, 3000);
}

TEST(Bai2File, MalformedRecordsArePassedOverAndCounted) {
    const std::string text =
        "01,B,C,240301,0800,1,,,2/\n"
        "16,475,100,,,1/\n"          // before any account
        "02,C,B,1,240229,,USD,2/\n"  //
        "03,55,USD/\n"
        "16,4x5,100,,,2/\n"    // type code not a number
        "16,475,,,,3/\n"       // no amount
        "16,475,-100,,,4/\n"   // a negative detail amount
        "16,475,100,Q,,5/\n"   // unknown funds type
        "16,901,100,,,6/\n"    // a bank's own code
        "77,what is this/\n"   // unknown record
        "16,475,100,,,ABC/\n"  // read: a paid check without a usable number
        "16,451,700,,,/\n"     // read: an ACH debit
        "\n\n"                 // blank lines are nothing
        "49,1000,10/\n98,1000,1,12/\n99,1000,1,15/\n";
    const BankFile f = parseBai2(text);
    EXPECT_EQ(f.skipped, 7);
    ASSERT_EQ(f.accounts.size(), 1u);
    ASSERT_EQ(f.accounts[0].items.size(), 2u);
    EXPECT_TRUE(f.accounts[0].items[0].checkNumber.empty());
    EXPECT_FALSE(f.accounts[0].items[1].credit);

    EXPECT_FALSE(parseBai2("").recognised);
    EXPECT_FALSE(parseBai2("<OFX>").recognised);
    EXPECT_FALSE(parseBai2("88,continues nothing\n").recognised);
}

TEST(Bai2File, TheSameAccountInTwoGroupsIsOneAccount) {
    const std::string text =
        "01,B,C,240301,0800,1,,,2/\n"
        "02,C,B,1,240228,,USD,2/\n03,55,USD/\n16,475,100,,,1/\n49,100,3/\n98,100,1,5/\n"
        "02,C,B,1,240229,,USD,2/\n03,55,USD/\n16,475,200,,,2/\n49,200,3/\n98,200,1,5/\n"
        "99,300,2,12/\n";
    const BankFile f = parseBai2(text);
    EXPECT_TRUE(f.warnings.empty()) << f.warnings.front();
    ASSERT_EQ(f.accounts.size(), 1u);
    ASSERT_EQ(f.accounts[0].items.size(), 2u);
    EXPECT_EQ(f.accounts[0].items[0].date, dayNumber(2024, 2, 28));
    EXPECT_EQ(f.accounts[0].items[1].date, dayNumber(2024, 2, 29));
}

TEST(OfxFile, SgmlAndXmlFormsGiveTheSameItems) {
    const BankFile sgml = parseOfx(testData("statement.ofx"));
    const BankFile xml = parseOfx(testData("statement.qfx"));
    for (const BankFile* f : {&sgml, &xml}) {
        ASSERT_TRUE(f->recognised);
        EXPECT_TRUE(f->warnings.empty());
        EXPECT_EQ(f->records, 5);
        EXPECT_EQ(f->skipped, 1);  // the transaction without a date
        ASSERT_EQ(f->accounts.size(), 1u);
        EXPECT_EQ(f->accounts[0].number, "9876");
        EXPECT_EQ(f->accounts[0].currency, "USD");
        ASSERT_EQ(f->accounts[0].items.size(), 4u);
    }
    for (size_t i = 0; i < 4; ++i) {
        const BankItem& s = sgml.accounts[0].items[i];
        const BankItem& x = xml.accounts[0].items[i];
        EXPECT_EQ(s.checkNumber, x.checkNumber);
        EXPECT_EQ(s.cents, x.cents);
        EXPECT_EQ(s.date, x.date);
        EXPECT_EQ(s.credit, x.credit);
        EXPECT_EQ(s.raw, x.raw);
    }
    const auto& items = sgml.accounts[0].items;
    // CHECKNUM: the sign dropped, zeros dropped, the date from DTPOSTED's first eight digits.
    EXPECT_EQ(items[0].checkNumber, "1234");
    EXPECT_EQ(items[0].cents, 12500);
    EXPECT_EQ(items[0].date, dayNumber(2024, 1, 15));
    EXPECT_EQ(items[0].raw,
              "TRNTYPE=CHECK DTPOSTED=20240115120000.000[-5:EST] TRNAMT=-125.00 FITID=1 "
              "CHECKNUM=0001234 NAME=Acme & Sons");
    // A numeric REFNUM is a check number on money going out, not on a deposit.
    EXPECT_EQ(items[1].checkNumber, "1235");
    EXPECT_TRUE(items[2].credit);
    EXPECT_TRUE(items[2].checkNumber.empty());
    EXPECT_EQ(items[2].cents, 50000);
    // A debit without a number stays a debit (listed, never marked as a check).
    EXPECT_FALSE(items[3].credit);
    EXPECT_TRUE(items[3].checkNumber.empty());
}

TEST(OfxFile, AmountsStatementsAndFilesCutShort) {
    const std::string text =
        "<OFX><CREDITCARDMSGSRSV1><CCSTMTTRNRS><CCSTMTRS><CURDEF>EUR<CCACCTFROM><ACCTID>4444"
        "</CCACCTFROM><BANKTRANLIST>"
        "<STMTTRN><DTPOSTED>20240301<TRNAMT>12,5<CHECKNUM>9</STMTTRN>"
        "<STMTTRN><DTPOSTED>20240301<TRNAMT>+7</STMTTRN>"
        "<STMTTRN><DTPOSTED>20240301<TRNAMT>1.005</STMTTRN>"  // a third decimal: malformed
        "<STMTTRN><DTPOSTED>20240301<TRNAMT>-3.500</STMTTRN>"
        "<STMTTRN><DTPOSTED>20240230<TRNAMT>1.00</STMTTRN>"  // no such day
        "<STMTTRN><TRNAMT>1.00</STMTTRN>"
        "</BANKTRANLIST></CCSTMTRS>"
        "<STMTRS><BANKACCTFROM><ACCTID>5555</BANKACCTFROM><BANKTRANLIST>"
        "<!-- <STMTTRN> in a comment --><STMTTRN><DTPOSTED>20240302<TRNAMT>-1";
    const BankFile f = parseOfx(text);
    ASSERT_TRUE(f.recognised);
    EXPECT_TRUE(hasWarning(f, "ends before </OFX>"));
    EXPECT_EQ(f.skipped, 3);
    ASSERT_EQ(f.accounts.size(), 2u);
    EXPECT_EQ(f.accounts[0].number, "4444");
    EXPECT_EQ(f.accounts[0].currency, "EUR");
    ASSERT_EQ(f.accounts[0].items.size(), 3u);
    EXPECT_EQ(f.accounts[0].items[0].cents, 1250);
    EXPECT_EQ(f.accounts[0].items[0].checkNumber, "9");
    EXPECT_EQ(f.accounts[0].items[1].cents, 700);
    EXPECT_TRUE(f.accounts[0].items[1].credit);
    EXPECT_EQ(f.accounts[0].items[2].cents, 350);
    // The last transaction, cut short after its amount, is still read.
    ASSERT_EQ(f.accounts[1].items.size(), 1u);
    EXPECT_EQ(f.accounts[1].number, "5555");
    EXPECT_EQ(f.accounts[1].items[0].cents, 100);

    EXPECT_FALSE(parseOfx("01,B,C/\n").recognised);
    EXPECT_FALSE(parseOfx("").recognised);
}

TEST(BankCheckNumber, APlainWholeNumberNeverNegative) {
    EXPECT_EQ(bankCheckNumber(" 0001234 "), "1234");
    EXPECT_EQ(bankCheckNumber("+12"), "12");
    EXPECT_EQ(bankCheckNumber("-001"), "");
    EXPECT_EQ(bankCheckNumber("12A"), "");
    EXPECT_EQ(bankCheckNumber("000"), "");
    // From the files: a negative customer reference or CHECKNUM is no check number.
    const BankFile b = parseBai2(
        "01,B,C,240301,0800,1,,,2/\n02,C,B,1,240229,,USD,2/\n"
        "03,1,USD/\n16,475,100,,BR,-001/\n");
    ASSERT_EQ(b.accounts.at(0).items.size(), 1u);
    EXPECT_FALSE(b.accounts[0].items[0].isCheck());
    const BankFile o =
        parseOfx("<OFX><STMTTRN><DTPOSTED>20240301<TRNAMT>-1.00<CHECKNUM>-1234</STMTTRN></OFX>");
    ASSERT_EQ(o.accounts.at(0).items.size(), 1u);
    EXPECT_FALSE(o.accounts[0].items[0].isCheck());
}

TEST(BankDate, SixAndEightDigitDates) {
    EXPECT_EQ(bankDate("240115"), dayNumber(2024, 1, 15));
    EXPECT_EQ(bankDate("991231"), dayNumber(1999, 12, 31));
    EXPECT_EQ(bankDate("20240229"), dayNumber(2024, 2, 29));
    EXPECT_EQ(bankDate("20230229"), 0);
    EXPECT_EQ(bankDate("2401"), 0);
    EXPECT_EQ(bankDate("24011a"), 0);
    EXPECT_EQ(bankDate(""), 0);
}
