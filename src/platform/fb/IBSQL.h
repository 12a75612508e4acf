#pragma once
// A prepared DSQL statement with named parameters and the values of its result.
//
//   TIBSQL q(&db, &tr);
//   q.SetSQL("select ALIAS from DEVICES where ID = :ID");
//   q.ParamByName("ID").SetAsInteger(5);
//   q.ExecQuery();
//   while (q.Next()) use(q.FieldByName("ALIAS").GetAsString());
//
// Parameters are written ":NAME" (the same name may appear more than once) or "?".
// The transaction is started when a statement needs it and is not running.
#include <memory>
#include <string>
#include <vector>

#include "platform/fb/IBDatabase.h"
#include "platform/fb/IBXSQLDA.h"

namespace fb {

enum class TIBSQLTypes {
    // clang-format off
    SQLUnknown, SQLSelect, SQLInsert, SQLUpdate, SQLDelete, SQLDDL, SQLGetSegment, SQLPutSegment,
    SQLExecProcedure, SQLStartTransaction, SQLCommit, SQLRollback, SQLSelectForUpdate, SQLSetGenerator
    // clang-format on
};

// Replaces ":NAME" parameters by "?" outside texts, quoted names and comments.
// names receives one entry per "?" of the result ("" for a "?" of the input).
std::string PreprocessParams(const std::string& sql, std::vector<std::string>& names);

class TIBSQL : private TIBClient, private TBlobReader {
public:
    TIBSQL(TIBDatabase* database = nullptr, TIBTransaction* transaction = nullptr);
    ~TIBSQL() override;
    TIBSQL(const TIBSQL&) = delete;
    TIBSQL& operator=(const TIBSQL&) = delete;

    void SetDatabase(TIBDatabase* database);
    TIBDatabase* GetDatabase() const { return database_; }
    // Without a transaction of its own, the database's default transaction is used.
    void SetTransaction(TIBTransaction* transaction);
    TIBTransaction* GetTransaction() const;

    // Changing the text unprepares the statement; parameter values are lost.
    void SetSQL(std::string sql);
    const std::string& GetSQL() const { return sql_; }
    // False: ":NAME" is passed to the engine unchanged (stored procedure and trigger
    // bodies, whose variables are written that way).
    void SetParamCheck(bool check);

    void Prepare();
    bool GetPrepared() const { return statement_ != 0; }
    void Unprepare();
    TIBSQLTypes GetSQLType() const { return type_; }

    // Runs the statement with the current parameter values. A select opens its cursor
    // (read rows with Next); an EXECUTE PROCEDURE leaves its outputs in the fields.
    void ExecQuery();
    // The next row of an open cursor; false (and the cursor closed) after the last.
    bool Next();
    void Close(); // closes the cursor; the statement stays prepared
    bool GetOpen() const { return open_; }
    bool GetEof() const { return eof_; }
    // Rows inserted, updated or deleted by the last execution.
    int GetRowsAffected();

    int GetParamCount();
    TParam& Params(int index);
    TParam& ParamByName(const std::string& name); // EDatabaseError when absent
    TParam* FindParam(const std::string& name);

    int GetFieldCount();
    TIBXSQLVar& Fields(int index);
    TIBXSQLVar& FieldByName(const std::string& name); // EDatabaseError when absent
    TIBXSQLVar* FindField(const std::string& name);
    int FieldIndex(const std::string& name); // -1 when absent

private:
    void DatabaseClosing() override;
    void TransactionEnding() override;
    void DatabaseFreed(TIBDatabase* database) override;
    void TransactionFreed(TIBTransaction* transaction) override;
    std::string ReadBlob(const ISC_QUAD& id) override;

    void FreeHandle();
    void ReadStatementType();
    void BindParams();
    TIBTransaction& NeedTransaction();
    void CheckPrepared();

    TIBDatabase* database_ = nullptr;
    TIBTransaction* transaction_ = nullptr;
    TIBTransaction* registeredTransaction_ = nullptr; // the one that reports its end to us
    std::string sql_;
    bool paramCheck_ = true;
    isc_stmt_handle statement_ = 0;
    TIBSQLTypes type_ = TIBSQLTypes::SQLUnknown;
    bool open_ = false;
    bool eof_ = true;
    TIBXSQLDA input_;
    TIBXSQLDA output_;
    std::vector<std::unique_ptr<TParam>> params_;
    std::vector<int> paramOfPosition_; // index into params_ for each "?"
    std::vector<std::string> positionNames_;
    std::string preparedSql_;
};

} // namespace fb
