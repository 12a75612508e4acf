// A column's filter condition: read from what the user typed, written back as the text
// the filter row shows (which reads back as the same condition), picked from a list, and
// handed to the data set's feature object through the data service.
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "FilterFeatures.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExDataService.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/MemDataSet.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/UiTestSupport.h"

namespace {

using namespace grid;

// Goods: NAME string, PRICE float, COUNT integer, SOLD date and time, FLAG Boolean.
class FilterSettings : public uitest::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        Goods.AddField<db::TStringField>("NAME", db::fkData, 20);
        Goods.AddField<db::TFloatField>("PRICE");
        Goods.AddField<db::TIntegerField>("COUNT");
        Goods.AddField<db::TDateTimeField>("SOLD");
        Goods.AddField<db::TBooleanField>("FLAG");
        Goods.Open();
        const struct {
            const char* name;
            double price;
            int count;
        } rows[] = {{"red", 1.5, 10}, {"green", 2.5, 20}, {"blue", 4.0, 30}, {"red wine", 12.0, 40}};
        for (const auto& row : rows) {
            Goods.Append();
            Goods.FieldByName("NAME")->SetAsString(row.name);
            Goods.FieldByName("PRICE")->SetAsFloat(row.price);
            Goods.FieldByName("COUNT")->SetAsInteger(row.count);
            Goods.Post();
        }
        Goods.First();
        Source.SetDataSet(&Goods);
        Grid = std::make_unique<TDBGridEx>();
        Grid->SetDataSource(&Source);
        for (const char* field : {"NAME", "PRICE", "COUNT", "SOLD", "FLAG"}) Grid->Columns().Add()->SetFieldName(field);
    }
    void TearDown() override
    {
        Grid.reset();
        UiTest::TearDown();
    }

    TSTColumnFilterEx& Filter(const std::string& field)
    {
        for (int i = 0; i < Grid->Columns().Count(); ++i)
            if (Grid->Columns().Items(i)->GetFieldName() == field) return *Grid->Columns().Items(i)->STFilter();
        throw std::runtime_error("no column " + field);
    }

    db::TMemDataSet Goods;
    db::TDataSource Source;
    std::unique_ptr<TDBGridEx> Grid;
};

bool SameExpression(const TSTFilterExpressionEx& a, const TSTFilterExpressionEx& b)
{
    const auto same = [](const rtl::Variant& x, const rtl::Variant& y) {
        if (x.VarType() != y.VarType()) return false;
        if (!x.IsArray()) return x == y;
        if (x.ElementCount() != y.ElementCount()) return false;
        for (int i = x.LowBound(); i <= x.HighBound(); ++i)
            if (x[i].VarType() != y[i].VarType() || x[i] != y[i]) return false;
        return true;
    };
    return a.OperandKind == b.OperandKind && a.Operator1 == b.Operator1 && same(a.Operand1, b.Operand1)
           && a.Relation == b.Relation && a.Operator2 == b.Operator2 && same(a.Operand2, b.Operand2);
}

struct TRoundTrip {
    const char* field;
    const char* typed;
    char separator; // 0: under both
    const char* shown;
};

const TRoundTrip kRoundTrips[] = {
    // Empty cells.
    {"NAME", "", 0, ""},
    {"PRICE", "   ", 0, ""},
    // Texts are quoted, numbers are not.
    {"NAME", "abc", 0, "~ 'abc'"},
    {"NAME", "= red wine", 0, "= 'red wine'"},
    {"NAME", "!~ x OR = y", 0, "!~ 'x' OR = 'y'"},
    {"NAME", "> a AND < c", 0, "> 'a' AND < 'c'"},
    {"NAME", "< 8,30", 0, "< '8,30'"},
    {"NAME", "red,green", 0, "In ('red','green')"},
    {"NAME", "In ('a', 'b', 'c')", 0, "In ('a','b','c')"},
    {"NAME", "!In (x)", 0, "!In ('x')"},
    {"NAME", "= Null", 0, "=Null"},
    {"NAME", "!= Null", 0, "<>Null"},
    {"NAME", "<> null OR = z", 0, "<>Null OR = 'z'"},
    // A quote of a text is doubled within its quotes, and read back as one.
    {"NAME", "= it's", 0, "= 'it''s'"},
    {"NAME", "'it''s' OR ''''", 0, "~ 'it''s' OR ~ ''''"},
    {"NAME", "In ('a''b',c)", 0, "In ('a''b','c')"},
    {"COUNT", "5", 0, "= 5"},
    {"COUNT", "> 5 AND < 10", 0, "> 5 AND < 10"},
    {"COUNT", ">= -3 or <= 7", 0, ">= -3 OR <= 7"},
    {"COUNT", "In (1, 2, 3)", '.', "In (1,2,3)"},
    {"COUNT", "!In (1,2)", '.', "!In (1,2)"},
    // A condition that ends with its AND stays so.
    {"COUNT", "> 5 AND", 0, "> 5 AND"},
    {"PRICE", "2.5", '.', "= 2.5"},
    {"PRICE", "2,5", ',', "= 2,5"},
    {"PRICE", "> 1,5 AND < 2,5", ',', "> 1,5 AND < 2,5"},
    {"PRICE", "In (1.5, 2)", '.', "In (1.5,2)"},
    // Numbers of more than 15 digits show as many as read back the same value.
    {"COUNT", "= 1234567890123456789", '.', "= 1.2345678901234568E18"},
    {"PRICE", "0.30000000000000004", '.', "= 0.30000000000000004"},
    {"PRICE", "> 0,1 AND < 0,30000000000000004", ',', "> 0,1 AND < 0,30000000000000004"},
    // Under a decimal comma the numbers of a list are quoted, so that they read back.
    {"PRICE", "In ('1,5', '2')", ',', "In ('1,5','2')"},
    {"COUNT", "In ('1','2','3')", ',', "In ('1','2','3')"},
    {"SOLD", "1/2/2024", 0, "= 1/2/2024"},
    {"SOLD", "> 1/2/2024 10:30:00 AND < 1/3/2024", 0, "> 1/2/2024 10:30:00 AM AND < 1/3/2024"},
    {"SOLD", "In (1/2/2024,1/3/2024)", 0, "In (1/2/2024,1/3/2024)"},
    // Milliseconds are kept, in a time of their own.
    {"SOLD", "> 1/2/2024 2:30:00.250 PM", 0, "> 1/2/2024 14:30:00.250"},
    {"FLAG", "True", 0, "= 'True'"},
};

