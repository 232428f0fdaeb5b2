#include "bankrec/activity/activity_pager.h"

using namespace storage;

namespace activity {

ActivityPager::ActivityPager(FileSession& session, int pageSize, int maxPages)
    : ViewPager(session, APBAC_KEY_ACTIVITY, pageSize, maxPages, [](View<APbac>::Row&& r) {
          RegisterRow shown = registerRow(r.rec);
          shown.pos = std::move(r.pos);
          return shown;
      }) {
    view().bindings().bind("Bank:BankID", int64_t{0});
    (void)view().setFilter("APbac:BankID = Bank:BankID");  // a fixed text that parses
}

Error ActivityPager::setBank(int32_t bankId) {
    bankId_ = bankId;
    view().bindings().bind("Bank:BankID", int64_t{bankId});
    return refresh();
}

int64_t ActivityPager::indexOfActivity(int32_t activityId) const {
    return findHeld([activityId](const RegisterRow& r) { return r.rec.ActivityID == activityId; });
}

}  // namespace activity
