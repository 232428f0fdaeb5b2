#pragma once
// Filter texts of views ("FIA2:FIAID=12 AND FIA2:FIStatus='O'") turned into a parameterised SQL
// condition: names become quoted columns (or bound values), numbers and quoted texts become
// bound parameters, so no value ever reaches SQL as text. Understands =, <>, <, >, <=, >=,
// AND, OR, NOT (any case) and parentheses; a name alone is a truth value (non-zero).
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <optional>
#include <string>

namespace hostlink {

// What a name of the filter stands for: a column (already quoted) or a bound value.
struct FilterName {
    QString column;  // empty for a bound value
    QVariant value;
};

struct SqlFilter {
    bool ok = false;
    QString where;        // the condition, with '?' placeholders
    QVariantList values;  // in placeholder order
    std::string error;    // what is wrong with the text when !ok
};

// Names are looked up through `resolve` (nullopt: unknown name, an error).
SqlFilter parseViewFilter(
    const std::string& text,
    const std::function<std::optional<FilterName>(const std::string&)>& resolve);

}  // namespace hostlink
