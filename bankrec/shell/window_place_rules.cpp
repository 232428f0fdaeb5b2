#include "bankrec/shell/window_place_rules.h"

#include <strings.h>
#include <cstdlib>

namespace shell {

namespace {
int number(const std::string& s) {
    return static_cast<int>(std::strtol(s.c_str(), nullptr, 10));
}

std::optional<int> position(const std::string& s) {
    int v = number(s);
    if (v < 0) v = 50;
    if (v == 0) return std::nullopt;
    return v;
}

std::optional<int> extent(const std::string& s) {
    const int v = number(s);
    if (v <= 0) return std::nullopt;  // a negative size cannot be applied either
    return v;
}
}  // namespace

PlacePlan planRestore(const StoredPlace& stored, bool resizable) {
    PlacePlan plan;
    plan.x = position(stored.x);
    plan.y = position(stored.y);
    if (resizable) {
        plan.width = extent(stored.width);
        plan.height = extent(stored.height);
    }
    plan.maximize = strcasecmp(stored.maximize.c_str(), "Yes") == 0;
    return plan;
}

}  // namespace shell
