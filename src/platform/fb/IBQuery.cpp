#include "platform/fb/IBQuery.h"

#include <cstring>

#include "platform/fb/IBGenerator.h"

namespace fb {

namespace {

db::TFieldDef& AddDef(db::TFieldDefs& defs, TIBXSQLVar& var)
{
    db::TFieldType type = db::ftUnknown;
    int size = 0;
    const bool scaled = var.GetSqlScale() != 0;
    switch (var.GetSqlType()) {
    case SQL_SHORT: type = scaled ? db::ftFloat : db::ftSmallint; break;
    case SQL_LONG: type = scaled ? db::ftFloat : db::ftInteger; break;
    case SQL_INT64: type = scaled ? db::ftFloat : db::ftLargeint; break;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: type = db::ftFloat; break;
    // clang-format off
    case SQL_TEXT: type = db::ftFixedChar; size = var.GetSqlLength(); break;
    case SQL_VARYING: type = db::ftString; size = var.GetSqlLength(); break;
    // clang-format on
    case SQL_BLOB: type = var.GetSqlSubtype() == 1 ? db::ftMemo : db::ftBlob; break;
    case SQL_TIMESTAMP: type = db::ftDateTime; break;
    case SQL_TYPE_DATE: type = db::ftDate; break;
    case SQL_TYPE_TIME: type = db::ftTime; break;
    case SQL_BOOLEAN: type = db::ftBoolean; break;
    default:
        throw rtl::EDatabaseError("Column " + var.GetName() + " has a type a data set cannot hold");
    }
    return defs.Add(var.GetName(), type, size, !var.GetNullable());
}

} // namespace

// Rows from the open cursor, changes through the update object.
class TIBQuery::TProvider : public db::TRecordProvider {
public:
    explicit TProvider(TIBQuery& query) : query_(query)
    {
        for (int k = 0; k < query.FieldDefs().Count(); ++k)
            names_.push_back(query.FieldDefs()[k].Name);
    }

    bool FetchRow(std::vector<rtl::Variant>& values) override
    {
        TIBSQL& select = query_.select_;
        if (!select.GetOpen() || !select.Next())
            return false;
        values.resize(names_.size());
        for (std::size_t k = 0; k < names_.size(); ++k) {
            const TIBXSQLVar& var = select.Fields(static_cast<int>(k));
            // A blob is read when its value is first asked for: its id stands in for it.
            if (var.IsBlob())
                values[k] = var.GetIsNull() ? rtl::Null() : rtl::Variant(static_cast<long long>(BlobKey(var.GetAsQuad())));
            else
                values[k] = var.GetValue().GetAsVariant();
        }
        return true;
    }

    bool Defers(int column) const override { return query_.select_.Fields(column).IsBlob(); }

    std::string ReadDeferred(int column, std::int64_t key) override
    {
        ISC_QUAD id;
        static_assert(sizeof id == sizeof key);
        std::memcpy(&id, &key, sizeof id);
        return query_.select_.Fields(column).ReadBlob(id);
    }

    void ApplyInsert(std::vector<rtl::Variant>& values) override
    {
        Updates().Apply(TUpdateKind::ukInsert, query_.GetDatabase(), query_.GetTransaction(), names_, values, values);
        Updates().Refresh(query_.GetDatabase(), query_.GetTransaction(), names_, values);
    }

    void ApplyUpdate(const std::vector<rtl::Variant>& oldValues, std::vector<rtl::Variant>& newValues) override
    {
        Updates().Apply(TUpdateKind::ukModify, query_.GetDatabase(), query_.GetTransaction(), names_, oldValues,
                        newValues);
        Updates().Refresh(query_.GetDatabase(), query_.GetTransaction(), names_, newValues);
    }

    void ApplyDelete(const std::vector<rtl::Variant>& values) override
    {
        Updates().Apply(TUpdateKind::ukDelete, query_.GetDatabase(), query_.GetTransaction(), names_, values, values);
    }

private:
    static std::int64_t BlobKey(const ISC_QUAD& id)
    {
        std::int64_t key;
        std::memcpy(&key, &id, sizeof key);
        return key;
    }

    TIBUpdateSQL& Updates()
    {
        if (!query_.updateObject_)
            throw rtl::EDatabaseError("Cannot modify a read-only dataset");
        return *query_.updateObject_;
    }

    TIBQuery& query_;
    std::vector<std::string> names_;
};

TIBQuery::TIBQuery(rtl::TComponent* owner) : db::TDataSet(owner) {}

TIBQuery::~TIBQuery()
{
    try {
        Close();
    } catch (...) {
        // Nothing to report to from a destructor.
    }
}

void TIBQuery::SetDatabase(TIBDatabase* database)
{
    if (database == GetDatabase())
        return;
    Close();
    select_.SetDatabase(database);
}

void TIBQuery::SetTransaction(TIBTransaction* transaction)
{
    Close();
    select_.SetTransaction(transaction);
}

void TIBQuery::SetSQL(std::string sql)
{
    Close();
    select_.SetSQL(std::move(sql));
}

void TIBQuery::UnPrepare()
{
    Close();
    select_.Unprepare();
}

db::TRecordProvider* TIBQuery::InternalOpen()
{
    select_.Prepare();
    if (select_.GetSQLType() != TIBSQLTypes::SQLSelect && select_.GetSQLType() != TIBSQLTypes::SQLSelectForUpdate)
        throw rtl::EDatabaseError("The query's statement is not a select: " + select_.GetSQL());
    FieldDefs().Clear();
    for (int k = 0; k < select_.GetFieldCount(); ++k)
        AddDef(FieldDefs(), select_.Fields(k));
    select_.ExecQuery();
    provider_ = std::make_unique<TProvider>(*this);
    return provider_.get();
}

void TIBQuery::InternalClose()
{
    try {
        select_.Close();
    } catch (const rtl::EDatabaseError&) {
        // The cursor went with its transaction or connection; closing is what was wanted.
    }
    provider_.reset();
}

void TIBQuery::DoOnNewRecord()
{
    if (!GeneratorField.Field.empty() && !GeneratorField.Generator.empty()) {
        TIBDatabase* database = GetDatabase();
        TIBTransaction* transaction = GetTransaction();
        if (!database || !transaction)
            throw rtl::EDatabaseError("Query has no database or transaction");
        std::int64_t key = GenId(*database, *transaction, GeneratorField.Generator, GeneratorField.IncrementBy);
        FieldByName(GeneratorField.Field)->SetValue(rtl::Variant(static_cast<long long>(key)));
    }
    db::TDataSet::DoOnNewRecord();
}

} // namespace fb
