#pragma once
// The Filter text of a data set: comparisons of fields with values or other fields,
// joined by AND, OR, NOT and parentheses:
//     NAME = 'Smith' AND (AGE >= 18 OR AGE IS NULL)
// Operators = <> != < > <= >=; IS [NOT] NULL (also "= NULL", "<> NULL"); values are
// numbers with '.' as decimal point or texts in single quotes ('' for a quote); a field
// name may be written in [brackets]. A comparison with a Null value is false. Texts
// compare by bytes; a text compared with a date field reads as a date. Parentheses and
// NOT nest at most 100 levels deep; chains of AND and OR may be of any length.
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Variant.h"

namespace db {

class TDataSet;
class TField;

class TFilterExpression {
public:
    ~TFilterExpression();
    // Raises EDatabaseError "Invalid filter expression '%s': reason" for bad syntax.
    static std::unique_ptr<TFilterExpression> Parse(const std::string& text);
    // Resolves the field names (raises "Field '%s' not found").
    void Bind(const TDataSet& dataSet);
    // Judges the record the data set's fields read now.
    bool Evaluate() const;

    struct Node;

private:
    TFilterExpression() = default;
    std::unique_ptr<Node> root_;
    std::string text_;
};

} // namespace db
