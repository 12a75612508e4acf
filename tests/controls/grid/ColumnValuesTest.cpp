// What a column shows for the current record and what it writes back.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/editors/ButtonPainting.h"
#include "controls/grid/DBGridEx.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Metrics.h"

namespace {

using namespace grid;
using gridtest::GridTest;

class ColumnValues : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        Bind();
    }
    static void SetLines(rtl::TStrings& list, std::initializer_list<const char*> lines)
    {
        list.Clear();
        for (const char* line : lines) list.Add(line);
    }
};

TEST_F(ColumnValues, TheKindFollowsThePrecedenceOfTheColumnsSettings)
{
    ui::TCustomImageList images(16, 16);
    struct Case {
        const char* Name;
        const char* Field;
        bool Checkboxes, Pick, Key, Images, ImageAndText;
        TColumnKindEx Kind;
    };
    const Case cases[] = {
        {"plain text", "NAME", false, false, false, false, false, ckText},
        {"check boxes win over everything", "WHO", true, true, true, true, false, ckCheckBox},
        {"a lookup field", "WHO", false, true, true, true, false, ckLookupField},
        {"a pick list", "NAME", false, true, false, true, false, ckPickList},
        {"images", "ID", false, false, true, true, false, ckImageList},
        {"images beside the text", "ID", false, true, true, true, true, ckKeyPickList},
        {"a key pick list", "ID", false, true, true, false, false, ckKeyPickList},
        {"a key list alone", "ID", false, false, true, false, false, ckText},
        {"a Boolean field", "ACTIVE", false, false, false, false, false, ckCheckBox},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.Name);
        TColumnEx* column = AddColumn(test.Field);
        if (test.Checkboxes) column->SetCheckboxes(true);
        if (test.Pick) column->GetPickList().Add("p");
        if (test.Key) column->GetKeyList().Add("k");
        if (test.Images) column->SetImageList(&images);
        column->SetShowImageAndText(test.ImageAndText);
        EXPECT_EQ(column->GetColumnKind(), test.Kind);
        delete column;
    }
}

TEST_F(ColumnValues, DisplayTextTranslatesKeysFormatsAndShowsMemos)
{
    TColumnEx* id = AddColumn("ID");
    SetLines(id->GetKeyList(), {"1", "2", "3"});
    SetLines(id->GetPickList(), {"one", "two"});
    Data.First();
    EXPECT_EQ(id->DisplayText(), "one");
    Data.Last(); // key "3" has no pick line
    EXPECT_EQ(id->DisplayText(), "");
    id->SetNotInKeyListIndex(1);
    EXPECT_EQ(id->DisplayText(), "two");
    id->SetNotInKeyListIndex(2); // beyond the pick list
    EXPECT_EQ(id->DisplayText(), "");
    Put("ID", 10);
    id->SetNotInKeyListIndex(0);
    EXPECT_EQ(id->DisplayText(), "one");

    Data.First();
    TColumnEx* amount = AddColumn("AMOUNT");
    EXPECT_EQ(amount->DisplayText(), F("AMOUNT")->DisplayText());
    amount->SetDisplayFormat("0.000");
    EXPECT_EQ(amount->DisplayText(), rtl::FormatFloat("0.000", 1.5));
    Put("AMOUNT", rtl::Null());
    EXPECT_EQ(amount->DisplayText(), "");
    TColumnEx* name = AddColumn("NAME");
    name->SetDisplayFormat("0.00"); // no format for text
    EXPECT_EQ(name->DisplayText(), "");

    TColumnEx* note = AddColumn("NOTE");
    Put("NOTE", "a long note");
    EXPECT_EQ(note->DisplayText(), F("NOTE")->DisplayText());
    Grid->SetDrawMemoText(true);
    EXPECT_EQ(note->DisplayText(), "a long note");

    ui::TCustomImageList images(16, 16);
    TColumnEx* image = AddColumn("ID");
    image->SetImageList(&images);
    EXPECT_EQ(image->DisplayText(), "");
}

