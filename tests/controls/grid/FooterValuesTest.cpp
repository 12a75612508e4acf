// The grid's footers: the text of each value type over the grid's sum list, the footer
// hook, the sum list's notices (footer repaints, the grid's recalculation events), the
// totals each footer binds as columns and layouts change, and the footer colour.
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"
#include "support/Snapshot.h"

namespace {

using namespace grid;
using gridtest::GridTest;

// Writes down the rows it is asked to draw.
class TDrawnRowsGrid : public gridtest::TTestGrid {
public:
    std::set<int> DrawnRows;

protected:
    void DrawCell(int col, int row, const ui::TRect& rect, ui::TGridDrawState state) override
    {
        DrawnRows.insert(row);
        gridtest::TTestGrid::DrawCell(col, row, rect, state);
    }
};

class Footers : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        Grid = std::make_unique<TDrawnRowsGrid>();
        Grid->SetBounds(0, 0, 400, 200);
    }
    TDrawnRowsGrid& Drawn() { return static_cast<TDrawnRowsGrid&>(*Grid); }

    // A column of the field whose footer shows the value type.
    TColumnEx* FooterColumn(const std::string& fieldName, TFooterValueType valueType,
                            const std::string& footerField = {})
    {
        TColumnEx* column = AddColumn(fieldName);
        column->Footer()->SetFieldName(footerField);
        column->Footer()->SetValueType(valueType);
        return column;
    }
    std::string FooterText(TColumnEx* column, int row = 0) { return Grid->GetFooterValue(row, column); }
    int SumCount() const { return Grid->SumList().SumCollection().Count(); }

    rtl::TScopedFormatSettings Settings{rtl::TFormatSettings::Invariant()};
};

// Totals and values of every field type, as the footer shows them.
class FooterTexts : public Footers {
protected:
    void SetUp() override
    {
        Footers::SetUp();
        Kinds.AddField<db::TIntegerField>("N");
        Kinds.AddField<db::TFloatField>("F");
        Kinds.AddField<db::TCurrencyField>("C");
        Kinds.AddField<db::TBCDField>("B");
        Kinds.AddField<db::TLargeintField>("L");
        Kinds.AddField<db::TStringField>("T", db::fkData, 10);
        Kinds.AddField<db::TDateTimeField>("D");
        Kinds.Open();
        struct TRow {
            rtl::Variant N, F, C, B;
        };
        const TRow rows[] = {{1, 1.25, 1.005, rtl::Currency::FromScaled(12345)},
                             {2, 2.5, 2.0, rtl::Currency::FromScaled(20000)},
                             {4, rtl::Null(), 3.0, rtl::Null()}};
        for (const TRow& row : rows) {
            Kinds.Append();
            Kinds.FieldByName("N")->SetValue(row.N);
            Kinds.FieldByName("F")->SetValue(row.F);
            Kinds.FieldByName("C")->SetValue(row.C);
            Kinds.FieldByName("B")->SetValue(row.B);
            Kinds.FieldByName("L")->SetAsLargeInt(5);
            Kinds.FieldByName("T")->SetAsString("7");
            Kinds.FieldByName("D")->SetAsDateTime(rtl::EncodeDate(2024, 3, 5));
            Kinds.Post();
        }
        Kinds.First();
        Source.SetDataSet(&Kinds);
        Bind();
        Grid->SumList().SetActive(true);
    }
    db::TMemDataSet Kinds;

