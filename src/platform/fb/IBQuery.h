#pragma once
// A select as a data set: rows are fetched from the open cursor only as the data set
// needs them (opening a million-row result reads the first window), and edited rows
// are written back through an update object, with a generator for new keys.
//
//   TIBQuery q;  q.SetDatabase(&db);
//   q.SetSQL("select * from DEVICES\norder by pos");
//   q.SetUpdateObject(&updates);           // without one the query is read-only
//   q.GeneratorField = {"ID", "GEN_DEVICES_ID"};
//   q.Open(); q.Append(); ... q.Post();
#include <memory>
#include <string>

#include "platform/db/DataSet.h"
#include "platform/fb/IBSQL.h"
#include "platform/fb/IBUpdateSQL.h"

namespace fb {

// The key field that a generator fills as a new record starts (so its value is seen
// while the record is edited).
struct TIBGeneratorField {
    std::string Field;
    std::string Generator;
    int IncrementBy = 1;
};

class TIBQuery : public db::TDataSet {
public:
    explicit TIBQuery(rtl::TComponent* owner = nullptr);
    ~TIBQuery() override;

    void SetDatabase(TIBDatabase* database);
    TIBDatabase* GetDatabase() const { return select_.GetDatabase(); }
    // Without one, the database's default transaction.
    void SetTransaction(TIBTransaction* transaction);
    TIBTransaction* GetTransaction() const { return select_.GetTransaction(); }

    // The select; setting it closes the query. ":NAME" parameters as in TIBSQL.
    void SetSQL(std::string sql);
    const std::string& GetSQL() const { return select_.GetSQL(); }
    int GetParamCount() { return select_.GetParamCount(); }
    TParam& Params(int index) { return select_.Params(index); }
    TParam& ParamByName(const std::string& name) { return select_.ParamByName(name); }

    void SetUpdateObject(TIBUpdateSQL* updateObject) { updateObject_ = updateObject; }
    TIBUpdateSQL* GetUpdateObject() const { return updateObject_; }
    TIBGeneratorField GeneratorField;

    void Prepare() { select_.Prepare(); }
    void UnPrepare();
    bool GetPrepared() const { return select_.GetPrepared(); }

protected:
    db::TRecordProvider* InternalOpen() override;
    void InternalClose() override;
    bool GetCanModify() const override { return updateObject_ != nullptr; }
    void DoOnNewRecord() override;

private:
    class TProvider;
    friend class TProvider;

    TIBSQL select_;
    TIBUpdateSQL* updateObject_ = nullptr;
    std::unique_ptr<TProvider> provider_;
};

} // namespace fb