TEST_F(ColumnValues, ALookupShowsTheSpecialRowForItsValueOrAMissingKey)
{
    TColumnEx* who = AddColumn("WHO");
    Data.First();
    EXPECT_EQ(who->DisplayText(), "Ann");
    editors::TSpecRowEx& special = *who->DropDownSpecRow();
    special.SetCellsText("(nobody)");
    special.SetValue(1);
    EXPECT_EQ(who->DisplayText(), "Ann"); // not visible yet
    special.SetVisible(true);
    EXPECT_EQ(who->DisplayText(), "(nobody)"); // the key is the special value

    special.SetValue(rtl::Null());
    Put("CUST", 99); // a key the list does not have
    EXPECT_EQ(who->DisplayText(), "(nobody)");
    special.SetShowIfNotInKeyList(false);
    EXPECT_EQ(who->DisplayText(), "");
    Put("CUST", rtl::Null()); // no key: the special row's own value
    EXPECT_EQ(who->DisplayText(), "(nobody)");
    special.SetValue(0);
    EXPECT_EQ(who->DisplayText(), ""); // and no key is not a missing one
}

TEST_F(ColumnValues, ImagesComeFromTheKeyListThePickListOrTheNumber)
{
    TColumnEx* column = AddColumn("ID");
    Data.First();
    EXPECT_EQ(column->GetImageIndex(), 1); // the number itself
    SetLines(column->GetPickList(), {"x", "1"});
    EXPECT_EQ(column->GetImageIndex(), 1);
    SetLines(column->GetKeyList(), {"3", "2", "1"});
    EXPECT_EQ(column->GetImageIndex(), 2);
    Put("ID", 7);
    EXPECT_EQ(column->GetImageIndex(), -1);
    column->SetNotInKeyListIndex(5);
    EXPECT_EQ(column->GetImageIndex(), 5);
    EXPECT_EQ(AddColumn("NAME")->GetImageIndex(), -1);
}

TEST_F(ColumnValues, CheckBoxKeysReadAndWrite)
{
    TColumnEx* flag = AddColumn("FLAG");
    flag->SetCheckboxes(true);
    SetLines(flag->GetKeyList(), {"Y;1", "N;0"});
    const struct {
        rtl::Variant Value;
        TCheckBoxState State;
    } reads[] = {
        // clang-format off
        {"Y", cbChecked}, {"y", cbChecked}, {"1", cbChecked}, {"N", cbUnchecked}, {"0", cbUnchecked},
        {"X", cbGrayed}, {"N;0", cbGrayed}, {rtl::Null(), cbGrayed},
        // clang-format on
    };
    for (const auto& read : reads) {
        SCOPED_TRACE(rtl::VarToStr(read.Value));
        Put("FLAG", read.Value);
        EXPECT_EQ(flag->GetCheckboxState(), read.State);
    }

    Data.Edit();
    flag->SetValueAsCheckboxState(cbChecked);
    EXPECT_EQ(F("FLAG")->GetAsString(), "Y");
    flag->SetValueAsCheckboxState(cbUnchecked);
    EXPECT_EQ(F("FLAG")->GetAsString(), "N");
    flag->SetValueAsCheckboxState(cbGrayed);
    EXPECT_TRUE(F("FLAG")->IsNull());
    SetLines(flag->GetKeyList(), {"Y"});
    flag->SetValueAsCheckboxState(cbUnchecked); // no second line: the empty text
    EXPECT_EQ(F("FLAG")->GetAsString(), "");
    EXPECT_EQ(flag->GetCheckboxState(), cbGrayed);
    Data.Cancel();

    TColumnEx* active = AddColumn("ACTIVE");
    Data.Edit();
    active->SetValueAsCheckboxState(cbChecked);
    EXPECT_EQ(active->GetCheckboxState(), cbChecked);
    active->SetValueAsCheckboxState(cbUnchecked);
    EXPECT_EQ(active->GetCheckboxState(), cbUnchecked);
    Data.Cancel();
}

TEST_F(ColumnValues, FillColCellParamsTakesTheColumnsLook)
{
    TColumnEx* column = AddColumn("AMOUNT");
    column->SetColor(ui::clAqua);
    column->GetFont().SetHeight(-15);
    column->SetReadOnly(true);
    ui::TFont font;
    TColCellParamsEx params;
    params.Font = &font;
    params.Col = 4;
    params.State = ui::gdSelected;
    column->FillColCellParams(params);
    EXPECT_EQ(params.Background, ui::clAqua);
    EXPECT_EQ(params.Alignment, rtl::taRightJustify);
    EXPECT_EQ(font.Height(), -15);
    EXPECT_TRUE(params.ReadOnly);
    EXPECT_EQ(params.Text, column->DisplayText());
    EXPECT_EQ(params.ImageIndex, -1);
    EXPECT_EQ(params.Col, -1);
    EXPECT_EQ(params.Row, -1);
    EXPECT_EQ(params.State, 0u);

    int calls = 0;
    column->SetOnGetCellParams(TGetColCellParamsEventEx::FromFunction(
        [&](rtl::TObject* sender, bool editMode, TColCellParamsEx& p) {
            ++calls;
            EXPECT_EQ(sender, column);
            EXPECT_TRUE(editMode);
            p.Text = "changed";
        }));
    column->GetColCellParams(true, params);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(params.Text, "changed");
}

