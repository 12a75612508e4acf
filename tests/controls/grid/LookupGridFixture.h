#pragma once
// Shared pieces of the lookup grid and lookup combo box tests: a list of thirty
// customers (CUSTID 1 to 30; "Ann", "Bob", "Cid", "Dave", "Dora", then "Name06" to
// "Name30"), a list with a two-field key, and orders whose CUST picks a customer, with
// the lookup field WHO.
#include <string>

#include <gtest/gtest.h>

#include "platform/db/DataSource.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/MemDataSet.h"
#include "platform/ui/UiTestSupport.h"

namespace lookuptest {

class LookupTest : public uitest::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        Customers.AddField<db::TIntegerField>("CUSTID");
        Customers.AddField<db::TStringField>("CUSTNAME", db::fkData, 60)->SetDisplayWidth(10);
        Customers.Open();
        for (int i = 1; i <= 30; ++i) AddCustomer(i, NameOf(i));
        Customers.First();
        CustomerSource.SetDataSet(&Customers);

        Pairs.AddField<db::TIntegerField>("A");
        Pairs.AddField<db::TIntegerField>("B");
        Pairs.AddField<db::TStringField>("LABEL", db::fkData, 20);
        Pairs.Open();
        for (int a = 1; a <= 2; ++a)
            for (int b = 1; b <= 2; ++b) {
                Pairs.Append();
                Pairs.FieldByName("A")->SetAsInteger(a);
                Pairs.FieldByName("B")->SetAsInteger(b);
                Pairs.FieldByName("LABEL")->SetAsString(std::to_string(a) + "/" + std::to_string(b));
                Pairs.Post();
            }
        Pairs.First();
        PairSource.SetDataSet(&Pairs);

        Orders.AddField<db::TIntegerField>("ID");
        db::TField* cust = Orders.AddField<db::TIntegerField>("CUST");
        cust->SetRequired(true);
        db::TField* who = Orders.AddField<db::TStringField>("WHO", db::fkLookup, 60);
        who->SetKeyFields("CUST");
        who->SetLookupDataSet(&Customers);
        who->SetLookupKeyFields("CUSTID");
        who->SetLookupResultField("CUSTNAME");
        Orders.Open();
        for (int i = 1; i <= 3; ++i) {
            Orders.Append();
            Orders.FieldByName("ID")->SetAsInteger(i);
            Orders.FieldByName("CUST")->SetAsInteger(i);
            Orders.Post();
        }
        Orders.First();
        OrderSource.SetDataSet(&Orders);
    }

    static std::string NameOf(int id)
    {
        static const char* first[] = {"Ann", "Bob", "Cid", "Dave", "Dora"};
        if (id <= 5) return first[id - 1];
        return (id < 10 ? "Name0" : "Name") + std::to_string(id);
    }
    void AddCustomer(int id, const std::string& name)
    {
        Customers.Append();
        Customers.FieldByName("CUSTID")->SetAsInteger(id);
        Customers.FieldByName("CUSTNAME")->SetAsString(name);
        Customers.Post();
    }
    int CurrentCustomer() const { return Customers.FieldByName("CUSTID")->GetAsInteger(); }

    db::TMemDataSet Customers;
    db::TDataSource CustomerSource;
    db::TMemDataSet Pairs;
    db::TDataSource PairSource;
    db::TMemDataSet Orders;
    db::TDataSource OrderSource;
};

} // namespace lookuptest
