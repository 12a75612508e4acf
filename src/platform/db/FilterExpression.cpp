#include "platform/db/FilterExpression.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/db/DBConsts.h"
#include "platform/db/DataSet.h"
#include "platform/rtl/SysUtils.h"

namespace db {

// clang-format off
enum class NodeKind { Or, And, Not, Compare, IsNull, IsNotNull, Field, Literal };
enum class CompareOp { Eq, Ne, Lt, Gt, Le, Ge };
// clang-format on

struct TFilterExpression::Node {
    NodeKind kind;
    CompareOp op = CompareOp::Eq;
    std::unique_ptr<Node> left, right;        // Not, Compare, IsNull, IsNotNull
    std::vector<std::unique_ptr<Node>> terms; // Or, And: a chain of any length is one node
    std::string name;                         // Field
    TField* field = nullptr;                  // Field, after Bind
    rtl::Variant value;                       // Literal (Null for NULL)
};

namespace {

using Node = TFilterExpression::Node;

// Levels of parentheses and NOT a filter may nest.
constexpr int kMaxNesting = 100;

struct Token {
    // clang-format off
    enum Kind { End, Name, Number, Text, Op, LParen, RParen } kind = End;
    // clang-format on
    std::string text;
};

class Parser {
public:
    explicit Parser(const std::string& text) : s_(text) { next(); }

    std::unique_ptr<Node> parseAll()
    {
        auto n = parseOr();
        if (tok_.kind != Token::End) fail("unexpected '" + tok_.text + "'");
        return n;
    }

private:
    [[noreturn]] void fail(const std::string& reason) const
    {
        TDataSet::DatabaseError(rtl::Format(msg::FilterExpression, s_, reason));
    }

    bool isKeyword(const char* word) const
    {
        return tok_.kind == Token::Name && rtl::SameText(tok_.text, word);
    }

    void next()
    {
        while (pos_ < s_.size() && static_cast<unsigned char>(s_[pos_]) <= ' ') ++pos_;
        tok_ = Token{};
        if (pos_ >= s_.size()) return;
        char c = s_[pos_];
        if (c == '(' || c == ')') {
            tok_.kind = c == '(' ? Token::LParen : Token::RParen;
            tok_.text = std::string(1, c);
            ++pos_;
        } else if (c == '\'') {
            tok_.kind = Token::Text;
            ++pos_;
            for (;;) {
                if (pos_ >= s_.size()) fail("quote is absent");
                if (s_[pos_] == '\'') {
                    if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '\'') {
                        tok_.text += '\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                tok_.text += s_[pos_++];
            }
        } else if (c == '[') {
            std::size_t end = s_.find(']', pos_);
            if (end == std::string::npos) fail("']' expected");
            tok_.kind = Token::Name;
            tok_.text = s_.substr(pos_ + 1, end - pos_ - 1);
            tok_.text += '\0'; // a bracketed name is never a keyword
            pos_ = end + 1;
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '.'
                   || ((c == '-' || c == '+') && pos_ + 1 < s_.size()
                       && std::isdigit(static_cast<unsigned char>(s_[pos_ + 1])))) {
            std::size_t start = pos_++;
            // clang-format off
            while (pos_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '.'
                                        || s_[pos_] == 'e' || s_[pos_] == 'E'
                                        || ((s_[pos_] == '-' || s_[pos_] == '+')
                                            && (s_[pos_ - 1] == 'e' || s_[pos_ - 1] == 'E'))))
                ++pos_;
            // clang-format on
            tok_.kind = Token::Number;
            tok_.text = s_.substr(start, pos_ - start);
        } else if (c == '<' || c == '>' || c == '=' || c == '!') {
            tok_.kind = Token::Op;
            tok_.text = std::string(1, c);
            ++pos_;
            if (pos_ < s_.size() && (s_[pos_] == '=' || (c == '<' && s_[pos_] == '>'))) tok_.text += s_[pos_++];
            if (tok_.text == "!") fail("'!' without '='");
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 128) {
            std::size_t start = pos_;
            // clang-format off
            while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_'
                                        || static_cast<unsigned char>(s_[pos_]) >= 128))
                ++pos_;
            // clang-format on
            tok_.kind = Token::Name;
            tok_.text = s_.substr(start, pos_ - start);
        } else {
            fail(std::string("unexpected character '") + c + "'");
        }
    }

