#include "bankrec/reconcile/reconcile_texts.h"

#include "corelib/picture.h"
#include "corelib/text.h"

using namespace corelib;

namespace reconcile {

std::string moneyText(Decimal value) {
    static const picture::Picture money = *picture::Picture::parse("@n-19.2");
    return picture::formatNumber(money, value).trimmed;
}

std::string countText(int64_t value) {
    static const picture::Picture count = *picture::Picture::parse("@n-13");
    return picture::formatInteger(count, value).trimmed;
}

std::string dateText(int32_t dayNumber) {
    return picture::formatDate("@d17", dayNumber);
}

ProgressOptions processWindow(const std::string& userString) {
    ProgressOptions options;
    options.title = "Progress...";
    options.text = "Processing Records\n" + userString;
    return options;
}

std::string errorText(const storage::StorageError& error) {
    if (error.number == storage::Error::Driver && !error.driverMessage.empty())
        return text::trimRight(error.driverMessage);
    return storage::storageErrorText(error.number);
}

std::string stepError(const std::string& step, const storage::StorageError& error) {
    return step + ", Error(" + std::to_string(storage::errorNumber(error.number)) +
           "):" + errorText(error);
}

}  // namespace reconcile