    // A footer of a value type over a field, after a setup of the footer or the field, and
    // the text it shows.
    struct TFooterCase {
        const char* Name;
        const char* Field;
        TFooterValueType ValueType;
        std::function<void(TColumnFooterEx&, db::TField&)> Setup;
        const char* Expected;
    };
    static void NoSetup(TColumnFooterEx&, db::TField&) {}
    static std::function<void(TColumnFooterEx&, db::TField&)> FooterFormat(const char* format)
    {
        return [format](TColumnFooterEx& footer, db::TField&) { footer.SetDisplayFormat(format); };
    }
    static std::function<void(TColumnFooterEx&, db::TField&)> FieldFormat(const char* format)
    {
        return [format](TColumnFooterEx&, db::TField& field) { field.SetDisplayFormat(format); };
    }
    // Each case on a column of its own; the fields' formats go back between them.
    void ExpectFooterTexts(const std::vector<TFooterCase>& cases)
    {
        for (const TFooterCase& c : cases) {
            TColumnEx* column = FooterColumn(c.Field, c.ValueType);
            c.Setup(*column->Footer(), *Kinds.FieldByName(c.Field));
            EXPECT_EQ(FooterText(column), c.Expected) << c.Name;
            for (db::TField* field : Kinds.Fields()) {
                field->SetDisplayFormat("");
                field->SetCurrency(field->DataType() == db::ftCurrency);
            }
        }
        EXPECT_EQ(Kinds.GetRecNo(), 1);
    }
};

TEST_F(FooterTexts, EachFieldTypeHasTheTextOfItsTotalsAndAverages)
{
    ExpectFooterTexts({
        {"whole numbers: the total's whole part", "N", fvtSum, NoSetup, "7"},
        {"whole numbers: an average's whole part", "N", fvtAvg, NoSetup, "2"}, // 2.3333
        {"whole numbers through the footer's format", "N", fvtSum, FooterFormat("#,##0.00"), "7.00"},
        {"whole numbers through the field's format", "N", fvtSum, FieldFormat("0.0"), "7.0"},
        {"floats: general form", "F", fvtSum, NoSetup, "3.75"},
        {"floats: an average over the values there are", "F", fvtAvg, NoSetup, "1.875"},
        {"floats through the footer's format", "F", fvtSum, FooterFormat("0.0"), "3.8"},
        {"currency floats: the currency form", "C", fvtSum, NoSetup, "$6.01"},
        {"fixed point: the amount", "B", fvtSum, NoSetup, "3.2345"},
        {"fixed point with the currency flag",
         "B", fvtSum, [](TColumnFooterEx&, db::TField& field) { field.SetCurrency(true); }, "$3.23"},
        {"fixed point through the field's format", "B", fvtSum, FieldFormat("0.00"), "3.23"},
        {"large integers", "L", fvtSum, NoSetup, "0"},
        {"text", "T", fvtSum, NoSetup, "0"},
        {"dates", "D", fvtAvg, NoSetup, "0"},
        {"another field than the column's", "N", fvtSum,
         [](TColumnFooterEx& footer, db::TField&) { footer.SetFieldName("F"); }, "3.75"},
    });
}

TEST_F(FooterTexts, CountsFieldValuesStaticTextAndNothingHaveTheirTexts)
{
    ExpectFooterTexts({
        {"count: plain", "T", fvtCount, NoSetup, "3"},
        {"count through the footer's format", "T", fvtCount, FooterFormat("0.00"), "3.00"},
        {"field value: the display text", "F", fvtFieldValue,
         [](TColumnFooterEx& footer, db::TField&) { footer.SetFieldName("F"); }, "1.25"},
        {"field value through the footer's format", "F", fvtFieldValue,
         [](TColumnFooterEx& footer, db::TField&) {
             footer.SetFieldName("F");
             footer.SetDisplayFormat("0.000");
         },
         "1.250"},
        {"date value through the footer's format", "F", fvtFieldValue,
         [](TColumnFooterEx& footer, db::TField&) {
             footer.SetFieldName("D");
             footer.SetDisplayFormat("yyyy-mm-dd");
         },
         "2024-03-05"},
        {"field value without a field name", "F", fvtFieldValue, NoSetup, ""},
        {"static text",
         "F", fvtStaticText, [](TColumnFooterEx& footer, db::TField&) { footer.SetValue("Total:"); }, "Total:"},
        {"nothing", "F", fvtNon, NoSetup, ""},
    });
}

