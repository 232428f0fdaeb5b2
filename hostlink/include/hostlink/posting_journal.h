#pragma once
// What a posting run of one terminal still owes the suite, kept on disk beside its posting file
// so that the next run can finish it after a crash: the clearing run not yet done (the bank of
// the posting file's header and the posting date), and the payables checks already written to
// the register whose transaction rows may not be marked reconciled yet. The suite's files, its
// transaction rows and its clearing process cannot be written in one transaction; with this
// record each of them is written once.
//
// Every line is on disk (synced) before the write it announces is made.
#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace hostlink {

class PostingJournal {
  public:
    // The clearing a posting owes: the institution account posted, the posting date (day
    // number) and the bank code of the posting file's header.
    struct Clearing {
        int32_t fiaId = 0;
        int32_t day = 0;
        std::string bank;
    };

    explicit PostingJournal(std::string path) : path_(std::move(path)) {}
    PostingJournal(const PostingJournal&) = delete;
    PostingJournal& operator=(const PostingJournal&) = delete;

    const std::string& path() const { return path_; }
    // Reads what an earlier run left (nothing when there is no file); lines it does not
    // understand are passed over.
    void load();

    // The clearing still owed; nullopt when none is.
    const std::optional<Clearing>& clearing() const { return clearing_; }
    // Whether the check of this transaction is already in the register.
    bool posted(int32_t transactionId) const { return posted_.count(transactionId) != 0; }

    // Starts the record of a run whose payables checks are about to go to the register.
    // False when the file cannot be written (nothing may be posted then).
    bool beginClearing(const Clearing& clearing);
    // Records a check written to the register. False when the file cannot be written.
    bool addPosted(int32_t transactionId);
    // The run is finished (or owes nothing): the record goes.
    void remove();

  private:
    bool append(const std::string& line, bool fresh);

    std::string path_;
    std::optional<Clearing> clearing_;
    std::set<int32_t> posted_;
};

}  // namespace hostlink
