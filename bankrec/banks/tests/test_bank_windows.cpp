// The bank windows offscreen: the form's posting controls and view mode, the about window's
// link, and the start-up window's minimum time on screen.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "bankrec/banks/ui/bank_browse_model.h"
#include "bankrec/banks/ui/browse_about_br_window.h"
#include "bankrec/banks/ui/browse_apbnk_window.h"
#include "bankrec/banks/ui/link_class.h"
#include "bankrec/banks/ui/load_fia_thread_window.h"
#include "bankrec/banks/ui/update_apbnk_form.h"
#include "bankrec/shell/session.h"
#include "suite_fixture.h"

using namespace corelib;
using namespace banks;

using BankFormWindowTest = DemoSuiteTest;

TEST_F(BankFormWindowTest, PostingCheckBoxesShowAndHideTheirJournalAndAccount) {
    current("Operating Account");
    UpdateAPbnkPresenter p(*session_, params_);
    p.open(ChangeRecord);
    UpdateAPbnkForm form(p);
    form.show();
    const auto& sc = form.posting(PostingAccount::ServiceCharge);
    const auto& ie = form.posting(PostingAccount::InterestEarned);
    for (QWidget* w :
         {static_cast<QWidget*>(sc.journals), static_cast<QWidget*>(sc.account),
          static_cast<QWidget*>(sc.journalPrompt), static_cast<QWidget*>(sc.accountPrompt)})
        EXPECT_TRUE(w->isHidden());
    EXPECT_TRUE(ie.account->isHidden());

    sc.post->click();
    EXPECT_FALSE(sc.journals->isHidden());
    EXPECT_FALSE(sc.account->isHidden());
    EXPECT_TRUE(ie.account->isHidden());
    EXPECT_EQ(p.bank().ServiceChargePost, 1);
    EXPECT_EQ(sc.journals->topLevelItemCount(), 4);

    sc.post->click();
    EXPECT_TRUE(sc.account->isHidden());
    EXPECT_EQ(p.bank().ServiceChargePost, 0);
    form.reject();
}

TEST_F(BankFormWindowTest, TheDefaultButtonMovesTheCheckMark) {
    current("Operating Account");
    UpdateAPbnkPresenter p(*session_, params_);
    p.open(ChangeRecord);
    UpdateAPbnkForm form(p);
    ASSERT_EQ(form.cashList()->topLevelItemCount(), 2);
    EXPECT_FALSE(form.cashList()->topLevelItem(0)->icon(0).isNull());
    EXPECT_TRUE(form.cashList()->topLevelItem(1)->icon(0).isNull());
    form.cashList()->setCurrentItem(form.cashList()->topLevelItem(1));
    form.defaultButton()->click();
    EXPECT_TRUE(form.cashList()->topLevelItem(0)->icon(0).isNull());
    EXPECT_FALSE(form.cashList()->topLevelItem(1)->icon(0).isNull());
    form.reject();
}

TEST_F(BankFormWindowTest, ViewModeIsReadOnlyGreyAndClosesOnly) {
    current("Operating Account");
    UpdateAPbnkPresenter p(*session_, params_);
    p.open(ViewRecord);
    UpdateAPbnkForm form(p);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Viewing Financial Institution Account");
    EXPECT_TRUE(form.okButton()->isHidden());
    EXPECT_EQ(form.cancelButton()->text(), "Cl&ose");
    EXPECT_FALSE(form.cancelButton()->icon().isNull());
    EXPECT_FALSE(form.defaultButton()->isEnabled());
    for (QLineEdit* e : {form.bankEntry(), form.apBankEntry(), form.prBankEntry()}) {
        EXPECT_TRUE(e->isReadOnly());
        EXPECT_EQ(e->focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(e->palette().color(QPalette::Base), QColor(192, 192, 192));
    }
    EXPECT_EQ(form.posting(PostingAccount::ServiceCharge).post->focusPolicy(), Qt::NoFocus);
    form.okButton()->click();  // hidden: does nothing
    form.cancelButton()->click();
    EXPECT_EQ(GlobalResponse, RequestCancelled);
}

namespace {
class CountingLinks : public LinkClass {
  public:
    int opened = 0;
    int withoutAddress = 0;
    QString last;

  protected:
    bool openAddress(const QString& address) override {
        ++opened;
        last = address;
        return true;
    }
    void linkWithoutAddress(QWidget*) override { ++withoutAddress; }
};
}  // namespace

TEST(LinkClass, HoverTurnsTheLinkRedAndEachClickOpensItOnce) {
    QWidget window;
    auto* link = new QLabel("www.kestrelmoor.example", &window);
    auto* empty = new QLabel("nothing", &window);
    window.show();
    CountingLinks links;
    ASSERT_TRUE(links.Register(link, "https://www.kestrelmoor.example"));
    ASSERT_TRUE(links.Register(empty, ""));
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);

    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(link, &enter);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));

    QTest::mouseClick(link, Qt::LeftButton);
    QTest::mouseClick(link, Qt::LeftButton);
    EXPECT_EQ(links.opened, 2);
    EXPECT_EQ(links.last, "https://www.kestrelmoor.example");
    QTest::mouseClick(empty, Qt::LeftButton);
    EXPECT_EQ(links.withoutAddress, 1);
    EXPECT_EQ(links.opened, 2);
}

