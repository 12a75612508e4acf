#pragma once
// Shared pieces of the grid tests: a memory data set of people with a lookup into a
// second one, a grid bound to it, a collection that counts change notices, and mouse
// drags as the user makes them.
#include <memory>
#include <string>
#include <vector>

#include <QTest>
#include <gtest/gtest.h>

#include "controls/grid/DBGridEx.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/MemDataSet.h"
#include "platform/rtl/Collection.h"
#include "platform/ui/UiTestSupport.h"

namespace gridtest {

// The widget point of a client point of the control.
inline QPoint WidgetPoint(const ui::TControl& control, ui::TPoint client)
{
    const ui::TPoint offset = control.ClientOffset();
    return {client.X + offset.X, client.Y + offset.Y};
}

// Drags with the left button from one client point to another, as the user does.
inline void DragMouse(ui::TControl& control, ui::TPoint from, ui::TPoint to)
{
    QTest::mousePress(&control, Qt::LeftButton, {}, WidgetPoint(control, from));
    uitest::MovePointer(&control, WidgetPoint(control, {(from.X + to.X) / 2, (from.Y + to.Y) / 2}));
    uitest::MovePointer(&control, WidgetPoint(control, to));
    QTest::mouseRelease(&control, Qt::LeftButton, {}, WidgetPoint(control, to));
}

// A grid whose protected hooks the tests reach, and which writes down the link's notices.
class TTestGrid : public grid::TDBGridEx {
public:
    using grid::TDBGridEx::TDBGridEx;
    using grid::TCustomDBGridEx::BuildTitleTree;
    using grid::TCustomDBGridEx::CanEditAcceptKey;
    using grid::TCustomDBGridEx::CanEditModify;
    using grid::TCustomDBGridEx::CanEditShow;
    using grid::TCustomDBGridEx::GetEditLimit;
    using grid::TCustomDBGridEx::GetEditMask;
    using grid::TCustomDBGridEx::GetEditText;
    using grid::TCustomDBGridEx::MeasureTitleTree;
    using grid::TCustomDBGridEx::SetEditText;

    std::vector<std::string> Notices;
    // The layouts run so far.
    int Layouts = 0;

protected:
    void LayoutDone() override { ++Layouts; }
    void LinkActive(bool value) override
    {
        Notices.push_back(value ? "active" : "inactive");
        grid::TDBGridEx::LinkActive(value);
    }
    void Scroll(int distance) override
    {
        Notices.push_back("scroll " + std::to_string(distance));
        grid::TDBGridEx::Scroll(distance);
    }
    void RefreshLayout() override
    {
        Notices.push_back("refresh");
        grid::TDBGridEx::RefreshLayout();
    }
};

// Columns outside a grid, counting the change notices they send.
class TCountingColumns : public rtl::TCollection {
public:
    TCountingColumns() : rtl::TCollection(ItemClass<grid::TDBGridColumnEx>()) {}
    grid::TColumnEx* AddColumn() { return static_cast<grid::TColumnEx*>(Add()); }
    void ResetCounts() { ItemNotices = AllNotices = 0; }

    int ItemNotices = 0;
    int AllNotices = 0;

protected:
    void Update(rtl::TCollectionItem* item) override { ++(item ? ItemNotices : AllNotices); }
};

// Opens customers: CUSTID integer, CUSTNAME string; a row per name, numbered from 1.
inline void OpenCustomers(db::TMemDataSet& customers, std::initializer_list<const char*> names)
{
    customers.AddField<db::TIntegerField>("CUSTID");
    customers.AddField<db::TStringField>("CUSTNAME", db::fkData, 20);
    customers.Open();
    int id = 0;
    for (const char* name : names) {
        customers.Append();
        customers.FieldByName("CUSTID")->SetAsInteger(++id);
        customers.FieldByName("CUSTNAME")->SetAsString(name);
        customers.Post();
    }
    customers.First();
}

// The lookup field WHO of data: the CUSTNAME of the customer whose CUSTID is its CUST.
inline void AddCustomerLookup(db::TMemDataSet& data, db::TMemDataSet& customers)
{
    db::TField* who = data.AddField<db::TStringField>("WHO", db::fkLookup, 20);
    who->SetKeyFields("CUST");
    who->SetLookupDataSet(&customers);
    who->SetLookupKeyFields("CUSTID");
    who->SetLookupResultField("CUSTNAME");
}

// Customers: CUSTID integer, CUSTNAME string; rows 1 "Ann", 2 "Bob", 3 "Cid".
// People: ID integer, NAME string(20), AMOUNT float, FLAG string(3), NOTE memo,
// ACTIVE Boolean, CUST integer and the lookup WHO (CUST -> CUSTNAME).
class GridTest : public uitest::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        OpenCustomers(Customers, {"Ann", "Bob", "Cid"});

        Data.AddField<db::TIntegerField>("ID");
        Data.AddField<db::TStringField>("NAME", db::fkData, 20);
        Data.AddField<db::TFloatField>("AMOUNT");
        Data.AddField<db::TStringField>("FLAG", db::fkData, 3);
        Data.AddField<db::TMemoField>("NOTE");
        Data.AddField<db::TBooleanField>("ACTIVE");
        Data.AddField<db::TIntegerField>("CUST");
        AddCustomerLookup(Data, Customers);
        Data.Open();
        AddRow(1, "Row 1", 1.5, 1);
        AddRow(2, "Row 2", 3.0, 2);
        AddRow(3, "Row 3", 4.5, 3);
        Data.First();
        Source.SetDataSet(&Data);
        Grid = std::make_unique<TTestGrid>();
        Grid->SetBounds(0, 0, 400, 200);
    }
    void TearDown() override
    {
        Grid.reset();
        UiTest::TearDown();
    }

    void AddRow(int id, const std::string& name, double amount, int cust)
    {
        Data.Append();
        Data.FieldByName("ID")->SetAsInteger(id);
        Data.FieldByName("NAME")->SetAsString(name);
        Data.FieldByName("AMOUNT")->SetAsFloat(amount);
        Data.FieldByName("CUST")->SetAsInteger(cust);
        Data.Post();
    }

    void Bind() { Grid->SetDataSource(&Source); }

    // A stored column of the bound grid for the field.
    grid::TColumnEx* AddColumn(const std::string& fieldName)
    {
        grid::TColumnEx* column = Grid->Columns().Add();
        column->SetFieldName(fieldName);
        return column;
    }

    // Puts a value into a field of the current record and posts it.
    void Put(const std::string& fieldName, const rtl::Variant& value)
    {
        Data.Edit();
        Data.FieldByName(fieldName)->SetValue(value);
        Data.Post();
    }

    db::TField* F(const std::string& name) { return Data.FieldByName(name); }

    db::TMemDataSet Customers;
    db::TMemDataSet Data;
    db::TDataSource Source;
    std::unique_ptr<TTestGrid> Grid;
};

} // namespace gridtest
