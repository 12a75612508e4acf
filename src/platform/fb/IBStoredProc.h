#pragma once
// An executable stored procedure: its parameters come from the database's catalogue,
// inputs are set by name, ExecProc runs it and leaves the outputs in the output
// parameters. (A selectable procedure is read with a select through TIBSQL.)
#include <memory>
#include <string>
#include <vector>

#include "platform/fb/IBSQL.h"

namespace fb {

class TIBStoredProc {
public:
    TIBStoredProc(TIBDatabase* database = nullptr, TIBTransaction* transaction = nullptr);

    void SetDatabase(TIBDatabase* database);
    TIBDatabase* GetDatabase() const { return sql_.GetDatabase(); }
    void SetTransaction(TIBTransaction* transaction);
    TIBTransaction* GetTransaction() const { return sql_.GetTransaction(); }

    // The name as the catalogue keeps it (unquoted names in upper case).
    void SetStoredProcName(std::string name);
    const std::string& GetStoredProcName() const { return name_; }

    // Reads the parameter list and prepares the call; ExecProc does it when needed.
    void Prepare();
    bool GetPrepared() const { return prepared_; }
    void UnPrepare();
    void ExecProc();

    // Inputs first, in declared order, then the outputs.
    int GetParamCount();
    TParam& Params(int index);
    bool IsInput(int index);
    TParam& ParamByName(const std::string& name); // EDatabaseError when absent

private:
    TIBSQL sql_;
    std::string name_;
    bool prepared_ = false;
    std::vector<std::unique_ptr<TParam>> outputs_;
};

} // namespace fb
