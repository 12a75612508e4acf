#pragma once
// Shared fixtures of the data-set tests: a memory data set of numbered rows and a link
// that writes down every notice it hears.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/db/DataSource.h"
#include "platform/db/MemDataSet.h"

namespace dbtest {

// Fields ID (integer), NAME (string 20), AMOUNT (float); rows ID 1..n, NAME "Row i", AMOUNT i * 1.5.
inline std::unique_ptr<db::TMemDataSet> MakeRows(int n)
{
    auto ds = std::make_unique<db::TMemDataSet>();
    ds->AddField<db::TIntegerField>("ID");
    ds->AddField<db::TStringField>("NAME", db::fkData, 20);
    ds->AddField<db::TFloatField>("AMOUNT");
    ds->Open();
    for (int i = 1; i <= n; ++i) {
        ds->Append();
        ds->FieldByName("ID")->SetAsInteger(i);
        ds->FieldByName("NAME")->SetAsString("Row " + std::to_string(i));
        ds->FieldByName("AMOUNT")->SetAsFloat(i * 1.5);
        ds->Post();
    }
    ds->First();
    return ds;
}

inline int CurrentId(const db::TDataSet& ds)
{
    return ds.FieldByName("ID")->GetAsInteger();
}

// The IDs of the records a link's window holds, read without moving the cursor.
inline std::vector<int> WindowIds(db::TDataLink& link)
{
    std::vector<int> ids;
    int saved = link.GetActiveRecord();
    for (int i = 0; i < link.RecordCount(); ++i) {
        link.SetActiveRecord(i);
        db::TField* id = link.DataSet()->FieldByName("ID");
        ids.push_back(id->IsNull() ? 0 : id->GetAsInteger());
    }
    link.SetActiveRecord(saved);
    return ids;
}

class RecordingLink : public db::TDataLink {
public:
    std::vector<std::string> log;
    std::function<void()> onUpdateData;
    bool logCheckBrowse = false; // the notice comes before every move: off unless asked

    std::vector<std::string> Take()
    {
        std::vector<std::string> out;
        out.swap(log);
        return out;
    }

protected:
    void ActiveChanged() override { log.push_back(Active() ? "active" : "inactive"); }
    void DataSetChanged() override { log.push_back("changed"); }
    void DataSetScrolled(int distance) override { log.push_back("scrolled " + std::to_string(distance)); }
    void EditingChanged() override { log.push_back(Editing() ? "editing" : "not editing"); }
    void LayoutChanged() override { log.push_back("layout"); }
    void RecordChanged(db::TField* field) override
    {
        log.push_back("record " + (field ? field->GetFieldName() : std::string("*")));
    }
    void UpdateData() override
    {
        log.push_back("update data");
        if (onUpdateData) onUpdateData();
    }
    void CheckBrowseMode() override
    {
        if (logCheckBrowse) log.push_back("check browse");
    }
    void FocusControl(db::TField*& field) override
    {
        log.push_back("focus " + field->GetFieldName());
        field = nullptr;
    }
};

using Log = std::vector<std::string>;

} // namespace dbtest
