#include "bankrec/shell/procedure_table.h"

#include <algorithm>
#include <cctype>

#include "corelib/text.h"

using namespace corelib;

namespace shell {

void ProcedureTable::add(const std::string& name, ProcedureFactory factory) {
    factories_[text::upper(name)] = std::move(factory);
}

const ProcedureFactory* ProcedureTable::find(const std::string& name) const {
    auto it = factories_.find(text::upper(name));
    return it == factories_.end() ? nullptr : &it->second;
}

ProcedureTable& procedureTable() {
    static ProcedureTable table;
    return table;
}

}  // namespace shell
