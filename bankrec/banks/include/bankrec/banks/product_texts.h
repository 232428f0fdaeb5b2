#pragma once

namespace banks {

// The product's own words, shown by the about window and the start-up window.
namespace product {
inline constexpr const char* Title = "Integrated Bank Reconciliation";
inline constexpr const char* Maker = "Kestrelmoor Software";
inline constexpr const char* MakerLine = "Kestrelmoor Software";
inline constexpr const char* MakerLine2 = "Accounting software for public organisations";
inline constexpr const char* LegalLine =
    "This program is protected by copyright law. Copying or distributing it, in whole or in "
    "part, without the maker's written permission is prohibited.";
inline constexpr const char* WebAddress = "https://www.kestrelmoor.example";
inline constexpr const char* WebText = "www.kestrelmoor.example";
}  // namespace product

}  // namespace banks
