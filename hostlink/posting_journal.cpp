#include "hostlink/posting_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace hostlink {

void PostingJournal::load() {
    clearing_.reset();
    posted_.clear();
    std::ifstream in(path_);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        fields >> kind;
        if (kind == "clearing") {
            Clearing c;
            if (!(fields >> c.fiaId >> c.day)) continue;
            fields >> std::ws;
            std::getline(fields, c.bank);
            if (!c.bank.empty()) clearing_ = c;
        } else if (kind == "posted") {
            int32_t id = 0;
            if (fields >> id) posted_.insert(id);
        }
    }
}

bool PostingJournal::beginClearing(const Clearing& clearing) {
    posted_.clear();
    clearing_ = clearing;
    return append("clearing " + std::to_string(clearing.fiaId) + " " +
                      std::to_string(clearing.day) + " " + clearing.bank,
                  true);
}

bool PostingJournal::addPosted(int32_t transactionId) {
    posted_.insert(transactionId);
    return append("posted " + std::to_string(transactionId), false);
}

void PostingJournal::remove() {
    clearing_.reset();
    posted_.clear();
    std::remove(path_.c_str());
}

bool PostingJournal::append(const std::string& line, bool fresh) {
    const int fd =
        ::open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (fresh ? O_TRUNC : O_APPEND), 0644);
    if (fd < 0) return false;
    const std::string text = line + "\n";
    bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ok = ::fdatasync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    return ok;
}

}  // namespace hostlink
