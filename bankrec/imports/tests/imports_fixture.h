#pragma once
// A fresh data folder per test with APbnk and APbac open in one session, the bank current in the
// APbnk buffer (as the worksheet leaves it), scripted messages, a progress backend that can press
// Cancel, and helpers to add activity, write import files and read rows back.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bankrec/imports/import_result.h"
#include "bankrec/imports/spreadsheet_link.h"
#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/saved_error.h"
#include "bankrec/storage/storage.h"
#include "corelib/globals.h"
#include "corelib/message_script.h"
#include "corelib/progress.h"
#include "storagetest/add_record.h"
#include "testsupport/sandbox.h"
#include "testsupport/scripted_progress.h"

namespace imports {

using ScriptedProgress = testsupport::ScriptedProgress;

// Sheets in memory, cells by (row, column); every step can be made to fail.
class FakeLink : public SpreadsheetLink {
  public:
    std::map<std::string, std::map<std::pair<int, int>, std::string>> sheets;
    bool refuseConnect = false;
    bool refuseTopic = false;
    int32_t failAtRow = 0;
    int delayMs = 0;  // each read takes this long, as over a pipe to a busy program
    std::vector<int32_t> rowsRead;
    bool closed = false;

    void set(const std::string& topic, int32_t row, std::vector<std::string> cells) {
        for (size_t c = 0; c < cells.size(); ++c)
            sheets[topic][{row, static_cast<int>(c) + 1}] = cells[c];
    }

    bool connect() override { return refuseConnect ? fail("Calc is not running") : true; }
    bool topics(std::vector<std::string>& out) override {
        out.clear();
        for (const auto& [name, cells] : sheets) out.push_back(name);
        return true;
    }
    bool openTopic(const std::string& topic) override {
        if (refuseTopic || !sheets.count(topic)) return fail("the document was closed");
        open_ = topic;
        return true;
    }
    bool readCells(int32_t row, const std::vector<int32_t>& columns,
                   std::vector<std::string>& out) override {
        out.clear();
        if (row == failAtRow) return fail("the sheet went away");
        if (delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        rowsRead.push_back(row);
        for (int32_t c : columns) {
            const auto& cells = sheets[open_];
            const auto found = cells.find({row, c});
            out.push_back(found == cells.end() ? "" : found->second);
        }
        return true;
    }
    void close() override { closed = true; }

  private:
    std::string open_;
};

class ImportTest : public ::testing::Test {
  protected:
    ImportTest() {
        corelib::glo_ApplicationName = "Bank Reconciliation";
        storage.nameFiles(sandbox.path(), 4);
        storage.setFileName(storage::FileId::APbnu, sandbox.file("APbnu"));
        session = std::make_unique<storage::FileSession>(storage);
        storage::savedError().clear();
        for (storage::FileId id : {storage::FileId::APbnk, storage::FileId::APbac})
            EXPECT_EQ(storage::openFile(*session, id), storage::Error::None);
        bank = addBank("Operating");
        otherBank = addBank("Payroll");
        selectBank(bank);
        corelib::setProgressBackend(std::make_unique<ScriptedProgress>(progress, -1));
    }
    ~ImportTest() override {
        corelib::setProgressBackend(nullptr);
        for (storage::FileId id : {storage::FileId::APbac, storage::FileId::APbnk})
            storage::closeFile(*session, id);
    }

    // Presses Cancel before tick n of the next progress window.
    void cancelBeforeTick(int n) {
        corelib::setProgressBackend(std::make_unique<ScriptedProgress>(progress, n));
    }

    template <storage::Record R>
    int32_t add(const R& rec) {
        return storagetest::addRecord(*session, rec);
    }
    int32_t addBank(const std::string& name) {
        storage::APbnk b;
        b.Bank = name;
        return add(b);
    }
    // Makes the bank current in the APbnk buffer, as the worksheet does.
    void selectBank(int32_t bankId) {
        auto& f = session->file<storage::APbnk>();
        f.clear();
        f.rec.BankID = bankId;
        ASSERT_EQ(f.get(storage::APBNK_KEY_BANKID), storage::Error::None);
    }
    int32_t addCheck(const std::string& reference, int64_t cents, int32_t bankId = 0,
                     const std::string& type = "Check", uint8_t marked = 0) {
        storage::APbac a;
        a.BankID = bankId ? bankId : bank;
        a.ActivityType = type;
        a.Reference = reference;
        a.ActivityDate = 81000;
        a.Marked = marked;
        if (type == "Deposit")
            a.DepositOrCredit = corelib::Decimal::fromCents(cents);
        else
            a.PaymentOrDebit = corelib::Decimal::fromCents(cents);
        return add(a);
    }
    storage::APbac row(int32_t activityId) {
        auto& f = session->file<storage::APbac>();
        f.clear();
        f.rec.ActivityID = activityId;
        if (f.get(storage::APBAC_KEY_ACTIVITYID) != storage::Error::None) return {};
        return f.rec;
    }
    // The identifiers of the marked rows, in ActivityID order.
    std::vector<int32_t> marked() {
        std::vector<int32_t> out;
        auto& f = session->file<storage::APbac>();
        EXPECT_EQ(f.setStart(storage::APBAC_KEY_ACTIVITYID), storage::Error::None);
        while (f.next() == storage::Error::None)
            if (f.rec.Marked) out.push_back(f.rec.ActivityID);
        return out;
    }
    // Writes a text file of the sandbox and returns its path.
    std::string writeFile(const std::string& name, const std::string& content) {
        const std::string path = sandbox.file(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    testsupport::Sandbox sandbox;
    corelib::ScopedScriptedMessages& messages = sandbox.messages;
    storage::Storage storage;
    std::unique_ptr<storage::FileSession> session;
    ScriptedProgress::Seen progress;
    int32_t bank = 0;
    int32_t otherBank = 0;
};

inline corelib::Decimal money(int64_t cents) {
    return corelib::Decimal::fromCents(cents);
}

}  // namespace imports
