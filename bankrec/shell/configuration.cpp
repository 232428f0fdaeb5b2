#include "bankrec/shell/configuration.h"

#include <strings.h>

#include "bankrec/storage/change_stamp.h"
#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/file_services.h"
#include "bankrec/storage/file_session.h"
#include "bankrec/storage/transaction_frame.h"
#include "corelib/message.h"

using namespace corelib;
using namespace storage;

namespace shell {

namespace {

struct Default {
    const char* name;
    const char* value;
};
constexpr Default kDefaults[] = {
    {"ImportType", "1"},
    {"ImportAmount", "1"},
    {"ImportCleared", "0"},
    {"ImportFilename", ""},
    {"ChkAssumeDecimal", "0"},
    {"ChkFirstRow", "1"},
    {"ChkLastRow", "0"},
    {"ChkCheckECol", "1"},
    {"ChkAmountECol", "2"},
    {"ChkClearedECol", "3"},
    {"ChkCheckStart", "1"},
    {"ChkCheckEnd", "7"},
    {"ChkAmountStart", "8"},
    {"ChkAmountEnd", "20"},
    {"ChkClearedStart", "21"},
    {"ChkClearedEnd", "30"},
    {"ChkCheckCCol", "1"},
    {"ChkAmountCCol", "2"},
    {"ChkClearedCCol", "3"},
    {"ChkClearedFormat", ""},
    {"ImportDeposits", "1"},
    {"ImportDepositDays", "5"},
    {"Organization Name", "Organization Name"},
    {"Organization Address", "Organization Address"},
    {"Organization Phones", "Organization Phones"},
};

constexpr int kFrameSeconds = 5;

void notFound(const std::string& name) {
    ds_Message("Configuration " + name + " not found.", {}, {}, msg::OK);
}

}  // namespace

void Configuration::registerDefaults() {
    for (const Default& d : kDefaults) add(d.name, d.value);
}

void Configuration::add(const std::string& name, const std::string& defaultValue) {
    if (!find(name)) entries_.push_back({name, defaultValue});
}

bool Configuration::contains(const std::string& name) const {
    return find(name) != nullptr;
}

Configuration::Entry* Configuration::find(const std::string& name) {
    for (Entry& e : entries_)
        if (strcasecmp(e.name.c_str(), name.c_str()) == 0) return &e;
    return nullptr;
}

const Configuration::Entry* Configuration::find(const std::string& name) const {
    return const_cast<Configuration*>(this)->find(name);
}

Error Configuration::load(FileSession& session, const FrameHooks& hooks) {
    TransactionFrame frame(session, {FileId::SYcfg}, kFrameSeconds, hooks);
    if (!frame.active()) return frame.error();
    auto& cfg = session.file<SYcfg>();
    for (Entry& e : entries_) {
        cfg.clear();
        cfg.rec.Name = e.name;
        if (cfg.get(SYCFG_KEY_NAME) == Error::None) e.value = cfg.rec.Value;
    }
    return frame.commit();
}

std::string Configuration::get(const std::string& name) const {
    const Entry* e = find(name);
    if (!e) {
        notFound(name);
        return {};
    }
    return e->value;
}

int Configuration::maxValueBytes() {
    const FileDef& def = fileDef(FileId::SYcfg);
    return def.fields[static_cast<size_t>(def.fieldIndex("Value"))].maxTextBytes();
}

Configuration::SetResult Configuration::set(FileSession& session, const std::string& name,
                                            const std::string& value, const FrameHooks& hooks) {
    return setAll(session, {{name, value}}, hooks);
}

Configuration::SetResult Configuration::setAll(FileSession& session,
                                               const std::vector<Entry>& values,
                                               const FrameHooks& hooks) {
    std::vector<Entry*> targets;
    for (const Entry& v : values) {
        Entry* e = find(v.name);
        if (!e) {
            notFound(v.name);
            return SetResult::UnknownName;
        }
        if (v.value.size() > static_cast<size_t>(maxValueBytes())) {
            ds_Message("Configuration " + e->name +
                           " value is too long: " + std::to_string(v.value.size()) +
                           " bytes where at most " + std::to_string(maxValueBytes()) + " fit.",
                       {}, {}, msg::OK);
            return SetResult::TooLong;
        }
        targets.push_back(e);
    }
    std::vector<std::string> before;
    for (size_t i = 0; i < values.size(); ++i) {
        before.push_back(targets[i]->value);
        targets[i]->value = values[i].value;
    }
    const auto putBack = [&] {
        for (size_t i = 0; i < targets.size(); ++i) targets[i]->value = before[i];
    };

    TransactionFrame frame(session, {FileId::SYcfg}, kFrameSeconds, hooks);
    if (!frame.active()) {
        putBack();
        return SetResult::NotStored;
    }
    for (const Entry* e : targets) {
        if (!frame.check(store(session, e->name, e->value))) {
            putBack();
            return SetResult::NotStored;
        }
    }
    if (frame.commit() != Error::None) {
        putBack();
        return SetResult::NotStored;
    }
    return SetResult::Stored;
}

Error Configuration::store(FileSession& session, const std::string& name,
                           const std::string& value) {
    auto& cfg = session.file<SYcfg>();
    cfg.clear();
    cfg.rec.Name = name;
    Error err = cfg.get(SYCFG_KEY_NAME);
    if (err == Error::None) {
        if (cfg.rec.Value == value) return Error::None;
        cfg.rec.Value = value;
        stampChange(cfg.rec);
        return cfg.put();
    }
    if (err != Error::NoRecord) return err;
    cfg.clear();
    cfg.rec.Name = name;
    cfg.rec.Value = value;
    return addNumbered(session, FileId::SYcfg, NumberingReadError::LeaveToCaller);
}

}  // namespace shell