TEST_F(ColumnValues, UpdateDataValuesWritesTextValuesAndLookupKeys)
{
    TColumnEx* amount = AddColumn("AMOUNT");
    Data.Edit();
    amount->UpdateDataValues(rtl::FloatToStr(2.5), rtl::Null(), true);
    EXPECT_EQ(F("AMOUNT")->GetAsFloat(), 2.5);
    amount->UpdateDataValues("ignored", 7.0, false);
    EXPECT_EQ(F("AMOUNT")->GetAsFloat(), 7.0);

    // The handler may change what is written, or write itself.
    amount->OnUpdateData = TColCellUpdateDataEventEx::FromFunction(
        [](rtl::TObject*, std::string& text, rtl::Variant&, bool& useText, bool& handled) {
            if (text == "skip") handled = true;
            text = rtl::FloatToStr(9.0);
            useText = true;
        });
    amount->UpdateDataValues("x", 1.0, false);
    EXPECT_EQ(F("AMOUNT")->GetAsFloat(), 9.0);
    amount->UpdateDataValues("skip", 1.0, false);
    EXPECT_EQ(F("AMOUNT")->GetAsFloat(), 9.0);

    TColumnEx* who = AddColumn("WHO");
    who->UpdateDataValues("Cid", 3, false);
    EXPECT_EQ(F("CUST")->GetAsInteger(), 3);
    EXPECT_EQ(F("WHO")->GetAsString(), "Cid");

    TColumnEx* note = AddColumn("NOTE");
    Grid->SetDrawMemoText(true);
    note->UpdateDataValues("memo text", rtl::Null(), true);
    EXPECT_EQ(F("NOTE")->GetAsString(), "memo text");

    // The MRU list takes the text only while the cell editor uses it.
    amount->OnUpdateData = nullptr;
    amount->MRUList()->SetActive(true);
    amount->UpdateDataValues(rtl::FloatToStr(4.0), rtl::Null(), true);
    EXPECT_EQ(amount->MRUList()->GetItems().GetCount(), 0);
    Data.Cancel();
}

