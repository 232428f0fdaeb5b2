// libFuzzer target: the value rules and the comma and topic splitting on any text. Besides
// not crashing, each result must keep its promise: a reference is a plain whole number, an amount
// fits DECIMAL(15,2), a date is a day number a record can hold, fields and slices lie inside
// the text they came from.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "bankrec/imports/excel_import.h"
#include "bankrec/imports/import_values.h"
#include "corelib/daytime.h"

using namespace imports;

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

bool inside(std::string_view part, std::string_view whole) {
    return part.empty() || (part.data() >= whole.data() &&
                            part.data() + part.size() <= whole.data() + whole.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const std::string reference = textCheckReference(text);
    if (!reference.empty()) {
        const size_t digits = reference[0] == '-' ? 1 : 0;
        require(reference.size() > digits && reference[digits] != '0');
        for (size_t i = digits; i < reference.size(); ++i)
            require(reference[i] >= '0' && reference[i] <= '9');
    }
    const std::string cell = sheetCheckReference(text);
    require(cell.empty() || inside(text.substr(text.find(cell)), text));

    for (bool assume : {false, true}) {
        const auto amount = importAmount(text, assume);
        if (amount) require(amount->inRange());
    }

    static const corelib::picture::Formats formats = [] {
        corelib::picture::Formats f;
        f.shortDate = "MM/dd/yyyy";
        return f;
    }();
    const int32_t day = importDate(text, formats);
    require(day >= 0 && day <= corelib::daytime::dayNumber(9999, 12, 31));

    for (std::string_view field : commaFields(text)) require(inside(field, text));

    if (size >= 8) {
        int32_t start = 0, end = 0;
        std::memcpy(&start, data, 4);
        std::memcpy(&end, data + 4, 4);
        require(inside(fixedSlice(text, start, end), text));
    }

    const std::vector<std::string> topics = splitTopics(std::string(text));
    require(topics.size() <= size);
    return 0;
}
