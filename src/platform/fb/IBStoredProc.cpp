#include "platform/fb/IBStoredProc.h"

#include <algorithm>

#include "platform/fb/FbClient.h"
#include "platform/rtl/SysUtils.h"

namespace fb {

namespace {

std::string Quoted(const std::string& name)
{
    std::string q = "\"";
    for (char c : name) {
        q += c;
        if (c == '"')
            q += '"';
    }
    return q + '"';
}

} // namespace

TIBStoredProc::TIBStoredProc(TIBDatabase* database, TIBTransaction* transaction) : sql_(database, transaction) {}

void TIBStoredProc::SetDatabase(TIBDatabase* database)
{
    UnPrepare();
    sql_.SetDatabase(database);
}

void TIBStoredProc::SetTransaction(TIBTransaction* transaction)
{
    sql_.SetTransaction(transaction);
}

void TIBStoredProc::SetStoredProcName(std::string name)
{
    if (name == name_)
        return;
    UnPrepare();
    name_ = std::move(name);
}

void TIBStoredProc::UnPrepare()
{
    prepared_ = false;
    outputs_.clear();
    sql_.SetSQL(std::string());
}

void TIBStoredProc::Prepare()
{
    if (prepared_)
        return;
    if (name_.empty())
        throw rtl::EDatabaseError("Stored procedure name is missing");
    TIBSQL catalogue(sql_.GetDatabase(), sql_.GetTransaction());
    catalogue.SetSQL(
        "select p.rdb$parameter_name, p.rdb$parameter_type from rdb$procedure_parameters p "
        "where p.rdb$procedure_name = :NAME and p.rdb$package_name is null "
        "order by p.rdb$parameter_type, p.rdb$parameter_number");
    catalogue.ParamByName("NAME").SetAsString(name_);
    catalogue.ExecQuery();
    std::vector<std::string> inputs, outputs;
    while (catalogue.Next()) {
        std::string param = rtl::TrimRight(catalogue.Fields(0).GetAsString());
        (catalogue.Fields(1).GetAsInteger() == 0 ? inputs : outputs).push_back(param);
    }
    std::string call = "execute procedure " + Quoted(name_);
    if (!inputs.empty()) {
        call += " (";
        for (std::size_t k = 0; k < inputs.size(); ++k)
            call += (k ? ", :" : ":") + Quoted(inputs[k]);
        call += ")";
    }
    sql_.SetSQL(call);
    sql_.Prepare();
    outputs_.clear();
    for (const std::string& name : outputs)
        outputs_.push_back(std::make_unique<TParam>(name));
    prepared_ = true;
}

void TIBStoredProc::ExecProc()
{
    Prepare();
    sql_.ExecQuery();
    int count = std::min(sql_.GetFieldCount(), static_cast<int>(outputs_.size()));
    for (int k = 0; k < count; ++k)
        static_cast<TSqlValue&>(*outputs_[static_cast<std::size_t>(k)]) = sql_.Fields(k).GetValue();
}

int TIBStoredProc::GetParamCount()
{
    Prepare();
    return sql_.GetParamCount() + static_cast<int>(outputs_.size());
}

bool TIBStoredProc::IsInput(int index)
{
    Prepare();
    return index < sql_.GetParamCount();
}

TParam& TIBStoredProc::Params(int index)
{
    Prepare();
    int inputs = sql_.GetParamCount();
    if (index >= 0 && index < inputs)
        return sql_.Params(index);
    if (index >= inputs && index < inputs + static_cast<int>(outputs_.size()))
        return *outputs_[static_cast<std::size_t>(index - inputs)];
    throw rtl::EDatabaseError("Parameter index " + std::to_string(index) + " out of range");
}

TParam& TIBStoredProc::ParamByName(const std::string& name)
{
    Prepare();
    if (TParam* p = sql_.FindParam(name))
        return *p;
    for (auto& p : outputs_) {
        if (rtl::SameText(p->GetName(), name))
            return *p;
    }
    throw rtl::EDatabaseError("Parameter " + name + " not found in " + name_);
}

} // namespace fb
