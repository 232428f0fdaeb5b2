// Filter texts: a small recursive-descent parser into a tree, rendered as a parameterised SQL
// condition over the dictionary's column names.
#include "bankrec/storage/filter.h"

#include <cctype>
#include <charconv>

#include "bankrec/storage/storage_error.h"
#include "corelib/text.h"

using namespace corelib;

namespace storage {

struct FilterNode {
    enum class Kind { Or, And, Not, Compare, Column, Literal, Bound } kind;
    std::string op;  // Compare: "=", "<>", "<", ">", "<=", ">="
    std::unique_ptr<FilterNode> a, b;
    int file = 0;      // Column: index among the filter's files
    int field = -1;    // Column
    FieldValue value;  // Literal
    std::string name;  // Bound: as written
};

namespace {

struct Token {
    enum class Type { End, LParen, RParen, Op, Number, Text, Name, And, Or, Not } type;
    std::string text;  // operator, number text, unquoted text, or name
    size_t offset = 0;
};

class Parser {
  public:
    Parser(std::string_view text, std::span<const FileDef* const> files)
        : text_(text), files_(files) {}

    std::unique_ptr<FilterNode> parse(std::string& error) {
        if (!advance()) return fail(error);
        auto node = parseOr();
        if (!node) return fail(error);
        if (tok_.type != Token::Type::End) {
            error_ = "unexpected '" + tok_.text + "'";
            errorAt_ = tok_.offset;
            return fail(error);
        }
        return node;
    }

  private:
    std::unique_ptr<FilterNode> fail(std::string& error) {
        error = error_ + " at offset " + std::to_string(errorAt_);
        return nullptr;
    }
    bool setError(std::string message, size_t at) {
        if (error_.empty()) {
            error_ = std::move(message);
            errorAt_ = at;
        }
        return false;
    }

