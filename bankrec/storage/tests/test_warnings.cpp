// The saved error and the standard warnings that show it.
#include "bankrec/storage/warnings.h"
#include "services_fixture.h"

using namespace corelib;
using namespace storage;

namespace {

using SavedErrorWarnings = ServicesTest;

TEST_P(SavedErrorWarnings, AWarningShowsTheSavedErrorOnceAndClearsIt) {
    openAll();
    ASSERT_GT(add(bank("A", 5)), 0);
    auto& b = session->file<APbnk>();
    b.rec = bank("B", 5);
    b.rec.BankID = 9;
    ASSERT_EQ(b.add(), Error::DuplicateKey);
    saveError(*session);
    EXPECT_TRUE(savedError().isSet());

    StandardWarning(Warn_InsertError);
    EXPECT_EQ(messages->last()->caption, "Record Insert Error");
    EXPECT_EQ(messages->last()->text,
              "An error was experienced during the update of record.  Error: Creates Duplicate "
              "Key (40).");
    EXPECT_FALSE(savedError().isSet());

    StandardWarning(Warn_InsertError);  // nothing saved any more
    EXPECT_EQ(messages->last()->text,
              "An error was experienced during the update of record.  Error: .");
}

TEST(SavedError, DriverErrorsShowTheDriversMessageAndCode) {
    SavedError e;
    StorageError driver;
    driver.number = Error::Driver;
    driver.file = "/data/03APbac";
    driver.driverCode = 522;
    driver.driverMessage = "disk I/O error   ";
    e.save(driver);
    EXPECT_EQ(e.text(), "Error Reported By The Storage Driver");
    EXPECT_EQ(e.errorText(), "disk I/O error (522)");

    driver.driverMessage = std::string(400, 'm');
    e.save(driver);
    EXPECT_EQ(e.error().driverMessage.size(), 255u);
    EXPECT_EQ(e.errorText(), std::string(150, 'm'));

    const WarningError shown = e.take();
    EXPECT_EQ(shown.number, errorNumber(Error::Driver));
    EXPECT_FALSE(e.isSet());
    EXPECT_EQ(e.errorText(), "");

    e.save(Error::FileLocked, "APbnk");
    EXPECT_EQ(e.errorText(), "File Is Locked (32)");
    e.save(StorageError{});  // no error clears
    EXPECT_FALSE(e.isSet());
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Engines, SavedErrorWarnings, BANKREC_ENGINES);