TEST_F(ColumnValues, PickListsStepAndWrapAtBothEnds)
{
    TColumnEx* name = AddColumn("NAME");
    SetLines(name->GetPickList(), {"a", "b", "c"});
    std::vector<std::string> handled;
    name->OnUpdateData = TColCellUpdateDataEventEx::FromFunction(
        [&](rtl::TObject*, std::string& text, rtl::Variant&, bool&, bool&) { handled.push_back(text); });
    struct Step {
        rtl::Variant From;
        double Increment;
        const char* To;
        bool ThroughUpdateData;
    };
    const Step steps[] = {
        {"a", 1.0, "b", true},
        {"b", 1.0, "c", true},
        {"c", 1.0, "a", false},  // wraps to the first
        {"a", -1.0, "c", false}, // wraps to the last
        {"c", -1.0, "b", true},
        {"zzz", -1.0, "c", false}, // not in the list: back to the last
        {"zzz", 1.0, "a", false},  // not in the list: on to the first
        {rtl::Null(), 1.0, "a", false},
        {"a", 2.0, "b", true}, // the sign decides, not the size
        {"b", -2.0, "a", true},
        {"b", -0.0, "a", true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(rtl::VarToStr(step.From) + " by " + rtl::FloatToStr(step.Increment));
        Put("NAME", step.From);
        handled.clear();
        name->SetNextFieldValue(step.Increment);
        EXPECT_EQ(F("NAME")->GetAsString(), step.To);
        EXPECT_EQ(handled.size(), step.ThroughUpdateData ? 1u : 0u);
        EXPECT_EQ(Data.State(), db::dsEdit);
        Data.Post();
    }
}

TEST_F(ColumnValues, KeyListsStepOverTheirKeys)
{
    TColumnEx* id = AddColumn("ID");
    SetLines(id->GetKeyList(), {"1", "2", "3"});
    SetLines(id->GetPickList(), {"one", "two", "three"});
    Data.First();
    id->SetNextFieldValue(1.0);
    EXPECT_EQ(F("ID")->GetAsInteger(), 2);
    id->SetNextFieldValue(-1.0);
    id->SetNextFieldValue(-1.0);
    EXPECT_EQ(F("ID")->GetAsInteger(), 3);
    Data.Cancel();

    // An image column without a key list steps its number; with one, over the keys.
    ui::TCustomImageList images(16, 16);
    TColumnEx* image = AddColumn("CUST");
    image->SetImageList(&images);
    ASSERT_EQ(image->GetColumnKind(), ckImageList);
    image->SetNextFieldValue(1.0);
    EXPECT_EQ(F("CUST")->GetAsInteger(), 2);
    SetLines(image->GetKeyList(), {"5", "6"});
    image->SetNextFieldValue(-1.0);
    EXPECT_EQ(F("CUST")->GetAsInteger(), 6);
    Data.Cancel();
}

TEST_F(ColumnValues, NumbersStepByTheIncrementFromZeroWhenNull)
{
    TColumnEx* amount = AddColumn("AMOUNT");
    Put("AMOUNT", rtl::Null());
    amount->SetNextFieldValue(0.1);
    EXPECT_EQ(F("AMOUNT")->GetAsFloat(), 0.1);
    amount->SetNextFieldValue(-0.35);
    EXPECT_DOUBLE_EQ(F("AMOUNT")->GetAsFloat(), 0.1 - 0.35);
    Data.Cancel();

    TColumnEx* name = AddColumn("NAME"); // text does not step
    name->SetNextFieldValue(1.0);
    EXPECT_EQ(F("NAME")->GetAsString(), "Row 1");
    Data.Cancel();

    TColumnEx* flag = AddColumn("FLAG");
    flag->SetCheckboxes(true);
    SetLines(flag->GetKeyList(), {"Y", "N"});
    flag->SetNextFieldValue(1.0); // grayed becomes checked
    EXPECT_EQ(F("FLAG")->GetAsString(), "Y");
    flag->SetNextFieldValue(-1.0);
    EXPECT_EQ(F("FLAG")->GetAsString(), "N");
    Data.Cancel();
}

TEST_F(ColumnValues, LookupsStepThroughTheLookupDataSet)
{
    TColumnEx* who = AddColumn("WHO");
    Data.Last(); // customer 3
    who->SetNextFieldValue(1.0);
    EXPECT_EQ(F("CUST")->GetAsInteger(), 1);
    who->SetNextFieldValue(-1.0);
    EXPECT_EQ(F("CUST")->GetAsInteger(), 3);
    who->SetNextFieldValue(-1.0);
    EXPECT_EQ(F("CUST")->GetAsInteger(), 2);
    F("CUST")->SetAsInteger(42); // not in the list: to the first
    who->SetNextFieldValue(-1.0);
    EXPECT_EQ(F("CUST")->GetAsInteger(), 1);
    EXPECT_EQ(who->LookupDataSet(), &Customers);
    EXPECT_EQ(who->LookupListDataSet(), &Customers);
    db::TMemDataSet other;
    db::TDataSource otherSource;
    otherSource.SetDataSet(&other);
    who->DropDownBox()->SetListSource(&otherSource);
    EXPECT_EQ(who->LookupListDataSet(), &other);
    Data.Cancel();
}

TEST_F(ColumnValues, CanModifyAsksTheGridTheLinkTheColumnAndTheField)
{
    struct Case {
        const char* Name;
        const char* Field;
        std::function<void(TColumnEx&)> Setup;
        bool Expected;
    };
    const Case cases[] = {
        {"an ordinary cell", "NAME", [](TColumnEx&) {}, true},
        {"a read-only grid", "NAME", [this](TColumnEx& c) {
             c.SetReadOnly(false);
             Grid->SetReadOnly(true);
             // clang-format off
         }, false},
        {"a read-only column", "NAME", [](TColumnEx& c) { c.SetReadOnly(true); }, false},
        {"a read-only link", "NAME", [this](TColumnEx&) { Grid->DataLink().SetReadOnly(true); },
         false},
        // clang-format on
        {"a read-only field", "NAME", [this](TColumnEx&) { F("NAME")->SetReadOnly(true); }, false},
        {"a read-only data set", "NAME", [this](TColumnEx&) { Data.SetReadOnly(true); }, false},
        {"a lookup over a modifiable key", "WHO", [](TColumnEx&) {}, true},
        // clang-format off
        {"a lookup over a read-only key", "WHO", [this](TColumnEx&) { F("CUST")->SetReadOnly(true); },
         false},
        // clang-format on
        {"a memo not shown as text", "NOTE", [](TColumnEx&) {}, false},
        {"a memo shown as text", "NOTE", [this](TColumnEx&) { Grid->SetDrawMemoText(true); }, true},
        {"a memo with its own text setter", "NOTE", [this](TColumnEx&) {
             F("NOTE")->OnSetText = db::TFieldSetTextEvent::FromFunction([](db::TField*, const std::string&) {});
             // clang-format off
         }, true},
        {"updates not allowed", "NAME", [this](TColumnEx&) {
             Grid->SetAllowedOperations({alopInsertEx, alopDeleteEx, alopAppendEx});
         }, false},
        // clang-format on
        {"no link", "NAME", [this](TColumnEx&) { Grid->SetDataSource(nullptr); }, false},
        {"no field", "NOPE", [](TColumnEx&) {}, false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.Name);
        Grid = std::make_unique<gridtest::TTestGrid>();
        Bind();
        Data.SetReadOnly(false);
        for (const char* name : {"NAME", "CUST"}) F(name)->SetReadOnly(false);
        F("NOTE")->OnSetText = nullptr;
        TColumnEx* column = AddColumn(test.Field);
        test.Setup(*column);
        EXPECT_EQ(column->CanModify(false), test.Expected);
        EXPECT_EQ(Data.State(), db::dsBrowse);
        EXPECT_EQ(column->CanModify(true), test.Expected);
        EXPECT_EQ(Data.State(), test.Expected ? db::dsEdit : db::dsBrowse);
        EXPECT_EQ(Grid->DataLink().IsModified(), test.Expected);
        Data.Cancel();
    }
}

TEST_F(ColumnValues, TheEditStyleDecidesTheMainButtonAndTheButtonsWidth)
{
    const int scrollWidth = ui::Metrics().VScrollWidth;
    const int flatWidth = editors::GetDefaultFlatButtonWidth();
    TColumnEx* name = AddColumn("NAME");
    EXPECT_EQ(name->GetColumnEditStyle(), cesNoneEx);
    EXPECT_EQ(name->EditButtonsWidth(), 0);
    name->GetPickList().Add("a");
    EXPECT_EQ(name->GetColumnEditStyle(), cesPickListEx);
    EXPECT_EQ(name->EditButtonsWidth(), scrollWidth);
    name->SetReadOnly(true);
    EXPECT_EQ(name->GetColumnEditStyle(), cesNoneEx);
    name->SetButtonStyle(cbsEllipsis);
    EXPECT_EQ(name->GetColumnEditStyle(), cesEllipsisEx);

    name->EditButtons()->Add()->SetVisible(true);
    name->EditButtons()->Add()->SetWidth(30); // visible and 30 wide
    name->EditButtons()->Add()->SetVisible(false);
    name->EditButtons()->Items(1)->SetVisible(true);
    EXPECT_EQ(name->EditButtonsWidth(), scrollWidth + scrollWidth + 30);
    Grid->SetFlat(true);
    EXPECT_EQ(name->EditButtonsWidth(), (flatWidth + 1) + (flatWidth + 1) + (30 + 1));

    TColumnEx* who = AddColumn("WHO");
    EXPECT_EQ(who->GetColumnEditStyle(), cesDataListEx);
    F("CUST")->SetReadOnly(true);
    EXPECT_EQ(who->GetColumnEditStyle(), cesNoneEx);
    F("CUST")->SetReadOnly(false);
    Grid->SetReadOnly(true);
    EXPECT_EQ(who->GetColumnEditStyle(), cesNoneEx);
    Grid->SetReadOnly(false);
    who->SetReadOnly(true);
    EXPECT_EQ(who->GetColumnEditStyle(), cesNoneEx);
    who->SetButtonStyle(cbsUpDown);
    EXPECT_EQ(who->GetColumnEditStyle(), cesUpDownEx);
    EXPECT_EQ(AddColumn("NOPE")->GetColumnEditStyle(), cesNoneEx);
}

TEST_F(ColumnValues, DateFieldsGetTheDateStyle)
{
    db::TMemDataSet dates;
    dates.AddField<db::TDateTimeField>("WHEN");
    dates.Open();
    db::TDataSource source;
    source.SetDataSet(&dates);
    Grid->SetDataSource(&source);
    TColumnEx* when = AddColumn("WHEN");
    EXPECT_EQ(when->GetColumnEditStyle(), cesDateEx);
    when->SetDisplayFormat("yyyy");
    dates.Append();
    dates.FieldByName("WHEN")->SetAsDateTime(rtl::EncodeDate(2024, 2, 29));
    EXPECT_EQ(when->DisplayText(), "2024");
    dates.Cancel();
    Grid->SetDataSource(nullptr);
}

} // namespace