    // Reads the next token into tok_.
    bool advance() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        tok_ = Token{Token::Type::End, "", pos_};
        if (pos_ >= text_.size()) return true;
        char c = text_[pos_];
        if (c == '(' || c == ')') {
            tok_.type = c == '(' ? Token::Type::LParen : Token::Type::RParen;
            tok_.text = std::string(1, c);
            ++pos_;
            return true;
        }
        if (c == '=' || c == '<' || c == '>') {
            std::string op(1, c);
            ++pos_;
            if (pos_ < text_.size() && c != '=' &&
                (text_[pos_] == '=' || (c == '<' && text_[pos_] == '>')))
                op += text_[pos_++];
            tok_.type = Token::Type::Op;
            tok_.text = op;
            return true;
        }
        if (c == '\'' || c == '"') {
            std::string value;
            ++pos_;
            while (true) {
                if (pos_ >= text_.size()) return setError("unterminated text", tok_.offset);
                if (text_[pos_] == c) {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == c) {
                        value += c;
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                value += text_[pos_++];
            }
            tok_.type = Token::Type::Text;
            tok_.text = std::move(value);
            return true;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '-' && pos_ + 1 < text_.size() &&
             std::isdigit(static_cast<unsigned char>(text_[pos_ + 1])))) {
            size_t start = pos_++;
            bool point = false;
            while (pos_ < text_.size() && (std::isdigit(static_cast<unsigned char>(text_[pos_])) ||
                                           (text_[pos_] == '.' && !point))) {
                point = point || text_[pos_] == '.';
                ++pos_;
            }
            tok_.type = Token::Type::Number;
            tok_.text = std::string(text_.substr(start, pos_ - start));
            return true;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t start = pos_;
            while (pos_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[pos_])) ||
                                           text_[pos_] == '_' || text_[pos_] == ':'))
                ++pos_;
            tok_.text = std::string(text_.substr(start, pos_ - start));
            std::string u = text::upper(tok_.text);
            tok_.type = u == "AND"   ? Token::Type::And
                        : u == "OR"  ? Token::Type::Or
                        : u == "NOT" ? Token::Type::Not
                                     : Token::Type::Name;
            return true;
        }
        return setError(std::string("unexpected character '") + c + "'", pos_);
    }

    std::unique_ptr<FilterNode> binary(FilterNode::Kind kind, std::unique_ptr<FilterNode> a,
                                       std::unique_ptr<FilterNode> b) {
        auto n = std::make_unique<FilterNode>();
        n->kind = kind;
        n->a = std::move(a);
        n->b = std::move(b);
        return n;
    }

    std::unique_ptr<FilterNode> parseOr() {
        auto left = parseAnd();
        while (left && tok_.type == Token::Type::Or) {
            if (!advance()) return nullptr;
            auto right = parseAnd();
            if (!right) return nullptr;
            left = binary(FilterNode::Kind::Or, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<FilterNode> parseAnd() {
        auto left = parseNot();
        while (left && tok_.type == Token::Type::And) {
            if (!advance()) return nullptr;
            auto right = parseNot();
            if (!right) return nullptr;
            left = binary(FilterNode::Kind::And, std::move(left), std::move(right));
        }
        return left;
    }

    std::unique_ptr<FilterNode> parseNot() {
        if (tok_.type == Token::Type::Not) {
            if (!advance()) return nullptr;
            auto inner = parseNot();
            if (!inner) return nullptr;
            return binary(FilterNode::Kind::Not, std::move(inner), nullptr);
        }
        return parseCompare();
    }

    std::unique_ptr<FilterNode> parseCompare() {
        auto left = parseOperand();
        if (!left) return nullptr;
        if (tok_.type != Token::Type::Op) return left;
        std::string op = tok_.text;
        if (!advance()) return nullptr;
        auto right = parseOperand();
        if (!right) return nullptr;
        if (right->kind == FilterNode::Kind::Compare || left->kind == FilterNode::Kind::Compare) {
            setError("comparison of a comparison", tok_.offset);
            return nullptr;
        }
        auto n = binary(FilterNode::Kind::Compare, std::move(left), std::move(right));
        n->op = op;
        return n;
    }

    std::unique_ptr<FilterNode> parseOperand() {
        auto n = std::make_unique<FilterNode>();
        size_t at = tok_.offset;
        switch (tok_.type) {
            case Token::Type::LParen: {
                if (!advance()) return nullptr;
                auto inner = parseOr();
                if (!inner) return nullptr;
                if (tok_.type != Token::Type::RParen) {
                    setError("missing ')'", tok_.offset);
                    return nullptr;
                }
                if (!advance()) return nullptr;
                return inner;
            }
            case Token::Type::Number: {
                n->kind = FilterNode::Kind::Literal;
                if (tok_.text.find('.') != std::string::npos) {
                    auto d = Decimal::parse(tok_.text);
                    if (!d || !d->inRange()) {
                        setError("invalid number '" + tok_.text + "'", at);
                        return nullptr;
                    }
                    n->value = *d;
                } else {
                    int64_t v = 0;
                    auto [p, ec] =
                        std::from_chars(tok_.text.data(), tok_.text.data() + tok_.text.size(), v);
                    if (ec != std::errc() || p != tok_.text.data() + tok_.text.size()) {
                        setError("invalid number '" + tok_.text + "'", at);
                        return nullptr;
                    }
                    n->value = v;
                }
                break;
            }
            case Token::Type::Text:
                n->kind = FilterNode::Kind::Literal;
                n->value = tok_.text;
                break;
            case Token::Type::Name: {
                const std::string& name = tok_.text;
                size_t colon = name.rfind(':');
                // The file a prefix names; a name without one belongs to the first file.
                int file = colon == std::string::npos ? 0 : -1;
                for (size_t i = 0; file < 0 && i < files_.size(); ++i)
                    if (text::equalNoCase(name.substr(0, colon), files_[i]->name))
                        file = static_cast<int>(i);
                if (file < 0) {
                    n->kind = FilterNode::Kind::Bound;
                    n->name = name;
                    break;
                }
                int field = files_[static_cast<size_t>(file)]->fieldIndex(
                    colon == std::string::npos ? name : name.substr(colon + 1));
                if (field < 0 && colon == std::string::npos) {
                    n->kind = FilterNode::Kind::Bound;  // a bare name that is no field
                    n->name = name;
                    break;
                }
                if (field < 0) {
                    setError("no field '" + name + "'", at);
                    return nullptr;
                }
                n->kind = FilterNode::Kind::Column;
                n->file = file;
                n->field = field;
                break;
            }
            case Token::Type::End:
                setError("unexpected end of filter", at);
                return nullptr;
            default:
                setError("unexpected '" + tok_.text + "'", at);
                return nullptr;
        }
        if (!advance()) return nullptr;
        return n;
    }

    std::string_view text_;
    std::span<const FileDef* const> files_;
    size_t pos_ = 0;
    Token tok_{Token::Type::End, "", 0};
    std::string error_;
    size_t errorAt_ = 0;
};

// Renders a tree as SQL with its parameters.
class Renderer {
  public:
    Renderer(std::span<const FileDef* const> files, const FilterBindings& bindings,
             const Filter::ColumnSql& column)
        : files_(files), bindings_(bindings), column_(column) {}

    bool truth(const FilterNode& n, std::string& sql) {
        switch (n.kind) {
            case FilterNode::Kind::Or:
            case FilterNode::Kind::And: {
                std::string a, b;
                if (!truth(*n.a, a) || !truth(*n.b, b)) return false;
                sql = "(" + a + (n.kind == FilterNode::Kind::Or ? " OR " : " AND ") + b + ")";
                return true;
            }
            case FilterNode::Kind::Not: {
                if (n.a->kind == FilterNode::Kind::Column) {
                    // "NOT field" is the field's empty value: an equality, which an index on the
                    // field can serve.
                    sql = "(" + columnSql(*n.a) + (fieldOf(*n.a).isText() ? " = '')" : " = 0)");
                    return true;
                }
                std::string a;
                if (!truth(*n.a, a)) return false;
                sql = "(NOT " + a + ")";
                return true;
            }
            case FilterNode::Kind::Compare:
                return compare(n, sql);
            case FilterNode::Kind::Column:
                sql = "(" + columnSql(n) + (fieldOf(n).isText() ? " <> '')" : " <> 0)");
                return true;
            default: {
                const FieldValue* v = valueOf(n);
                if (!v) return false;
                bool t = false;
                if (auto* i = std::get_if<int64_t>(v))
                    t = *i != 0;
                else if (auto* d = std::get_if<Decimal>(v))
                    t = !d->isZero();
                else
                    t = !std::get<std::string>(*v).empty();
                sql = "(? <> 0)";
                params.emplace_back(int64_t{t ? 1 : 0});
                return true;
            }
        }
    }

    std::vector<FieldValue> params;
    std::string error;

  private:
    const FieldValue* valueOf(const FilterNode& n) {
        if (n.kind == FilterNode::Kind::Literal) return &n.value;
        const FieldValue* v = bindings_.find(n.name);
        if (!v) error = "no value bound for '" + n.name + "'";
        return v;
    }

    const FieldDef& fieldOf(const FilterNode& n) const {
        return files_[static_cast<size_t>(n.file)]->fields[static_cast<size_t>(n.field)];
    }
    std::string columnSql(const FilterNode& n) const {
        return column_ ? column_(n.file, n.field) : "\"" + fieldOf(n).name + "\"";
    }

    bool isMoney(const FilterNode& n) const {
        return n.kind == FilterNode::Kind::Column && fieldOf(n).type == FieldType::Decimal;
    }

    // One side of a comparison: a column, or a parameter (in cents when the other side is money).
    bool operand(const FilterNode& n, bool money, std::string& sql) {
        if (n.kind == FilterNode::Kind::Column) {
            sql = columnSql(n);
            return true;
        }
        if (n.kind != FilterNode::Kind::Literal && n.kind != FilterNode::Kind::Bound) {
            std::string inner;
            if (!truth(n, inner)) return false;
            sql = inner;
            return true;
        }
        const FieldValue* v = valueOf(n);
        if (!v) return false;
        FieldValue p = *v;
        if (money) {
            if (auto* i = std::get_if<int64_t>(v)) {
                if (*i > Decimal::kMaxCents / 100 || *i < -Decimal::kMaxCents / 100) {
                    error = "amount out of range";
                    return false;
                }
                p = Decimal::fromUnits(*i);
            } else if (std::holds_alternative<std::string>(*v)) {
                error = "text compared with an amount";
                return false;
            }
        } else if (std::holds_alternative<Decimal>(*v) && n.kind == FilterNode::Kind::Literal) {
            error = "a number with decimals compares only with an amount";
            return false;
        }
        sql = "?";
        params.push_back(std::move(p));
        return true;
    }

    bool compare(const FilterNode& n, std::string& sql) {
        bool money = isMoney(*n.a) || isMoney(*n.b);
        std::string a, b;
        if (!operand(*n.a, money, a) || !operand(*n.b, money, b)) return false;
        sql = "(" + a + " " + n.op + " " + b + ")";
        return true;
    }

    std::span<const FileDef* const> files_;
    const FilterBindings& bindings_;
    const Filter::ColumnSql& column_;
};

void collectBound(const FilterNode* n, std::vector<std::string>& out) {
    if (!n) return;
    if (n->kind == FilterNode::Kind::Bound) out.push_back(n->name);
    collectBound(n->a.get(), out);
    collectBound(n->b.get(), out);
}

}  // namespace

void FilterBindings::bind(std::string_view name, FieldValue value) {
    values_[text::upper(name)] = std::move(value);
}

const FieldValue* FilterBindings::find(std::string_view name) const {
    std::string key = text::upper(name);
    auto it = values_.find(key);
    if (it != values_.end()) return &it->second;
    // "BRW2::Sort1:Reset:APbnk:BankID" also finds a value bound as "APbnk:BankID".
    size_t last = key.rfind(':');
    if (last == std::string::npos || last == 0) return nullptr;
    size_t prev = key.rfind(':', last - 1);
    if (prev == std::string::npos) return nullptr;
    it = values_.find(key.substr(prev + 1));
    return it == values_.end() ? nullptr : &it->second;
}

std::vector<std::pair<std::string, bool>> splitOrderText(std::string_view text) {
    std::vector<std::pair<std::string, bool>> out;
    size_t pos = 0;
    while (pos <= text.size()) {
        const size_t comma = text.find(',', pos);
        std::string_view part = text.substr(
            pos, comma == std::string_view::npos ? std::string_view::npos : comma - pos);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
        bool ascending = true;
        if (!part.empty() && (part.front() == '+' || part.front() == '-')) {
            ascending = part.front() == '+';
            part.remove_prefix(1);
        }
        out.emplace_back(std::string(part), ascending);
        if (comma == std::string_view::npos) break;
        pos = comma + 1;
    }
    return out;
}

Filter::Filter() = default;
Filter::~Filter() = default;
Filter::Filter(Filter&&) noexcept = default;
Filter& Filter::operator=(Filter&&) noexcept = default;

Error Filter::parse(std::string_view text, const FileDef& file, std::string* message) {
    const FileDef* files[] = {&file};
    return parse(text, files, message);
}

Error Filter::parse(std::string_view text, std::span<const FileDef* const> files,
                    std::string* message) {
    root_.reset();
    files_.assign(files.begin(), files.end());
    bool blank = true;
    for (char c : text) blank = blank && std::isspace(static_cast<unsigned char>(c));
    if (blank) return Error::None;
    std::string error;
    Parser p(text, files_);
    auto root = p.parse(error);
    if (!root) {
        if (message) *message = error;
        return Error::InvalidFilter;
    }
    root_ = std::move(root);
    return Error::None;
}

namespace {
// The fields an AND-chain of `n` holds to one value: field = value, value = field, NOT field.
void collectPinned(const FilterNode* n, std::vector<int>& out) {
    if (!n) return;
    using K = FilterNode::Kind;
    switch (n->kind) {
        case K::And:
            collectPinned(n->a.get(), out);
            collectPinned(n->b.get(), out);
            break;
        case K::Not:
            if (n->a->kind == K::Column) out.push_back(n->a->field);
            break;
        case K::Compare:
            if (n->op != "=") break;
            if (n->a->kind == K::Column && n->b->kind != K::Column)
                out.push_back(n->a->field);
            else if (n->b->kind == K::Column && n->a->kind != K::Column)
                out.push_back(n->b->field);
            break;
        default:
            break;
    }
}
}  // namespace

std::vector<int> Filter::pinnedFields() const {
    std::vector<int> out;
    collectPinned(root_.get(), out);
    return out;
}

std::vector<std::string> Filter::boundNames() const {
    std::vector<std::string> out;
    collectBound(root_.get(), out);
    return out;
}

Error Filter::toSql(const FilterBindings& bindings, std::string& sql,
                    std::vector<FieldValue>& params, std::string* message) const {
    return toSql(bindings, sql, params, message, nullptr);
}

Error Filter::toSql(const FilterBindings& bindings, std::string& sql,
                    std::vector<FieldValue>& params, std::string* message,
                    const ColumnSql& column) const {
    params.clear();
    if (!root_) {
        sql = "1 = 1";  // a truth both engines take
        return Error::None;
    }
    Renderer r(files_, bindings, column);
    if (!r.truth(*root_, sql)) {
        if (message) *message = r.error;
        sql.clear();
        return Error::InvalidFilter;
    }
    params = std::move(r.params);
    return Error::None;
}

}  // namespace storage
