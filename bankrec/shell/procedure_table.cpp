#include "bankrec/shell/procedure_table.h"

#include <algorithm>
#include <cctype>

namespace {
std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}
}  // namespace

void ProcedureTable::add(const std::string& name, ProcedureFactory factory) {
    factories_[upper(name)] = std::move(factory);
}

const ProcedureFactory* ProcedureTable::find(const std::string& name) const {
    auto it = factories_.find(upper(name));
    return it == factories_.end() ? nullptr : &it->second;
}

ProcedureTable& procedureTable() {
    static ProcedureTable table;
    return table;
}