TEST_F(FooterTexts, WholeNumberTotalsShowTheirWholePartTowardsZero)
{
    TColumnEx* sum = FooterColumn("N", fvtSum);
    TColumnEx* avg = FooterColumn("N", fvtAvg);
    const rtl::Variant values[] = {-1, -2, rtl::Null()};
    for (const rtl::Variant& value : values) {
        Kinds.Edit();
        Kinds.FieldByName("N")->SetValue(value);
        Kinds.Post();
        Kinds.Next();
    }
    EXPECT_EQ(FooterText(sum), "-3");
    EXPECT_EQ(FooterText(avg), "-1"); // -1.5
}

TEST_F(FooterTexts, ATotalOverAFieldTheDataSetLacksIsAnErrorOfTheWalkAndShowsZero)
{
    TColumnEx* column = FooterColumn("N", fvtSum);
    EXPECT_THROW(column->Footer()->SetFieldName("NOPE"), rtl::Exception);
    EXPECT_EQ(FooterText(column), "0");
    // Editing goes on: the updates between walks pass the total by.
    Kinds.Edit();
    Kinds.FieldByName("N")->SetAsInteger(10);
    EXPECT_NO_THROW(Kinds.Post());
    Grid->SumList().SetActive(false);
    EXPECT_EQ(FooterText(column), "0");
}

TEST_F(FooterTexts, FieldValuesFollowTheCurrentRecordAndAMissingFieldIsTheDataSetsError)
{
    TColumnEx* column = FooterColumn("F", fvtFieldValue, "F");
    Kinds.Last();
    EXPECT_EQ(FooterText(column), ""); // null
    Kinds.Prior();
    EXPECT_EQ(FooterText(column), "2.5");
    column->Footer()->SetFieldName("NOPE");
    EXPECT_THROW(FooterText(column), rtl::Exception);
}

TEST_F(FooterTexts, EachFooterRowHasItsOwnFooter)
{
    TColumnEx* column = FooterColumn("F", fvtSum);
    column->Footers()->Add()->SetValueType(fvtAvg);
    column->Footers()->Add()->SetValueType(fvtCount);
    EXPECT_EQ(FooterText(column, 0), "1.875");
    EXPECT_EQ(FooterText(column, 1), "3");
    EXPECT_EQ(FooterText(column, 2), "3.75"); // past the rows of Footers: the column's Footer
    EXPECT_EQ(SumCount(), 3);
    column->Footers()->Delete(0);
    EXPECT_EQ(SumCount(), 2);
    EXPECT_EQ(FooterText(column, 0), "3");
}

TEST_F(Footers, WithoutADataSourceASumIsZero)
{
    TColumnEx* column = Grid->Columns().Add();
    column->SetFieldName("AMOUNT");
    column->Footer()->SetValueType(fvtSum);
    EXPECT_EQ(FooterText(column), "0");
    EXPECT_EQ(FooterText(nullptr), "");
}

TEST_F(Footers, TotalsFollowEditsAndRepaintOnlyTheFooterRows)
{
    Bind();
    Grid->SumList().SetActive(true);
    TColumnEx* sum = FooterColumn("AMOUNT", fvtSum);
    TColumnEx* count = FooterColumn("ID", fvtCount);
    Grid->SetFooterRowCount(2);
    uitest::ShowActive(Grid.get());
    EXPECT_EQ(FooterText(sum), "9");
    Put("AMOUNT", 3.5); // 1.5 -> 3.5
    EXPECT_EQ(FooterText(sum), "11");
    Data.Append();
    Data.FieldByName("ID")->SetAsInteger(4);
    Data.Post();
    EXPECT_EQ(FooterText(count), "4");
    testsupport::SaveSnapshot(Grid.get(), "grid", "footers-sum-and-count");

    QApplication::processEvents();
    Drawn().DrawnRows.clear();
    Grid->SumList().ClearSumValues();
    QApplication::processEvents();
    EXPECT_EQ(Drawn().DrawnRows, (std::set<int>{Grid->RowCount() - 2, Grid->RowCount() - 1}));
}

