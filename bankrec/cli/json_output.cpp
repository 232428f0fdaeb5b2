#include "json_output.h"

#include <QJsonDocument>
#include <cstdio>

#include "corelib/daytime.h"

using namespace corelib;

namespace cli {

QJsonValue jsonMoney(const Decimal& amount) {
    return QString::fromStdString(amount.toString());
}

QJsonValue jsonDate(int32_t dayNumber) {
    const daytime::Ymd d = daytime::ymd(dayNumber);
    if (d.year == 0) return QJsonValue::Null;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return QString::fromLatin1(buf);
}

QJsonValue jsonText(const std::string& text) {
    return QString::fromStdString(text);
}

void printJson(const QJsonObject& document) {
    const QByteArray bytes = QJsonDocument(document).toJson(QJsonDocument::Indented);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

}  // namespace cli
