#pragma once
// Builds the text of the log window's SELECT statement from a base statement, free
// conditions, excluded values of one integer column, included values of another and
// an ORDER BY list.
//
// Example: base "select * from get_log", where word "where", condition
// "DATACODE < 1000", exclusions 31 and 33 of DATACODE, inclusions 0 and 5 of
// DEVICEID, order "DT", SortOrder 1 build the lines
//   select * from get_log
//   (empty)
//   where
//   ( (DATACODE < 1000))
//   AND( DATACODE <> 31 AND DATACODE <> 33)
//   AND( DEVICEID = 0 OR DEVICEID = 5)
//   ORDER BY
//   DT
//   DESC
#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/Persistent.h"
#include "platform/rtl/StringList.h"

namespace storage {

using TIArray = std::vector<std::int32_t>;
using TSArray = std::vector<std::string>;

class TSQLFilter : public rtl::TObject {
public:
    // Set directly by the owner.
    std::string BaseSQL;      // statement head; empty: Build produces nothing
    std::string WhereWord;    // line that opens the filter; empty: no filter at all
    std::string ExcludeField; // column that must differ from every excluded value
    std::string IncludeField; // column that must equal one included value
    // 0 ascending, 1 descending, any other value: no direction line.
    std::int32_t SortOrder = 0;

    // The lists hold no entry twice; strings compare exactly, with case.
    void AddExclusion(std::int32_t value);
    void AddInclusion(std::int32_t value);
    void ClearInclusions();
    void AddOrder(const std::string& field);
    void ClearOrder();
    void AddCondition(const std::string& condition);
    // Removes the equal entry, keeping the others in order; none: nothing happens.
    void RemoveCondition(const std::string& condition);

    const TIArray& GetExcluded() const { return excluded_; }
    const TIArray& GetIncluded() const { return included_; }
    const TSArray& GetOrderFields() const { return orderFields_; }
    const TSArray& GetConditions() const { return conditions_; }

    // Replaces the lines of list with the statement; with an empty BaseSQL the list
    // is left as it is.
    void Build(rtl::TStrings& list) const;
    // The built statement, each line followed by CR LF ("" for an empty BaseSQL).
    std::string GetSQLText() const;

private:
    std::string ExclusionsText() const;
    std::string InclusionsText() const;
    std::string ConditionsText() const;
    std::string OrderText() const;

    TIArray excluded_;
    TIArray included_;
    TSArray orderFields_;
    TSArray conditions_;
};

} // namespace storage