    std::unique_ptr<Node> make(NodeKind kind, std::unique_ptr<Node> l = nullptr, std::unique_ptr<Node> r = nullptr)
    {
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }

    // term { keyword term }: one node for the whole chain, so that its length costs no
    // depth of the tree (nor of the stack that walks it).
    template <typename ParseTerm>
    std::unique_ptr<Node> parseChain(NodeKind kind, const char* keyword, ParseTerm parseTerm)
    {
        auto first = (this->*parseTerm)();
        if (!isKeyword(keyword)) return first;
        auto chain = make(kind);
        chain->terms.push_back(std::move(first));
        while (isKeyword(keyword)) {
            next();
            chain->terms.push_back((this->*parseTerm)());
        }
        return chain;
    }

    std::unique_ptr<Node> parseOr() { return parseChain(NodeKind::Or, "OR", &Parser::parseAnd); }
    std::unique_ptr<Node> parseAnd() { return parseChain(NodeKind::And, "AND", &Parser::parseNot); }

    std::unique_ptr<Node> parseNot()
    {
        if (isKeyword("NOT")) {
            const Nesting nested(*this);
            next();
            return make(NodeKind::Not, parseNot());
        }
        if (tok_.kind == Token::LParen) {
            const Nesting nested(*this);
            next();
            auto n = parseOr();
            if (tok_.kind != Token::RParen) fail("')' expected");
            next();
            return n;
        }
        return parseComparison();
    }

    // One level of parentheses or NOT; beyond kMaxNesting the text is refused before
    // the parser (and later the evaluator) would run out of stack.
    class Nesting {
    public:
        explicit Nesting(Parser& parser) : parser_(parser)
        {
            if (++parser_.depth_ > kMaxNesting)
                parser_.fail("nested more than " + std::to_string(kMaxNesting) + " levels deep");
        }
        ~Nesting() { --parser_.depth_; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;

    private:
        Parser& parser_;
    };

    std::unique_ptr<Node> parseOperand()
    {
        auto n = std::make_unique<Node>();
        switch (tok_.kind) {
        case Token::Name:
            if (isKeyword("NULL")) {
                n->kind = NodeKind::Literal;
                n->value = rtl::Null();
            } else {
                n->kind = NodeKind::Field;
                n->name = tok_.text;
                if (!n->name.empty() && n->name.back() == '\0') n->name.pop_back();
            }
            break;
        case Token::Number: {
            n->kind = NodeKind::Literal;
            // Filter texts write numbers with a '.', whatever the user's locale says.
            static const rtl::TFormatSettings invariant = rtl::TFormatSettings::Invariant();
            double d = 0;
            if (!rtl::TryStrToFloat(tok_.text, d, invariant)) fail("'" + tok_.text + "' is not a number");
            n->value = rtl::Variant(d);
            break;
        }
        case Token::Text:
            n->kind = NodeKind::Literal;
            n->value = rtl::Variant(tok_.text);
            break;
        default:
            fail(tok_.kind == Token::End ? "operand expected" : "unexpected '" + tok_.text + "'");
        }
        next();
        return n;
    }

    std::unique_ptr<Node> parseComparison()
    {
        auto left = parseOperand();
        if (isKeyword("IS")) {
            next();
            bool negate = false;
            if (isKeyword("NOT")) {
                negate = true;
                next();
            }
            if (!isKeyword("NULL")) fail("NULL expected");
            next();
            return make(negate ? NodeKind::IsNotNull : NodeKind::IsNull, std::move(left));
        }
        if (tok_.kind != Token::Op) fail("comparison expected");
        CompareOp op;
        const std::string& t = tok_.text;
        if (t == "=") op = CompareOp::Eq;
        else if (t == "<>" || t == "!=") op = CompareOp::Ne;
        else if (t == "<") op = CompareOp::Lt;
        else if (t == ">") op = CompareOp::Gt;
        else if (t == "<=") op = CompareOp::Le;
        else op = CompareOp::Ge;
        next();
        auto right = parseOperand();
        auto isNullLiteral = [](const Node& n) { return n.kind == NodeKind::Literal && n.value.IsNull(); };
        if (isNullLiteral(*right) && (op == CompareOp::Eq || op == CompareOp::Ne))
            return make(op == CompareOp::Eq ? NodeKind::IsNull : NodeKind::IsNotNull, std::move(left));
        auto n = make(NodeKind::Compare, std::move(left), std::move(right));
        n->op = op;
        return n;
    }

