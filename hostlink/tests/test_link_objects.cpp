// The link objects' named-field queries, owner strings, connection strings and view filters.
#include <gtest/gtest.h>

#include "corelib/thread_registry.h"
#include "hostlink/host_connection.h"
#include "hostlink/hostlink.h"
#include "hostlink/view_filter.h"

using namespace corelib;
using namespace hostlink;

namespace {

INFO sampleInfo(int division) {
    INFO info;
    info.DIVISION = division;
    info.DATAPATH = "/data/tv";
    info.SERVERNAME = "sqlite:/suite";
    info.USERNAME = "clerk";
    info.USERPW = "pw";
    info.USERID = 12;
    info.TTY = 7;
    return info;
}

}  // namespace

TEST(OwnerString, DivisionTwoAndTwelveNameTheirDatabases) {
    for (const auto& [division, database] :
         {std::pair{2, std::string("tvw02")}, std::pair{12, std::string("tvw12")}}) {
        INFO info = sampleInfo(division);
        CHKQ queue;
        ZORBRCHK link(queue, info);
        const Owner owner = FixOwner([&](std::string_view n) { return link.query(n); });
        EXPECT_EQ(owner.database(), database);
        EXPECT_EQ(owner.text(), "sqlite:/suite," + database + ";UID=clerk;PWD=pw");
        EXPECT_EQ(connectionTarget(owner).sqliteFile.toStdString(), "/suite/" + database + ".db");
    }
}

TEST(OwnerString, FixOwnerLeavesTheThreadRegistryAsItFoundIt) {
    resetThreadRegistry();
    INFO info = sampleInfo(2);
    FixOwner([&](std::string_view n) { return info.query(n); });
    EXPECT_TRUE(threadRegistrySnapshot().empty());
}

TEST(OwnerString, ServerNamePicksTheDriver) {
    Owner owner{"postgresql://db.example:25433", "03", "u", "p"};
    ConnectionTarget t = connectionTarget(owner);
    EXPECT_EQ(t.driver, HostDriver::Postgres);
    EXPECT_EQ(t.host.toStdString(), "db.example");
    EXPECT_EQ(t.port, 25433);

    owner.server = "postgresql://[::1]";
    t = connectionTarget(owner);
    EXPECT_EQ(t.host.toStdString(), "::1");
    EXPECT_EQ(t.port, 0);

    owner.server = "SQLHOST,1444";
    t = connectionTarget(owner);
    EXPECT_EQ(t.driver, HostDriver::Odbc);
    EXPECT_EQ(t.host.toStdString(), "SQLHOST");
    EXPECT_EQ(t.port, 1444);

    owner.server = "SQLHOST\\TALLY";
    EXPECT_EQ(connectionTarget(owner).port, 0);  // a named instance finds its own port
}

TEST(OwnerString, OdbcValuesAreBracedWhereOdbcNeedsIt) {
    EXPECT_EQ(odbcValue("plain").toStdString(), "plain");
    EXPECT_EQ(odbcValue("a;b").toStdString(), "{a;b}");
    EXPECT_EQ(odbcValue("x}y").toStdString(), "{x}}y}");
    EXPECT_EQ(odbcValue(" lead").toStdString(), "{ lead}");
    const Owner owner{"sql1", "02", "clerk", "p;w}d"};
    EXPECT_EQ(odbcConnectionString(owner, "FreeTDS").toStdString(),
              "DRIVER={FreeTDS};SERVER=sql1;PORT=1433;DATABASE=tvw02;UID=clerk;PWD={p;w}}d};"
              "TDS_Version=7.4;ClientCharset=UTF-8");
    EXPECT_EQ(odbcConnectionString(owner, "ODBC Driver 18 for SQL Server").toStdString(),
              "DRIVER={ODBC Driver 18 for SQL Server};SERVER=sql1,1433;DATABASE=tvw02;UID=clerk;"
              "PWD={p;w}}d}");
}

TEST(OwnerString, PasswordIsBlottedOutOfDriverErrors) {
    EXPECT_EQ(scrubbedError("login failed for pass'word here", "pass'word"),
              "login failed for ***** here");
    EXPECT_EQ(scrubbedError("conninfo password='pass\\'word'", "pass'word"),
              "conninfo password=*****");
    EXPECT_EQ(scrubbedError("nothing to hide", ""), "nothing to hide");
    // A short password leaves ordinary words alone but never shows as a keyword's value.
    EXPECT_EQ(scrubbedError("port 5432 refused; DRIVER={x};PWD=p;UID=u", "p"),
              "port 5432 refused; DRIVER={x};PWD=*****;UID=u");
}

TEST(NamedFieldQuery, ConnectionFieldsInAnyCaseWithTheirTextForms) {
    INFO info = sampleInfo(2);
    CHKQ chk;
    ZORBRCHK link(chk, info);
    link.FIAID = 44;
    link.POSTDATE = 82000;
    EXPECT_EQ(link.query("division"), "02");
    EXPECT_EQ(link.query("Tty"), "0007");
    EXPECT_EQ(link.query("USERID"), "12");
    EXPECT_EQ(link.query("DataPath"), "/data/tv");
    EXPECT_EQ(link.query("fiaid"), "44");
    EXPECT_EQ(link.query("PostDate"), "82000");
    EXPECT_EQ(link.query("Nonsense"), "Nonsense:Unknown field");
    EXPECT_EQ(info.query("tty"), "0007");
    EXPECT_EQ(info.query("FIAID"), "FIAID:Unknown field");

    FIAQ fia;
    ZORBRFIA fiaLink(fia, info);
    EXPECT_EQ(fiaLink.query("DIVISION"), "02");
    EXPECT_EQ(fiaLink.query("tty"), "tty:Unknown field");  // not one of its names
}