TEST_F(Footers, TheGridTellsOfEveryFullRecalculation)
{
    std::vector<std::string> events;
    Grid->OnSumListRecalcAll = rtl::TNotifyEvent::FromFunction([&](rtl::TObject* sender) {
        events.push_back(sender == Grid.get() ? "recalc" : "recalc from elsewhere");
    });
    Grid->OnSumListAfterRecalcAll = rtl::TNotifyEvent::FromFunction([&](rtl::TObject* sender) {
        events.push_back(sender == Grid.get() ? "after" : "after from elsewhere");
    });
    Bind();
    FooterColumn("AMOUNT", fvtSum);
    Grid->SumList().SetActive(true);
    EXPECT_EQ(events, (std::vector<std::string>{"recalc", "after"}));
}

TEST_F(Footers, LayoutsBindTheFootersAgainWithoutRecalculating)
{
    int recalcs = 0;
    Grid->OnSumListRecalcAll = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++recalcs; });
    Bind();
    Grid->SumList().SetActive(true);
    TColumnEx* amount = FooterColumn("amount", fvtSum); // the field's name in another case
    amount->Footers()->Add()->SetValueType(fvtAvg);
    FooterColumn("ID", fvtCount);
    Grid->SetFooterRowCount(2);
    uitest::ShowActive(Grid.get());
    const int sums = SumCount();
    const int before = recalcs;
    for (int i = 0; i < 5; ++i) Grid->LayoutChanged();
    Grid->SetAutoFitColWidths(true);
    Grid->SetBounds(0, 0, 500, 240);
    Data.Close();
    Data.Open(); // a new walk, and the layouts of a closed and an open data set
    EXPECT_EQ(recalcs, before + 1);
    EXPECT_EQ(SumCount(), sums);
    EXPECT_EQ(FooterText(amount), "0"); // a memory data set opens empty

    // A change of kind or field binds once more; a kind without a total frees it.
    amount->Footer()->SetValueType(fvtAvg);
    EXPECT_EQ(recalcs, before + 2);
    amount->Footer()->SetValueType(fvtStaticText);
    EXPECT_EQ(recalcs, before + 2);
    EXPECT_EQ(SumCount(), sums - 1);
    Grid->Columns().Delete(amount->GetIndex());
    EXPECT_EQ(SumCount(), sums - 2);
}

TEST_F(Footers, ATotalTakenOutOfTheSumListIsForgottenByItsFooter)
{
    Bind();
    Grid->SumList().SetActive(true);
    TColumnEx* count = FooterColumn("ID", fvtCount);
    ASSERT_NE(count->Footer()->Sum(), nullptr);
    Grid->SumList().SumCollection().Clear();
    EXPECT_EQ(count->Footer()->Sum(), nullptr);
    EXPECT_EQ(FooterText(count), ""); // no total for a count
    count->Footer()->SetValueType(fvtSum);
    EXPECT_EQ(FooterText(count), "6");
}

TEST_F(Footers, AFailedRecalculationDoesNotHoldTheGridsLayoutBack)
{
    Bind();
    Grid->SumList().SetActive(true);
    uitest::ShowActive(Grid.get());
    TColumnEx* column = AddColumn("AMOUNT");
    column->Footer()->SetValueType(fvtSum);
    EXPECT_THROW(column->Footer()->SetFieldName("NOPE"), rtl::Exception);
    EXPECT_FALSE(Grid->SumList().Recalculating());
    EXPECT_FALSE(Data.ControlsDisabled());
    const int rows = Grid->RowCount();
    AddRow(4, "Row 4", 1.0, 1);
    EXPECT_EQ(Grid->RowCount(), rows + 1); // the data change laid the rows out
}

TEST_F(Footers, AfterARecalculationTheGridStandsOnTheFirstRecord)
{
    Bind();
    FooterColumn("AMOUNT", fvtSum);
    uitest::ShowActive(Grid.get());
    Data.Last();
    ASSERT_EQ(Grid->Row(), Grid->TitleOffset() + 2);
    Grid->SumList().SetActive(true);
    EXPECT_EQ(Data.GetRecNo(), 1);
    EXPECT_EQ(Grid->Row(), Grid->TitleOffset());
}