TEST(LinkClass, AHiddenOrDisabledControlStaysPlainText) {
    QWidget window;
    auto* hidden = new QLabel("hidden", &window);
    auto* disabled = new QLabel("disabled", &window);
    hidden->hide();
    disabled->setEnabled(false);
    window.show();
    CountingLinks links;
    const QColor plain = hidden->palette().color(QPalette::WindowText);
    EXPECT_FALSE(links.Register(hidden, "https://a.example"));
    EXPECT_FALSE(links.Register(disabled, "https://a.example"));
    EXPECT_FALSE(hidden->font().underline());
    EXPECT_EQ(hidden->palette().color(QPalette::WindowText), plain);
    disabled->setEnabled(true);
    QTest::mouseClick(disabled, Qt::LeftButton);
    EXPECT_EQ(links.opened, 0);
}

TEST(AboutWindow, ShowsTheVersionAndRegistersItsLinkOnceShown) {
    glo_ApplicationVersion = "Version 7.17 build 0003";
    BrowseAboutBRWindow about;
    EXPECT_EQ(about.windowTitle(), "About Application");
    EXPECT_FALSE(about.links()->isRegistered(about.linkText()));
    about.show();
    EXPECT_EQ(about.versionLine()->text(), "Version 7.17 build 0003");
    EXPECT_TRUE(about.links()->isRegistered(about.linkText()));
    EXPECT_EQ(about.okButton()->text(), "&OK");
}

TEST_F(BanksTest, TheStartUpWindowStaysThreeSecondsEvenWhenTheSuiteGivesNothing) {
    files_.reset();
    params_.parse({"Division=3", "DataPath=" + dataDir_, "Server=sqlite:" + dataDir_ + "/none",
                   "UserID=demo", "Password=secret"});
    shell::Session session(7, "LoadFIAThread", params_, storage_);
    QElapsedTimer clock;
    clock.start();
    QPointer<LoadFIAThreadWindow> window = new LoadFIAThreadWindow(session);
    EXPECT_EQ(window->windowTitle(), "Initializing Bank Reconciliation");
    bool loaded = false;
    QObject::connect(window, &LoadFIAThreadWindow::loadFinished, [&] { loaded = true; });
    window->show();
    QEventLoop loop;
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(window.isNull()) << "the window did not close";
    EXPECT_TRUE(loaded);
    EXPECT_GE(clock.elapsed(), LoadFIAThreadWindow::kMinimumMs);
}

TEST_F(BankFormWindowTest, TheBrowseListsTheBanksAndRefreshPicksUpANewSuiteAccount) {
    files_.reset();
    shell::Session session(5, "BrowseAPbnk", params_, storage_);
    BrowseAPbnkWindow browse(session);
    browse.show();
    EXPECT_EQ(browse.windowTitle(), "Browse Financial Institution Accounts");
    ASSERT_EQ(browse.model()->rowCount(), 3);
    EXPECT_EQ(browse.model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              "Financial Institution Accounts");
    EXPECT_EQ(browse.model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(),
              "Journals");
    EXPECT_EQ(browse.model()->data(browse.model()->index(1, 1), Qt::DisplayRole).toString(),
              "1000-000-00");

    QString error;
    {
        QSqlDatabase db = tvhost::openSuiteDatabase(QString::fromStdString("sqlite:" + suiteDir_),
                                                    3, "demo", "secret", "browse-test", &error);
        ASSERT_TRUE(db.isOpen()) << error.toStdString();
        ASSERT_TRUE(
            tvhost::addInstitutionAccount(db, {104, 2, "77-1", "Capital Projects"}).isEmpty());
        ASSERT_TRUE(tvhost::addLedgerAccount(
                        db, {104, "1020-000-00", "Cash - Savings", "100004", "GL00100004"})
                        .isEmpty());
    }
    QSqlDatabase::removeDatabase("browse-test");
    browse.refreshButton()->click();
    ASSERT_EQ(browse.model()->rowCount(), 4);
    EXPECT_EQ(browse.model()->data(browse.model()->index(0, 0), Qt::DisplayRole).toString(),
              "Capital Projects");
    EXPECT_EQ(browse.model()->data(browse.model()->index(0, 1), Qt::DisplayRole).toString(),
              "1020-000-00");
    EXPECT_TRUE(browse.selectedBank() != 0);
}
