#pragma once
// The change stamp every insert and change carries: who (glo_UserID) and when (today, now).
#include "bankrec/storage/records.h"
#include "corelib/daytime.h"
#include "corelib/globals.h"

namespace storage {

template <Record R>
void stampChange(R& rec) {
    rec.ChangeID = corelib::glo_UserID;
    rec.ChangeDate = corelib::daytime::today();
    rec.ChangeTime = corelib::daytime::now();
}

}  // namespace storage