TEST_F(Footers, AGridLoadedWithADataSourceActivatesItsSumsWhenLoadingEnds)
{
    Grid->BeginLoading();
    Bind();
    TColumnEx* column = FooterColumn("AMOUNT", fvtSum);
    EXPECT_FALSE(Data.AfterPost); // nothing held while loading
    Grid->EndLoading();
    EXPECT_TRUE(Grid->SumList().Active());
    EXPECT_EQ(FooterText(column), "9");
    Put("AMOUNT", 2.0);
    EXPECT_EQ(FooterText(column), "9.5");
}

TEST_F(Footers, AnotherDataSourceTakesTheSumsAlong)
{
    Bind();
    Grid->SumList().SetActive(true);
    TColumnEx* column = FooterColumn("AMOUNT", fvtSum);
    db::TMemDataSet other;
    other.AddField<db::TFloatField>("AMOUNT");
    other.Open();
    other.Append();
    other.FieldByName("AMOUNT")->SetAsFloat(0.5);
    other.Post();
    db::TDataSource otherSource;
    otherSource.SetDataSet(&other);
    Grid->SetDataSource(&otherSource);
    EXPECT_EQ(FooterText(column), "0.5");
    EXPECT_FALSE(Data.AfterPost); // the first data set has its events back
    Grid->SetDataSource(&Source);
    EXPECT_EQ(FooterText(column), "9");
}

TEST_F(Footers, TheFooterHookMayChangeLookAndText)
{
    Bind();
    TColumnEx* column = FooterColumn("AMOUNT", fvtStaticText);
    std::vector<int> seen;
    Grid->OnGetFooterParams = TGetFooterParamsEvent::FromFunction(
        [&](rtl::TObject* sender, int dataCol, int row, TColumnEx* col, ui::TFont& font, ui::TColor& background,
            rtl::TAlignment& alignment, ui::TGridDrawState, std::string& text) {
            seen = {sender == Grid.get(), dataCol, row, col == column};
            font.SetHeight(-20);
            background = ui::clYellow;
            alignment = rtl::taRightJustify;
            text += "!";
        });
    ui::TFont font;
    ui::TColor background = ui::clWindow;
    rtl::TAlignment alignment = rtl::taLeftJustify;
    std::string text = "x";
    Grid->GetFooterParams(0, 1, column, font, background, alignment, 0, text);
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 1, 1}));
    EXPECT_EQ(font.Height(), -20);
    EXPECT_EQ(background, ui::clYellow);
    EXPECT_EQ(alignment, rtl::taRightJustify);
    EXPECT_EQ(text, "x!");
}

TEST_F(Footers, TheFooterColourFollowsTheParentsWithTheGrid)
{
    ui::TForm form;
    form.SetColor(ui::clAqua);
    Grid->SetParent(&form);
    Grid->SetParentColor(true);
    EXPECT_EQ(Grid->GetFooterColor(), ui::clAqua);
    form.SetColor(ui::clLime);
    EXPECT_EQ(Grid->GetFooterColor(), ui::clLime);
    Grid->SetColor(ui::clRed); // the grid's own colour ends the following
    EXPECT_EQ(Grid->GetFooterColor(), ui::clLime);
    form.SetColor(ui::clNavy);
    EXPECT_EQ(Grid->GetFooterColor(), ui::clLime);
    Grid->SetParent(nullptr);
}

TEST_F(Footers, TheSumListTakesTheSettingsOfAnother)
{
    Bind();
    FooterColumn("AMOUNT", fvtAvg);
    TDBGridEx other;
    other.SumList().SetVirtualRecords(true);
    other.SumList().SetExternalRecalc(true);
    other.SumList().SetActive(true);
    Grid->SetSumList(other.SumList());
    EXPECT_TRUE(Grid->SumList().Active());
    EXPECT_TRUE(Grid->SumList().GetExternalRecalc());
    EXPECT_TRUE(Grid->SumList().GetVirtualRecords());
    EXPECT_EQ(Grid->SumList().DataSet(), &Data);
    EXPECT_EQ(FooterText(Grid->Columns().Items(0)), "0"); // the totals are the handler's
}

} // namespace
