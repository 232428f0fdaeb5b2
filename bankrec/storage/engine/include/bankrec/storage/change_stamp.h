#pragma once
// The change stamp every insert and change carries: who (glo_UserID) and when (today, now).
#include "bankrec/storage/records.h"
#include "corelib/daytime.h"
#include "corelib/globals.h"

template <Record R>
void stampChange(R& rec) {
    rec.ChangeID = glo_UserID;
    rec.ChangeDate = daytime::today();
    rec.ChangeTime = daytime::now();
}
