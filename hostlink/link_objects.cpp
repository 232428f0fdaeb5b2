// Named-field queries of the connection group and the two link objects.
#include "corelib/text.h"
#include "hostlink/hostlink.h"
#include "hostlink/link_text.h"

using namespace corelib;

namespace hostlink {

using hostlink::zeroPadded;

namespace {

std::string unknownField(std::string_view name) {
    return std::string(name) + ":Unknown field";
}

// The INFO fields both objects answer; TTY only when `withTty`. Empty optional when `upper`
// is not one of them.
bool infoField(const INFO& info, const std::string& upper, bool withTty, std::string& out) {
    if (upper == "DIVISION")
        out = zeroPadded(info.DIVISION, 2);
    else if (upper == "DATAPATH")
        out = info.DATAPATH;
    else if (upper == "SERVERNAME")
        out = info.SERVERNAME;
    else if (upper == "USERNAME")
        out = info.USERNAME;
    else if (upper == "USERPW")
        out = info.USERPW;
    else if (upper == "USERID")
        out = std::to_string(info.USERID);
    else if (withTty && upper == "TTY")
        out = zeroPadded(info.TTY, 4);
    else
        return false;
    return true;
}

}  // namespace

std::string INFO::query(std::string_view name) const {
    std::string out;
    if (infoField(*this, text::upper(name), true, out)) return out;
    return unknownField(name);
}

std::string ZORBRFIA::query(std::string_view name) const {
    const std::string upper = text::upper(name);
    std::string out;
    if (infoField(INFO, upper, false, out)) return out;
    const FIAQEntry& e = FIAQ.current();
    if (upper == "FIAID") return std::to_string(e.FIAID);
    if (upper == "BANK") return e.BANK;
    if (upper == "BANKACCOUNT") return e.BANKACCOUNT;
    if (upper == "APBANK") return e.APBANK;
    if (upper == "PRBANK") return e.PRBANK;
    return unknownField(name);
}

std::string ZORBRCHK::query(std::string_view name) const {
    const std::string upper = text::upper(name);
    std::string out;
    if (infoField(INFO, upper, true, out)) return out;
    if (upper == "FIAID") return std::to_string(FIAID);
    if (upper == "POSTDATE") return std::to_string(POSTDATE);
    const CHKQEntry& e = CHKQ.current();
    if (upper == "TRANSACTIONID") return std::to_string(e.TRANSACTIONID);
    if (upper == "ACTIVITYDATE") return std::to_string(e.ACTIVITYDATE);
    if (upper == "SOURCE") return e.SOURCE;
    if (upper == "BANK") return e.BANK;
    if (upper == "REFERENCE") return e.REFERENCE;
    if (upper == "NAME") return e.NAME;
    if (upper == "DESCRIPTION") return e.DESCRIPTION;
    if (upper == "AMOUNT") return e.AMOUNT.toString();
    return unknownField(name);
}

bool ZORBRCHK::addCheck(int32_t transactionId, int32_t activityDate, Decimal amount,
                        const std::string& source, const std::string& bank,
                        const std::string& reference, const std::string& name,
                        const std::string& description) {
    for (const CHKQEntry& e : CHKQ.entries())
        if (e.TRANSACTIONID == transactionId) return false;
    CHKQEntry e;
    e.TRANSACTIONID = transactionId;
    e.ACTIVITYDATE = activityDate;
    e.SOURCE = text::cutBytes(source, 20);
    e.BANK = text::cutBytes(bank, 10);
    e.REFERENCE = text::cutBytes(reference, 20);
    e.NAME = text::cutBytes(name, 80);
    e.DESCRIPTION = text::cutBytes(description, 160);
    e.AMOUNT = amount;
    CHKQ.add(std::move(e));
    return true;
}

}  // namespace hostlink