TEST_F(FilterSettings, TypedConditionsShowAsTextsThatReadBackTheSame)
{
    for (const TRoundTrip& c : kRoundTrips) {
        for (char separator : {'.', ','}) {
            if (c.separator && c.separator != separator) continue;
            SCOPED_TRACE(std::string(c.field) + " \"" + c.typed + "\", decimal separator " + separator);
            rtl::TScopedFormatSettings settings(separator, separator == ',' ? '.' : ',');
            TSTColumnFilterEx& filter = Filter(c.field);
            try {
                filter.SetExpressionFromText(c.typed);
            } catch (const rtl::Exception& error) {
                ADD_FAILURE() << "raised: " << error.Message;
                continue;
            }
            EXPECT_EQ(filter.ExpressionText(), c.shown);
            EXPECT_EQ(filter.FilterText(), c.shown);
            const TSTFilterExpressionEx first = filter.Expression();
            filter.SetExpressionFromText(filter.ExpressionText());
            EXPECT_TRUE(SameExpression(filter.Expression(), first)) << "read back differently";
            EXPECT_EQ(filter.ExpressionText(), c.shown);
        }
    }
}

TEST_F(FilterSettings, TheKindOfValueFollowsTheFilteredField)
{
    rtl::TScopedFormatSettings settings('.', ',');
    TSTColumnFilterEx& name = Filter("NAME");
    name.SetExpressionFromText("5");
    EXPECT_EQ(name.Expression().OperandKind, okTextEx);
    EXPECT_EQ(name.Expression().Operator1, foLikeEx);
    // DataField names another field of the grid's data set: its kind counts.
    name.SetDataField("COUNT");
    EXPECT_EQ(name.FilteredFieldName(), "COUNT");
    name.SetExpressionFromText("5");
    EXPECT_EQ(name.Expression().OperandKind, okNumberEx);
    EXPECT_EQ(name.ExpressionText(), "= 5");
    // A column without a field has no kind: its condition is read but not shown.
    TColumnEx* loose = Grid->Columns().Add();
    loose->STFilter()->SetExpressionFromText("> 5");
    EXPECT_EQ(loose->STFilter()->Expression().Operator1, foGreaterEx);
    EXPECT_EQ(loose->STFilter()->ExpressionText(), "");
}

