#include "platform/fb/IBUpdateSQL.h"

#include <algorithm>
#include <cctype>

namespace fb {

namespace {

int IndexOf(const std::vector<std::string>& names, const std::string& name)
{
    for (std::size_t k = 0; k < names.size(); ++k) {
        const std::string& n = names[k];
        if (n.size() == name.size()
            && std::equal(n.begin(), n.end(), name.begin(), [](char a, char b) {
                   return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
               }))
            return static_cast<int>(k);
    }
    return -1;
}

bool HasOldPrefix(const std::string& name)
{
    return name.size() > 4 && std::toupper(static_cast<unsigned char>(name[0])) == 'O'
           && std::toupper(static_cast<unsigned char>(name[1])) == 'L'
           && std::toupper(static_cast<unsigned char>(name[2])) == 'D' && name[3] == '_';
}

} // namespace

TIBSQL& TIBUpdateSQL::Statement(TIBSQL& statement, const std::string& sql, TIBDatabase* database,
                                TIBTransaction* transaction)
{
    if (sql.empty())
        throw rtl::EDatabaseError("No update statement for this change");
    statement.SetDatabase(database);
    statement.SetTransaction(transaction);
    if (statement.GetSQL() != sql)
        statement.SetSQL(sql);
    return statement;
}

void TIBUpdateSQL::Bind(TIBSQL& statement, const std::vector<std::string>& names,
                        const std::vector<rtl::Variant>& oldValues, const std::vector<rtl::Variant>& newValues)
{
    for (int p = 0; p < statement.GetParamCount(); ++p) {
        TParam& param = statement.Params(p);
        const std::string& name = param.GetName();
        int index = IndexOf(names, name);
        if (index >= 0) {
            param.SetAsVariant(newValues[static_cast<std::size_t>(index)]);
            continue;
        }
        if (HasOldPrefix(name) && (index = IndexOf(names, name.substr(4))) >= 0) {
            param.SetAsVariant(oldValues[static_cast<std::size_t>(index)]);
            continue;
        }
        throw rtl::EDatabaseError("Field " + name + " not found for the update statement");
    }
}

void TIBUpdateSQL::Apply(TUpdateKind kind, TIBDatabase* database, TIBTransaction* transaction,
                         const std::vector<std::string>& names, const std::vector<rtl::Variant>& oldValues,
                         const std::vector<rtl::Variant>& newValues)
{
    TIBSQL* statement = nullptr;
    switch (kind) {
    case TUpdateKind::ukModify: statement = &Statement(modify_, ModifySQL, database, transaction); break;
    case TUpdateKind::ukInsert: statement = &Statement(insert_, InsertSQL, database, transaction); break;
    case TUpdateKind::ukDelete: statement = &Statement(delete_, DeleteSQL, database, transaction); break;
    }
    Bind(*statement, names, oldValues, kind == TUpdateKind::ukDelete ? oldValues : newValues);
    statement->ExecQuery();
}

bool TIBUpdateSQL::Refresh(TIBDatabase* database, TIBTransaction* transaction, const std::vector<std::string>& names,
                           std::vector<rtl::Variant>& values)
{
    if (RefreshSQL.empty())
        return false;
    TIBSQL& statement = Statement(refresh_, RefreshSQL, database, transaction);
    Bind(statement, names, values, values);
    statement.ExecQuery();
    if (!statement.Next())
        return false;
    for (int k = 0; k < statement.GetFieldCount(); ++k) {
        int index = IndexOf(names, statement.Fields(k).GetName());
        if (index >= 0)
            values[static_cast<std::size_t>(index)] = statement.Fields(k).GetValue().GetAsVariant();
    }
    statement.Close();
    return true;
}

} // namespace fb
