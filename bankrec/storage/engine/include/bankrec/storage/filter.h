#pragma once
// Filter texts over a record file, turned into a parameterised SQL WHERE condition.
//
//   "APbac:BankID = Bank:BankID AND (NOT APbac:Reconciled AND APbac:ActivityType = 'Check')"
//
// Grammar (keywords and names without regard to case):
//   expr    := and { OR and }         and := not { AND not }        not := NOT not | compare
//   compare := operand [ ( = | <> | < | > | <= | >= ) operand ]
//   operand := ( expr ) | integer | decimal | 'text' | "text" | name
// A quote inside a text is written twice. A name of a field of the filtered file
// ("APbac:BankID", or "BankID" alone) is its column; any other name ("Bank:BankID",
// "APbnk:BankID", "BRW2::Sort1:Reset:APbnk:BankID") is a bound name whose value the caller
// binds. An operand standing alone is a truth value: a number is true when not 0, a text when
// not empty. Money fields compare in currency units ("APbac:Amount > 10.5"). Every value reaches
// SQL as a parameter, never as text.
//
// A filter may also range over several files (a joined view): a name with one of their prefixes
// is that file's column, a name without prefix a column of the first file.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bankrec/storage/dictionary.h"
#include "bankrec/storage/storage_error.h"

namespace storage {

// Values for the bound names of a filter (names without regard to case).
class FilterBindings {
  public:
    void bind(std::string_view name, FieldValue value);
    const FieldValue* find(std::string_view name) const;
    void clear() { values_.clear(); }

  private:
    std::map<std::string, FieldValue> values_;  // keyed by upper-case name
};

struct FilterNode;

class Filter {
  public:
    Filter();
    ~Filter();
    Filter(Filter&&) noexcept;
    Filter& operator=(Filter&&) noexcept;

    // Parses `text` against the fields of `file`. Empty text is a filter that keeps every row.
    // 0 on success; Error::InvalidFilter with a message naming the problem and its offset otherwise
    // (the filter is then empty).
    Error parse(std::string_view text, const FileDef& file, std::string* message = nullptr);
    // Parses `text` against the fields of several files (the first one takes unprefixed names).
    Error parse(std::string_view text, std::span<const FileDef* const> files,
                std::string* message = nullptr);
    bool empty() const { return root_ == nullptr; }
    // The bound names the filter uses, as written.
    std::vector<std::string> boundNames() const;
    // The fields every row that passes holds to a single value (field = value, NOT field, joined
    // by AND at the top), as field indexes of the file. A view seeks past them in its key.
    std::vector<int> pinnedFields() const;

    // The SQL condition (columns unqualified) and its parameters in order. Error::InvalidFilter
    // when a bound name has no value or a value does not suit its comparison. An empty filter gives
    // "1" and no parameters.
    Error toSql(const FilterBindings& bindings, std::string& sql, std::vector<FieldValue>& params,
                std::string* message = nullptr) const;
    // The SQL of a column: file (index among the parsed files) and field index. Without one,
    // columns are their quoted names.
    using ColumnSql = std::function<std::string(int file, int field)>;
    Error toSql(const FilterBindings& bindings, std::string& sql, std::vector<FieldValue>& params,
                std::string* message, const ColumnSql& column) const;

  private:
    std::vector<const FileDef*> files_;
    std::unique_ptr<FilterNode> root_;
};

// An order text ("-APbac:ActivityType, +APbac:ActivityDate") as its field names, each with
// whether it ascends (+ or no sign) or descends (-). An empty text gives one empty name.
std::vector<std::pair<std::string, bool>> splitOrderText(std::string_view text);

}  // namespace storage