TEST_F(FilterSettings, ATextThatDoesNotReadChangesNothing)
{
    rtl::TScopedFormatSettings settings('.', ',');
    TSTColumnFilterEx& count = Filter("COUNT");
    count.SetExpressionFromText("> 5");
    for (const char* bad : {"> 5 < 7", "In (1,2", "abc", "'open", "AND 5"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(count.SetExpressionFromText(bad), rtl::Exception);
        EXPECT_EQ(count.Expression().Operator1, foGreaterEx);
        EXPECT_EQ(count.Expression().Operand1, rtl::Variant(5.0));
        EXPECT_EQ(count.ExpressionText(), "> 5");
    }
}

TEST_F(FilterSettings, AListSourceFillsTheListsOnceAndPicksByKey)
{
    db::TMemDataSet colours;
    colours.AddField<db::TIntegerField>("ID");
    colours.AddField<db::TStringField>("TITLE", db::fkData, 20);
    colours.Open();
    for (int i = 0; i < 3; ++i) {
        colours.Append();
        colours.FieldByName("ID")->SetAsInteger(i + 1);
        colours.FieldByName("TITLE")->SetAsString(std::string(1, static_cast<char>('a' + i)) + "-colour");
        colours.Post();
    }
    db::TDataSource list;
    list.SetDataSet(&colours);

    TSTColumnFilterEx& name = Filter("NAME");
    name.SetListSource(&list);
    EXPECT_TRUE(name.HasListSource());
    EXPECT_EQ(name.ListValues().GetCount(), 0) << "not without ListField and KeyField";
    name.SetListField("TITLE");
    name.SetKeyField("ID");
    // Every notice of the list reads it again from the start, none adds to what is there.
    colours.Last();
    colours.Prior();
    colours.Last();
    colours.Edit();
    colours.FieldByName("TITLE")->SetAsString("c-hue");
    colours.Post();
    ASSERT_EQ(name.ListValues().GetCount(), 3);
    ASSERT_EQ(name.KeyValues().GetCount(), 3);
    EXPECT_EQ(name.ListValues()[0], "a-colour");
    EXPECT_EQ(name.ListValues()[2], "c-hue");
    EXPECT_EQ(name.KeyValues()[1], "2");
    EXPECT_EQ(colours.FieldByName("ID")->GetAsInteger(), 3) << "the list stays where it was moved";
    colours.Prior();
    EXPECT_EQ(colours.FieldByName("ID")->GetAsInteger(), 2);

    // With a list source and no DataField the condition names no field of the grid.
    EXPECT_EQ(name.FilteredFieldName(), "");
    name.SetDataField("NAME");
    name.SetExpressionFromKeyValue(rtl::Variant(2), "b-colour");
    EXPECT_EQ(name.Expression().Operator1, foInEx);
    EXPECT_EQ(name.Expression().Operand1, rtl::Variant("b-colour"));
    EXPECT_EQ(name.ExpressionText(), "b-colour");
    EXPECT_EQ(name.CurrentKeyValue(), rtl::Variant(2));
    EXPECT_EQ(name.GetKeyValue(), rtl::Variant("b-colour")) << "with a KeyField: the first operand";

    // A condition typed over a list is written as typed conditions are.
    name.SetExpressionFromText("> a AND < c");
    EXPECT_EQ(name.ExpressionText(), "> 'a' AND < 'c'");
    EXPECT_EQ(name.CurrentKeyValue(), rtl::Variant(2)) << "a typed condition leaves the key";
    // A picked text is taken whole, whatever it would read as.
    name.SetExpressionFromKeyValue(rtl::Variant(3), "'odd AND end");
    EXPECT_EQ(name.Expression().Operator1, foInEx);
    EXPECT_EQ(name.Expression().Operand1, rtl::Variant("'odd AND end"));
    EXPECT_EQ(name.Expression().Relation, foNoneEx);
    EXPECT_EQ(name.Expression().Operator2, foNoneEx);
    EXPECT_EQ(name.ExpressionText(), "'odd AND end");

    name.Expression().Operand1 = rtl::VarArrayOf({rtl::Variant("a"), rtl::Variant("b")});
    EXPECT_EQ(name.FilterText(), "'a','b'");

    name.SetExpressionFromKeyValue(rtl::Null(), "");
    EXPECT_TRUE(name.CurrentKeyValue().IsNull());
    EXPECT_EQ(name.Expression().Operator1, foNoneEx);
    EXPECT_EQ(name.ExpressionText(), "");
    name.SetKeyField("");
    EXPECT_TRUE(name.GetKeyValue().IsNull()) << "without a KeyField: the current key";
    name.SetListSource(nullptr);
}

TEST_F(FilterSettings, TheDataServiceHandsTheConditionsToTheFeatureObject)
{
    rtl::TScopedFormatSettings settings('.', ',');
    Filter("COUNT").SetExpressionFromText("> 15 AND < 40");
    Filter("NAME").SetExpressionFromText("!~ blue");

    // Without a feature object for the data set nothing happens.
    DBGridExDataService().ApplyFilter(*Grid);
    EXPECT_FALSE(Goods.GetFiltered());
    EXPECT_EQ(Goods.RecordCount(), 4);

    auto owned = std::make_unique<gridtest::TFilterRowFeatures>();
    gridtest::TFilterRowFeatures* features = owned.get();
    RegisterDatasetFeaturesEx("TMemDataSet", std::move(owned));
    DBGridExDataService().ApplyFilter(*Grid);
    EXPECT_EQ(features->Calls, 1);
    EXPECT_EQ(features->LastGrid, Grid.get());
    EXPECT_TRUE(features->LastReopen);
    EXPECT_EQ(Goods.RecordCount(), 1);
    EXPECT_EQ(Goods.FieldByName("NAME")->GetAsString(), "green");

    Filter("COUNT").SetExpressionFromText("");
    DBGridExDataService().ApplyFilter(*Grid);
    EXPECT_EQ(Goods.RecordCount(), 3);
    Goods.SetFiltered(false);
    Goods.OnFilterRecord = nullptr;
    UnregisterDatasetFeaturesEx("TMemDataSet");
}

} // namespace
