#include "hostlink/view_filter.h"

#include <cctype>
#include <charconv>
#include <vector>

#include "corelib/text.h"
#include "hostlink/link_text.h"

using namespace corelib;

namespace hostlink {

namespace {

enum class Tok { Name, Number, Text, Op, LParen, RParen, And, Or, Not, End };

struct Token {
    Tok kind = Tok::End;
    std::string text;
};

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '_';
}

// Splits the text into tokens; false with `error` set on a character it does not know.
bool tokenize(const std::string& s, std::vector<Token>& out, std::string& error) {
    size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        if (c == ' ' || c == '\t') {
            ++i;
        } else if (c == '(' || c == ')') {
            out.push_back({c == '(' ? Tok::LParen : Tok::RParen, std::string(1, c)});
            ++i;
        } else if (c == '\'') {
            std::string text;
            ++i;
            for (;;) {
                if (i >= s.size()) {
                    error = "unterminated text";
                    return false;
                }
                if (s[i] == '\'') {
                    if (i + 1 < s.size() && s[i + 1] == '\'') {
                        text += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += s[i++];
            }
            out.push_back({Tok::Text, text});
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '-' && i + 1 < s.size() &&
                    std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            size_t start = i++;
            while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
            out.push_back({Tok::Number, s.substr(start, i - start)});
        } else if (c == '=' || c == '<' || c == '>') {
            std::string op(1, c);
            if (i + 1 < s.size() && ((c == '<' && (s[i + 1] == '>' || s[i + 1] == '=')) ||
                                     (c == '>' && s[i + 1] == '='))) {
                op += s[i + 1];
            }
            i += op.size();
            out.push_back({Tok::Op, op});
        } else if (isNameChar(c)) {
            size_t start = i;
            while (i < s.size() && isNameChar(s[i])) ++i;
            std::string word = s.substr(start, i - start);
            const std::string upper = text::upper(word);
            if (upper == "AND")
                out.push_back({Tok::And, word});
            else if (upper == "OR")
                out.push_back({Tok::Or, word});
            else if (upper == "NOT")
                out.push_back({Tok::Not, word});
            else
                out.push_back({Tok::Name, word});
        } else {
            error = std::string("unexpected character '") + c + "'";
            return false;
        }
    }
    out.push_back({Tok::End, {}});
    return true;
}

class Parser {
  public:
    Parser(std::vector<Token> tokens,
           const std::function<std::optional<FilterName>(const std::string&)>& resolve)
        : tokens_(std::move(tokens)), resolve_(resolve) {}

    bool parse(SqlFilter& out) {
        QString sql;
        if (!orExpr(sql)) return fail(out);
        if (peek().kind != Tok::End) {
            error_ = "unexpected '" + peek().text + "'";
            return fail(out);
        }
        out.ok = true;
        out.where = sql;
        out.values = values_;
        return true;
    }

  private:
    const Token& peek() const { return tokens_[pos_]; }
    const Token& next() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }

    bool fail(SqlFilter& out) {
        out.ok = false;
        out.error = error_.empty() ? "invalid filter" : error_;
        return false;
    }

    bool orExpr(QString& sql) {
        if (!andExpr(sql)) return false;
        while (peek().kind == Tok::Or) {
            next();
            QString right;
            if (!andExpr(right)) return false;
            sql = "(" + sql + " OR " + right + ")";
        }
        return true;
    }

    bool andExpr(QString& sql) {
        if (!notExpr(sql)) return false;
        while (peek().kind == Tok::And) {
            next();
            QString right;
            if (!notExpr(right)) return false;
            sql = "(" + sql + " AND " + right + ")";
        }
        return true;
    }

    bool notExpr(QString& sql) {
        if (peek().kind == Tok::Not) {
            next();
            QString inner;
            if (!notExpr(inner)) return false;
            sql = "(NOT " + inner + ")";
            return true;
        }
        return primary(sql);
    }

    bool primary(QString& sql) {
        if (peek().kind == Tok::LParen) {
            next();
            if (!orExpr(sql)) return false;
            if (next().kind != Tok::RParen) {
                error_ = "missing ')'";
                return false;
            }
            sql = "(" + sql + ")";
            return true;
        }
        QString left;
        if (!operand(left)) return false;
        if (peek().kind != Tok::Op) {
            // A name alone is true when it is not zero.
            sql = "(" + left + " <> 0)";
            return true;
        }
        const std::string op = next().text;
        QString right;
        if (!operand(right)) return false;
        sql = left + " " + QString::fromStdString(op) + " " + right;
        return true;
    }

    bool operand(QString& sql) {
        const Token t = next();
        switch (t.kind) {
            case Tok::Number: {
                long long value = 0;
                const char* end = t.text.data() + t.text.size();
                auto [ptr, ec] = std::from_chars(t.text.data(), end, value);
                if (ec != std::errc() || ptr != end) {
                    error_ = "number out of range " + t.text;
                    return false;
                }
                values_.push_back(QVariant(static_cast<qlonglong>(value)));
                sql = "?";
                return true;
            }
            case Tok::Text:
                values_.push_back(QVariant(QString::fromStdString(t.text)));
                sql = "?";
                return true;
            case Tok::Name: {
                const std::optional<FilterName> name = resolve_(t.text);
                if (!name) {
                    error_ = "unknown name " + t.text;
                    return false;
                }
                if (name->column.isEmpty()) {
                    values_.push_back(name->value);
                    sql = "?";
                } else {
                    sql = name->column;
                }
                return true;
            }
            default:
                error_ = t.kind == Tok::End ? "unexpected end" : "unexpected '" + t.text + "'";
                return false;
        }
    }

    std::vector<Token> tokens_;
    const std::function<std::optional<FilterName>(const std::string&)>& resolve_;
    size_t pos_ = 0;
    QVariantList values_;
    std::string error_;
};

}  // namespace

SqlFilter parseViewFilter(
    const std::string& text,
    const std::function<std::optional<FilterName>(const std::string&)>& resolve) {
    SqlFilter out;
    std::vector<Token> tokens;
    if (!tokenize(text, tokens, out.error)) return out;
    Parser parser(std::move(tokens), resolve);
    parser.parse(out);
    return out;
}

}  // namespace hostlink
