#include "platform/fb/IBSQL.h"

#include <algorithm>
#include <cctype>

#include "platform/fb/FbClient.h"
#include "platform/fb/IBBlob.h"

namespace fb {

namespace {

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                  return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
              });
}

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$';
}

} // namespace

std::string PreprocessParams(const std::string& sql, std::vector<std::string>& names)
{
    names.clear();
    std::string out;
    out.reserve(sql.size());
    const std::size_t n = sql.size();
    std::size_t i = 0;
    auto copyUntil = [&](std::size_t end) {
        out.append(sql, i, end - i);
        i = end;
    };
    while (i < n) {
        char c = sql[i];
        if (c == '\'' || c == '"') {
            // A text or a quoted name; a doubled quote stays inside.
            std::size_t j = i + 1;
            while (j < n) {
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            copyUntil(std::min(j + 1, n));
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            std::size_t j = sql.find('\n', i);
            copyUntil(j == std::string::npos ? n : j);
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            std::size_t j = sql.find("*/", i + 2);
            copyUntil(j == std::string::npos ? n : j + 2);
        } else if (c == '?') {
            names.emplace_back();
            out += '?';
            ++i;
        } else if (c == ':' && i + 1 < n && sql[i + 1] == '"') {
            std::size_t j = sql.find('"', i + 2);
            if (j == std::string::npos)
                j = n;
            names.push_back(sql.substr(i + 2, j - i - 2));
            out += '?';
            i = std::min(j + 1, n);
        } else if (c == ':' && i + 1 < n && IsNameChar(sql[i + 1])) {
            std::size_t j = i + 1;
            while (j < n && IsNameChar(sql[j]))
                ++j;
            std::string name = sql.substr(i + 1, j - i - 1);
            for (char& ch : name)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            names.push_back(std::move(name));
            out += '?';
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

TIBSQL::TIBSQL(TIBDatabase* database, TIBTransaction* transaction)
{
    SetDatabase(database);
    SetTransaction(transaction);
}

TIBSQL::~TIBSQL()
{
    try {
        FreeHandle();
    } catch (...) {
        // Nothing to report to; the engine drops the statement with the attachment.
    }
    if (database_)
        database_->RemoveClient(this);
    if (registeredTransaction_)
        registeredTransaction_->RemoveClient(this);
}

void TIBSQL::SetDatabase(TIBDatabase* database)
{
    if (database == database_)
        return;
    FreeHandle();
    if (database_)
        database_->RemoveClient(this);
    database_ = database;
    if (database_)
        database_->AddClient(this);
}

void TIBSQL::SetTransaction(TIBTransaction* transaction)
{
    if (transaction == transaction_)
        return;
    Close();
    transaction_ = transaction;
}

TIBTransaction* TIBSQL::GetTransaction() const
{
    if (transaction_)
        return transaction_;
    return database_ ? database_->GetDefaultTransaction() : nullptr;
}

void TIBSQL::SetSQL(std::string sql)
{
    FreeHandle();
    sql_ = std::move(sql);
    params_.clear();
    paramOfPosition_.clear();
    positionNames_.clear();
    if (paramCheck_) {
        preparedSql_ = PreprocessParams(sql_, positionNames_);
        for (const std::string& name : positionNames_) {
            int index = -1;
            if (!name.empty()) {
                for (std::size_t k = 0; k < params_.size(); ++k)
                    if (SameName(params_[k]->GetName(), name))
                        index = static_cast<int>(k);
            }
            if (index < 0) {
                params_.push_back(std::make_unique<TParam>(name));
                index = static_cast<int>(params_.size()) - 1;
            }
            paramOfPosition_.push_back(index);
        }
    } else {
        preparedSql_ = sql_;
    }
}

void TIBSQL::SetParamCheck(bool check)
{
    if (check == paramCheck_)
        return;
    paramCheck_ = check;
    SetSQL(std::string(sql_));
}

TIBTransaction& TIBSQL::NeedTransaction()
{
    TIBTransaction* tr = GetTransaction();
    if (!tr)
        throw rtl::EDatabaseError("Statement has no transaction");
    // The transaction in use tells this statement when it ends.
    if (tr != registeredTransaction_) {
        if (registeredTransaction_)
            registeredTransaction_->RemoveClient(this);
        tr->AddClient(this);
        registeredTransaction_ = tr;
    }
    return *tr;
}

void TIBSQL::Prepare()
{
    if (statement_)
        return;
    if (!database_)
        throw rtl::EDatabaseError("Statement has no database");
    if (sql_.empty())
        throw rtl::EDatabaseError("Empty SQL statement");
    TIBTransaction& tr = NeedTransaction();
    tr.StartIfNeeded();

    const TFbApi& api = Api();
    ISC_STATUS_ARRAY status;
    isc_stmt_handle stmt = 0;
    api.isc_dsql_allocate_statement(status, database_->Handle(), &stmt);
    Check(status);
    statement_ = stmt;
    try {
        api.isc_dsql_prepare(status, tr.Handle(), &statement_, 0, preparedSql_.c_str(),
                             static_cast<unsigned short>(database_->SQLDialect), nullptr);
        Check(status);
        ReadStatementType();
        output_.DescribeOutput(&statement_, database_->SQLDialect, this);
        input_.DescribeInput(&statement_, database_->SQLDialect);
        if (!paramCheck_) {
            params_.clear();
            paramOfPosition_.clear();
            for (int k = 0; k < input_.GetCount(); ++k) {
                params_.push_back(std::make_unique<TParam>(std::string()));
                paramOfPosition_.push_back(k);
            }
        } else if (input_.GetCount() != static_cast<int>(paramOfPosition_.size())) {
            throw rtl::EDatabaseError("Parameter count mismatch in: " + sql_);
        }
    } catch (...) {
        FreeHandle();
        throw;
    }
}

void TIBSQL::ReadStatementType()
{
    const ISC_SCHAR items[] = {isc_info_sql_stmt_type};
    ISC_SCHAR result[16];
    ISC_STATUS_ARRAY status;
    const TFbApi& api = Api();
    api.isc_dsql_sql_info(status, &statement_, sizeof items, items, sizeof result, result);
    Check(status);
    type_ = TIBSQLTypes::SQLUnknown;
    if (result[0] != isc_info_sql_stmt_type)
        return;
    auto len = static_cast<short>(api.isc_vax_integer(result + 1, 2));
    switch (api.isc_vax_integer(result + 3, len)) {
    case isc_info_sql_stmt_select: type_ = TIBSQLTypes::SQLSelect; break;
    case isc_info_sql_stmt_insert: type_ = TIBSQLTypes::SQLInsert; break;
    case isc_info_sql_stmt_update: type_ = TIBSQLTypes::SQLUpdate; break;
    case isc_info_sql_stmt_delete: type_ = TIBSQLTypes::SQLDelete; break;
    case isc_info_sql_stmt_ddl: type_ = TIBSQLTypes::SQLDDL; break;
    case isc_info_sql_stmt_get_segment: type_ = TIBSQLTypes::SQLGetSegment; break;
    case isc_info_sql_stmt_put_segment: type_ = TIBSQLTypes::SQLPutSegment; break;
    case isc_info_sql_stmt_exec_procedure: type_ = TIBSQLTypes::SQLExecProcedure; break;
    case isc_info_sql_stmt_start_trans: type_ = TIBSQLTypes::SQLStartTransaction; break;
    case isc_info_sql_stmt_commit: type_ = TIBSQLTypes::SQLCommit; break;
    case isc_info_sql_stmt_rollback: type_ = TIBSQLTypes::SQLRollback; break;
    case isc_info_sql_stmt_select_for_upd: type_ = TIBSQLTypes::SQLSelectForUpdate; break;
    case isc_info_sql_stmt_set_generator: type_ = TIBSQLTypes::SQLSetGenerator; break;
    default: break;
    }
}

void TIBSQL::Unprepare()
{
    FreeHandle();
}

void TIBSQL::FreeHandle()
{
    open_ = false;
    eof_ = true;
    output_.Clear();
    input_.Clear();
    type_ = TIBSQLTypes::SQLUnknown;
    if (!statement_)
        return;
    ISC_STATUS_ARRAY status;
    isc_stmt_handle h = statement_;
    statement_ = 0;
    if (database_ && database_->GetConnected()) {
        Api().isc_dsql_free_statement(status, &h, DSQL_drop);
        Check(status);
    }
}

void TIBSQL::CheckPrepared()
{
    if (!statement_)
        Prepare();
}

void TIBSQL::BindParams()
{
    TIBTransaction& tr = NeedTransaction();
    for (int p = 0; p < input_.GetCount(); ++p)
        input_.SetInput(p, *params_[static_cast<std::size_t>(paramOfPosition_[static_cast<std::size_t>(p)])],
                        database_->Handle(), tr.Handle());
}

void TIBSQL::ExecQuery()
{
    CheckPrepared();
    Close();
    TIBTransaction& tr = NeedTransaction();
    tr.StartIfNeeded();
    BindParams();
    const TFbApi& api = Api();
    ISC_STATUS_ARRAY status;
    auto dialect = static_cast<unsigned short>(database_->SQLDialect);
    XSQLDA* in = input_.GetCount() > 0 ? input_.Get() : nullptr;
    switch (type_) {
    case TIBSQLTypes::SQLSelect:
    case TIBSQLTypes::SQLSelectForUpdate:
        api.isc_dsql_execute(status, tr.Handle(), &statement_, dialect, in);
        Check(status);
        open_ = true;
        eof_ = false;
        break;
    case TIBSQLTypes::SQLExecProcedure:
        api.isc_dsql_execute2(status, tr.Handle(), &statement_, dialect, in,
                              output_.GetCount() > 0 ? output_.Get() : nullptr);
        Check(status);
        eof_ = false;
        break;
    default:
        api.isc_dsql_execute(status, tr.Handle(), &statement_, dialect, in);
        Check(status);
        break;
    }
}

bool TIBSQL::Next()
{
    if (!open_)
        return false;
    ISC_STATUS_ARRAY status;
    ISC_STATUS rc = Api().isc_dsql_fetch(status, &statement_, static_cast<unsigned short>(database_->SQLDialect),
                                         output_.Get());
    if (rc == 100) {
        Close();
        return false;
    }
    if (rc != 0) {
        try {
            Close();
        } catch (...) {
            // The fetch error is the one to report.
        }
        Check(status);
    }
    return true;
}

void TIBSQL::Close()
{
    eof_ = true;
    if (!open_)
        return;
    open_ = false;
    ISC_STATUS_ARRAY status;
    Api().isc_dsql_free_statement(status, &statement_, DSQL_close);
    Check(status);
}

int TIBSQL::GetRowsAffected()
{
    if (!statement_)
        return -1;
    const ISC_SCHAR items[] = {isc_info_sql_records};
    ISC_SCHAR result[64];
    ISC_STATUS_ARRAY status;
    const TFbApi& api = Api();
    api.isc_dsql_sql_info(status, &statement_, sizeof items, items, sizeof result, result);
    Check(status);
    if (result[0] != isc_info_sql_records)
        return -1;
    int inserted = 0, updated = 0, deleted = 0;
    const ISC_SCHAR* p = result + 3;
    while (p < result + sizeof result && *p != isc_info_end) {
        char item = *p++;
        auto len = static_cast<short>(api.isc_vax_integer(p, 2));
        p += 2;
        auto value = static_cast<int>(api.isc_vax_integer(p, len));
        p += len;
        if (item == isc_info_req_insert_count)
            inserted = value;
        else if (item == isc_info_req_update_count)
            updated = value;
        else if (item == isc_info_req_delete_count)
            deleted = value;
    }
    switch (type_) {
    case TIBSQLTypes::SQLInsert: return inserted;
    case TIBSQLTypes::SQLUpdate: return updated;
    case TIBSQLTypes::SQLDelete: return deleted;
    default: return inserted + updated + deleted;
    }
}

int TIBSQL::GetParamCount()
{
    if (!paramCheck_)
        CheckPrepared();
    return static_cast<int>(params_.size());
}

TParam& TIBSQL::Params(int index)
{
    if (index < 0 || index >= GetParamCount())
        throw rtl::EDatabaseError("Parameter index " + std::to_string(index) + " out of range");
    return *params_[static_cast<std::size_t>(index)];
}

TParam* TIBSQL::FindParam(const std::string& name)
{
    for (auto& p : params_)
        if (SameName(p->GetName(), name))
            return p.get();
    return nullptr;
}

TParam& TIBSQL::ParamByName(const std::string& name)
{
    if (TParam* p = FindParam(name))
        return *p;
    throw rtl::EDatabaseError("Parameter " + name + " not found");
}

int TIBSQL::GetFieldCount()
{
    CheckPrepared();
    return output_.GetCount();
}

TIBXSQLVar& TIBSQL::Fields(int index)
{
    if (index < 0 || index >= GetFieldCount())
        throw rtl::EDatabaseError("Field index " + std::to_string(index) + " out of range");
    return output_.Var(index);
}

int TIBSQL::FieldIndex(const std::string& name)
{
    int count = GetFieldCount();
    for (int k = 0; k < count; ++k)
        if (SameName(output_.Var(k).GetName(), name))
            return k;
    return -1;
}

TIBXSQLVar* TIBSQL::FindField(const std::string& name)
{
    int k = FieldIndex(name);
    return k < 0 ? nullptr : &output_.Var(k);
}

TIBXSQLVar& TIBSQL::FieldByName(const std::string& name)
{
    if (TIBXSQLVar* v = FindField(name))
        return *v;
    throw rtl::EDatabaseError("Field " + name + " not found");
}

std::string TIBSQL::ReadBlob(const ISC_QUAD& id)
{
    if (!database_)
        throw rtl::EDatabaseError("Statement has no database");
    return fb::ReadBlob(database_->Handle(), NeedTransaction().Handle(), id);
}

void TIBSQL::DatabaseClosing()
{
    FreeHandle();
}

void TIBSQL::TransactionEnding()
{
    Close();
}

void TIBSQL::DatabaseFreed(TIBDatabase* database)
{
    if (database != database_)
        return;
    statement_ = 0; // gone with the attachment
    FreeHandle();
    database_ = nullptr;
}

void TIBSQL::TransactionFreed(TIBTransaction* transaction)
{
    if (transaction == transaction_)
        transaction_ = nullptr;
    if (transaction == registeredTransaction_) {
        registeredTransaction_ = nullptr;
        open_ = false;
        eof_ = true;
    }
}

} // namespace fb