TEST(NamedFieldQuery, CurrentEntryByNumberAndClearedOtherwise) {
    INFO info = sampleInfo(12);
    CHKQ chk;
    ZORBRCHK link(chk, info);
    ASSERT_TRUE(
        link.addCheck(501, 82001, Decimal::fromCents(-15025), "AP", "OPER", "1001", "Acme", ""));
    ASSERT_TRUE(
        link.addCheck(502, 82002, Decimal::fromCents(8000), "CR", "", "77", "", "Receipts"));
    link.select(2);
    EXPECT_EQ(link.query("transactionid"), "502");
    EXPECT_EQ(link.query("Description"), "Receipts");
    EXPECT_EQ(link.query("AMOUNT"), "80.00");
    link.select(1);
    EXPECT_EQ(link.query("amount"), "-150.25");
    EXPECT_EQ(link.query("ACTIVITYDATE"), "82001");
    EXPECT_EQ(link.query("Source"), "AP");
    for (int other : {0, 3, -1}) {
        link.select(other);
        EXPECT_EQ(link.query("TRANSACTIONID"), "0") << other;
        EXPECT_EQ(link.query("NAME"), "") << other;
    }

    FIAQ fia;
    ZORBRFIA fiaLink(fia, info);
    fia.add({9, "Operating", "1000-000-00", "OPER", ""});
    EXPECT_EQ(fiaLink.records(), 1);
    fiaLink.select(1);
    EXPECT_EQ(fiaLink.query("bankaccount"), "1000-000-00");
    EXPECT_EQ(fiaLink.query("apbank"), "OPER");
    EXPECT_EQ(fiaLink.query("PRBANK"), "");
}

TEST(NamedFieldQuery, AddCheckRefusesATransactionTwiceAndCutsTexts) {
    INFO info;
    CHKQ chk;
    ZORBRCHK link(chk, info);
    EXPECT_TRUE(link.addCheck(7, 0, {}, "PR", "BANKCODE-LONG", std::string(30, 'r'),
                              "Zoë " + std::string(76, 'n') + "é", std::string(200, 'd')));
    EXPECT_FALSE(link.addCheck(7, 1, {}, "AP", "", "", "", ""));
    ASSERT_EQ(chk.records(), 1);
    const CHKQEntry& e = chk.entries()[0];
    EXPECT_EQ(e.SOURCE, "PR");
    EXPECT_EQ(e.BANK, "BANKCODE-L");
    EXPECT_EQ(e.REFERENCE, std::string(20, 'r'));
    EXPECT_EQ(e.NAME.size(), 80u);  // the two-byte "é" at byte 80 is dropped whole
    EXPECT_EQ(e.DESCRIPTION.size(), 160u);
}

namespace {

std::optional<FilterName> transactionNames(const std::string& name) {
    if (name == "FIA2:FIAID") return FilterName{"\"FIAID\"", {}};
    if (name == "FIA2:FIStatus") return FilterName{"\"FIStatus\"", {}};
    if (name == "Bank:BankID") return FilterName{{}, QVariant(3)};
    return std::nullopt;
}

}  // namespace

TEST(ViewFilter, TextsBecomeParameterisedConditions) {
    struct Case {
        const char* text;
        const char* where;
        QVariantList values;
    };
    const Case cases[] = {
        {"FIA2:FIAID=12 AND FIA2:FIStatus='O'", "(\"FIAID\" = ? AND \"FIStatus\" = ?)", {12, "O"}},
        {"FIA2:FIAID<>Bank:BankID OR NOT (FIA2:FIStatus>='R')",
         "(\"FIAID\" <> ? OR (NOT (\"FIStatus\" >= ?)))",
         {3, "R"}},
        {"FIA2:FIStatus = 'it''s; DROP TABLE x --'", "\"FIStatus\" = ?", {"it's; DROP TABLE x --"}},
        {"fia2:fiaid", "(\"FIAID\" <> 0)", {}},
        {"FIA2:FIAID=-5", "\"FIAID\" = ?", {-5}},
    };
    for (const Case& c : cases) {
        const SqlFilter f = parseViewFilter(c.text, [](const std::string& n) {
            std::string canonical = n;
            if (n == "fia2:fiaid") canonical = "FIA2:FIAID";
            return transactionNames(canonical);
        });
        ASSERT_TRUE(f.ok) << c.text << ": " << f.error;
        EXPECT_EQ(f.where.toStdString(), c.where) << c.text;
        ASSERT_EQ(f.values.size(), c.values.size()) << c.text;
        for (int i = 0; i < f.values.size(); ++i)
            EXPECT_EQ(f.values[i].toString(), c.values[i].toString()) << c.text;
    }
}

TEST(ViewFilter, MalformedTextsAreRefused) {
    for (const char* text :
         {"FIA2:Unknown=1", "(FIA2:FIAID=1", "FIA2:FIAID=", "FIA2:FIAID='O", "FIA2:FIAID=1 AND",
          "FIA2:FIAID;1", "FIA2:FIAID=99999999999999999999"}) {
        const SqlFilter f = parseViewFilter(text, transactionNames);
        EXPECT_FALSE(f.ok) << text;
        EXPECT_FALSE(f.error.empty()) << text;
    }
}
