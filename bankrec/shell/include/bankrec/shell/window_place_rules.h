#pragma once
// The rules by which a window takes back its remembered place, apart from any widget, so they
// can be checked without a display.
#include <optional>
#include <string>

namespace shell {

// The values a procedure's subkey holds (empty when missing).
struct StoredPlace {
    std::string x;         // WdwXpos
    std::string y;         // WdwYpos
    std::string width;     // WdwWidth
    std::string height;    // WdwHeight
    std::string maximize;  // WdwMaximize, "Yes" or "No"
};

// What to apply: each coordinate only when set.
struct PlacePlan {
    std::optional<int> x;
    std::optional<int> y;
    std::optional<int> width;
    std::optional<int> height;
    bool maximize = false;
};

// A negative position becomes 50; a position other than 0 is applied. Width and height are
// applied only to a resizable window and only when not 0. "Yes" (any case) maximizes.
PlacePlan planRestore(const StoredPlace& stored, bool resizable);

}  // namespace shell
