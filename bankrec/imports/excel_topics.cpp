// The texts of topics: a document's sheet as a topic, and the topics of a topic list.
#include "bankrec/imports/excel_import.h"
#include "bankrec/imports/spreadsheet_link.h"

namespace imports {

std::string topicName(const std::string& document, const std::string& sheet) {
    return "[" + document + "]" + sheet;
}

std::vector<std::string> splitTopics(const std::string& topicList) {
    std::vector<std::string> topics;
    size_t pos = 0;
    for (;;) {
        const size_t colon = topicList.find(':', pos);
        if (colon == std::string::npos) break;
        const size_t comma = topicList.find(',', colon + 1);
        const size_t end = comma == std::string::npos ? topicList.size() : comma;
        const std::string_view topic =
            trimBlanks(std::string_view(topicList).substr(colon + 1, end - colon - 1));
        topics.emplace_back(topic);
        if (comma == std::string::npos) break;
        pos = comma + 1;
    }
    return topics;
}

}  // namespace imports
