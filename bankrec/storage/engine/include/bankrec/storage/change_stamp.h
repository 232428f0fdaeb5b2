#pragma once
// The change stamp every insert and change carries: who (glo_UserID) and when (today, now).
#include "bankrec/storage/records.h"
#include "corelib/daytime.h"
#include "corelib/globals.h"

namespace storage {

template <Record R>
void stampChange(R& rec) {
    const corelib::daytime::DateTime at = corelib::daytime::current();
    rec.ChangeID = corelib::glo_UserID;
    rec.ChangeDate = at.date;
    rec.ChangeTime = at.time;
}

}  // namespace storage