    const std::string& s_;
    std::size_t pos_ = 0;
    Token tok_;
    int depth_ = 0;
};

void bind(Node* n, const TDataSet& ds)
{
    if (!n) return;
    if (n->kind == NodeKind::Field) n->field = ds.FieldByName(n->name);
    bind(n->left.get(), ds);
    bind(n->right.get(), ds);
    for (const auto& term : n->terms) bind(term.get(), ds);
}

rtl::Variant operandValue(const Node& n)
{
    return n.kind == NodeKind::Field ? n.field->GetValue() : n.value;
}

bool isDateField(const Node& n)
{
    if (n.kind != NodeKind::Field) return false;
    TFieldType t = n.field->DataType();
    return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp;
}

bool compare(const Node& n)
{
    rtl::Variant a = operandValue(*n.left);
    rtl::Variant b = operandValue(*n.right);
    if (rtl::VarIsClear(a) || rtl::VarIsClear(b)) return false;
    // A quoted date against a date field.
    rtl::TDateTime dt;
    if (isDateField(*n.left) && b.IsStr() && rtl::TryStrToDateTime(b.AsString(), dt)) b = rtl::Variant(dt);
    if (isDateField(*n.right) && a.IsStr() && rtl::TryStrToDateTime(a.AsString(), dt)) a = rtl::Variant(dt);
    int order;
    if (a.IsStr() && b.IsStr()) {
        order = rtl::CompareStr(a.AsString(), b.AsString());
    } else {
        rtl::TVariantRelationship r = rtl::VarCompareValue(a, b);
        if (r == rtl::vrNotEqual) return n.op == CompareOp::Ne;
        order = r == rtl::vrEqual ? 0 : (r == rtl::vrLessThan ? -1 : 1);
    }
    switch (n.op) {
    case CompareOp::Eq: return order == 0;
    case CompareOp::Ne: return order != 0;
    case CompareOp::Lt: return order < 0;
    case CompareOp::Gt: return order > 0;
    case CompareOp::Le: return order <= 0;
    case CompareOp::Ge: return order >= 0;
    }
    return false;
}

bool evaluate(const Node& n)
{
    switch (n.kind) {
    case NodeKind::Or:
        return std::any_of(n.terms.begin(), n.terms.end(), [](const auto& term) { return evaluate(*term); });
    case NodeKind::And:
        return std::all_of(n.terms.begin(), n.terms.end(), [](const auto& term) { return evaluate(*term); });
    case NodeKind::Not: return !evaluate(*n.left);
    case NodeKind::Compare: return compare(n);
    case NodeKind::IsNull: return rtl::VarIsClear(operandValue(*n.left));
    case NodeKind::IsNotNull: return !rtl::VarIsClear(operandValue(*n.left));
    case NodeKind::Field: return n.field->GetAsBoolean(); // a Boolean field alone
    case NodeKind::Literal: return !rtl::VarIsClear(n.value) && n.value.AsBoolean();
    }
    return false;
}

} // namespace

TFilterExpression::~TFilterExpression() = default;

std::unique_ptr<TFilterExpression> TFilterExpression::Parse(const std::string& text)
{
    std::unique_ptr<TFilterExpression> e(new TFilterExpression());
    e->text_ = text;
    Parser p(e->text_);
    e->root_ = p.parseAll();
    return e;
}

void TFilterExpression::Bind(const TDataSet& dataSet)
{
    bind(root_.get(), dataSet);
}

bool TFilterExpression::Evaluate() const
{
    return root_ && evaluate(*root_);
}

} // namespace db
