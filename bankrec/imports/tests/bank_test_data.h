#pragma once
// The hand-written bank files of tests/data, read whole.
#include <fstream>
#include <sstream>
#include <string>

namespace imports {

inline std::string testData(const std::string& name) {
    std::ifstream in(std::string(BANKREC_IMPORT_TEST_DATA) + "/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace imports
