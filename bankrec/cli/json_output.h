#pragma once
// The JSON form of a command's result (--json): one document on standard output, amounts as
// strings with two decimals, dates as "YYYY-MM-DD".
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <cstdint>
#include <string>

#include "corelib/decimal.h"

namespace cli {

// "1286.40", "-35.00": exact, never through floating point.
QJsonValue jsonMoney(const corelib::Decimal& amount);
// A day number as "2026-11-03"; null for no date (0).
QJsonValue jsonDate(int32_t dayNumber);
// Text of the record files (UTF-8) as a JSON string.
QJsonValue jsonText(const std::string& text);
// Writes the document, followed by a line end, to standard output.
void printJson(const QJsonObject& document);

}  // namespace cli
