#pragma once
// The statements that write a query's edited rows back: ":NAME" in them is the new
// value of field NAME, ":OLD_NAME" its value before the edit.
#include <string>
#include <vector>

#include "platform/fb/IBSQL.h"
#include "platform/rtl/Variant.h"

namespace fb {

// clang-format off
enum class TUpdateKind { ukModify, ukInsert, ukDelete };
// clang-format on

class TIBUpdateSQL {
public:
    std::string RefreshSQL; // re-reads one row after it was written
    std::string ModifySQL;
    std::string InsertSQL;
    std::string DeleteSQL;

    // Runs the statement of kind in the transaction. names are the row's field names;
    // oldValues and newValues one value per name (a delete uses oldValues for both).
    // EDatabaseError when the statement is empty or names a field the row lacks.
    void Apply(TUpdateKind kind, TIBDatabase* database, TIBTransaction* transaction,
               const std::vector<std::string>& names, const std::vector<rtl::Variant>& oldValues,
               const std::vector<rtl::Variant>& newValues);
    // Runs RefreshSQL (when there is one) with the row's values and copies the columns
    // it returns into them. False when there is no such statement or it finds no row.
    bool Refresh(TIBDatabase* database, TIBTransaction* transaction, const std::vector<std::string>& names,
                 std::vector<rtl::Variant>& values);

private:
    TIBSQL& Statement(TIBSQL& statement, const std::string& sql, TIBDatabase* database,
                      TIBTransaction* transaction);
    void Bind(TIBSQL& statement, const std::vector<std::string>& names, const std::vector<rtl::Variant>& oldValues,
              const std::vector<rtl::Variant>& newValues);

    TIBSQL modify_, insert_, delete_, refresh_; // prepared once, reused for every row
};

} // namespace fb
