// The column model: change notices, derived values, binding, widths, default columns
// and the collection's notices.
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"
#include "platform/ui/Bitmap.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Canvas.h"

namespace {

using namespace grid;
using gridtest::GridTest;
using gridtest::TCountingColumns;

struct NoticeCase {
    const char* Name;
    std::function<void(TColumnEx&)> Change;
    int ItemNotices;             // Changed(false)
    int AllNotices;              // Changed(true)
    bool SecondTimeQuiet = true; // the same change again sends nothing
};

// Each setter ends in exactly its notice; the same value again sends nothing.
TEST(ColumnNotices, EachSetterSendsItsNoticeOnceAndNothingForTheSameValue)
{
    const NoticeCase cases[] = {
        {"Alignment", [](TColumnEx& c) { c.SetAlignment(rtl::taRightJustify); }, 1, 0},
        {"Color", [](TColumnEx& c) { c.SetColor(ui::clRed); }, 1, 0},
        {"Width", [](TColumnEx& c) { c.SetWidth(100); }, 1, 0},
        {"Font", [](TColumnEx& c) { c.GetFont().SetHeight(-20); }, 1, 0},
        {"ReadOnly", [](TColumnEx& c) { c.SetReadOnly(true); }, 1, 0},
        {"WordWrap", [](TColumnEx& c) { c.SetWordWrap(true); }, 1, 0},
        {"EndEllipsis", [](TColumnEx& c) { c.SetEndEllipsis(true); }, 1, 0},
        {"Checkboxes", [](TColumnEx& c) { c.SetCheckboxes(true); }, 1, 0},
        {"AlwaysShowEditButton", [](TColumnEx& c) { c.SetAlwaysShowEditButton(true); }, 1, 0},
        {"ButtonStyle", [](TColumnEx& c) { c.SetButtonStyle(cbsEllipsis); }, 1, 0},
        {"DisplayFormat", [](TColumnEx& c) { c.SetDisplayFormat("0.00"); }, 1, 0},
        {"EditMask", [](TColumnEx& c) { c.SetEditMask("999"); }, 1, 0},
        {"Increment", [](TColumnEx& c) { c.SetIncrement(2.5); }, 1, 0},
        {"DropDownRows", [](TColumnEx& c) { c.SetDropDownRows(12); }, 1, 0},
        {"DropDownWidth", [](TColumnEx& c) { c.SetDropDownWidth(-1); }, 1, 0},
        {"ShowImageAndText", [](TColumnEx& c) { c.SetShowImageAndText(true); }, 1, 0},
        {"Tag", [](TColumnEx& c) { c.SetTag(7); }, 1, 0},
        {"LookupDisplayFields", [](TColumnEx& c) { c.SetLookupDisplayFields("A;B"); }, 1, 0},
        {"ImeMode", [](TColumnEx& c) { c.SetImeMode(imOpen); }, 1, 0},
        {"ImeName", [](TColumnEx& c) { c.SetImeName("ime"); }, 1, 0},
        {"AutoFitColWidth", [](TColumnEx& c) { c.SetAutoFitColWidth(false); }, 1, 0},
        {"MinWidth moves the width", [](TColumnEx& c) { c.SetMinWidth(200); }, 1, 0},
        {"MaxWidth moves the width", [](TColumnEx& c) { c.SetMaxWidth(20); }, 1, 0},
        {"PickList", [](TColumnEx& c) { c.GetPickList().Add("a"); }, 1, 0, false},
        {"Visible", [](TColumnEx& c) { c.SetVisible(false); }, 0, 1},
        {"AutoDropDown records only", [](TColumnEx& c) { c.SetAutoDropDown(true); }, 0, 0},
        {"DblClickNextVal records only", [](TColumnEx& c) { c.SetDblClickNextVal(true); }, 0, 0},
        {"DropDownSizing records only", [](TColumnEx& c) { c.SetDropDownSizing(true); }, 0, 0},
        {"DropDownShowTitles records only", [](TColumnEx& c) { c.SetDropDownShowTitles(true); }, 0, 0},
        {"ToolTips records only", [](TColumnEx& c) { c.SetToolTips(true); }, 0, 0},
        {"DropDownRows refuses a negative count", [](TColumnEx& c) { c.SetDropDownRows(-3); }, 0, 0},
        {"KeyList repaints instead", [](TColumnEx& c) { c.GetKeyList().Add("k"); }, 0, 0},
        {"NotInKeyListIndex repaints instead", [](TColumnEx& c) { c.SetNotInKeyListIndex(2); }, 0, 0},
        {"Title caption", [](TColumnEx& c) { c.Title()->SetCaption("Cap"); }, 1, 0},
        {"Title alignment", [](TColumnEx& c) { c.Title()->SetAlignment(rtl::taCenter); }, 1, 0},
        {"Title color", [](TColumnEx& c) { c.Title()->SetColor(ui::clAqua); }, 1, 0},
        {"Title button", [](TColumnEx& c) { c.Title()->SetTitleButton(true); }, 1, 0},
        {"Title end ellipsis", [](TColumnEx& c) { c.Title()->SetEndEllipsis(true); }, 1, 0},
        {"Title orientation", [](TColumnEx& c) { c.Title()->SetOrientation(tohVertical); }, 1, 0},
        {"Title font lays the grid out", [](TColumnEx& c) { c.Title()->GetFont().SetHeight(-30); }, 0, 1},
        {"Title tool tips record only", [](TColumnEx& c) { c.Title()->SetToolTips(true); }, 0, 0},
        {"Title hint records only", [](TColumnEx& c) { c.Title()->SetHint("h"); }, 0, 0},
        {"Footer value type", [](TColumnEx& c) { c.Footer()->SetValueType(fvtSum); }, 1, 0},
        {"Footer colour", [](TColumnEx& c) { c.Footer()->SetColor(ui::clYellow); }, 1, 0},
        {"Footer font", [](TColumnEx& c) { c.Footer()->GetFont().SetHeight(-25); }, 1, 0},
        {"A new footer row", [](TColumnEx& c) { c.Footers()->Add(); }, 1, 0, false},
        {"Special row", [](TColumnEx& c) { c.DropDownSpecRow()->SetVisible(true); }, 1, 0},
        {"Filter cell", [](TColumnEx& c) { c.STFilter()->SetVisible(false); }, 1, 0},
    };
    for (const NoticeCase& test : cases) {
        SCOPED_TRACE(test.Name);
        TCountingColumns columns;
        TColumnEx* column = columns.AddColumn();
        columns.ResetCounts();
        test.Change(*column);
        EXPECT_EQ(columns.ItemNotices, test.ItemNotices);
        EXPECT_EQ(columns.AllNotices, test.AllNotices);
        if (!test.SecondTimeQuiet) continue;
        columns.ResetCounts();
        test.Change(*column);
        EXPECT_EQ(columns.ItemNotices, 0);
        EXPECT_EQ(columns.AllNotices, 0);
    }
}

TEST(ColumnNotices, TheDerivedWidthIsNotStoredAndMinusOneKeepsTheWidth)
{
    TCountingColumns columns;
    TColumnEx* column = columns.AddColumn();
    columns.ResetCounts();
    column->SetWidth(64); // what it derives outside a grid
    EXPECT_FALSE(column->AssignedValues().Contains(cvWidth));
    EXPECT_FALSE(column->IsWidthStored());
    column->SetWidth(90);
    column->SetWidth(-1);
    EXPECT_EQ(column->GetWidth(), 90);
    EXPECT_TRUE(column->IsWidthStored());
}

TEST(ColumnWidths, TheMinimumWinsWhenTheBoundsCross)
{
    TCountingColumns columns;
    TColumnEx* column = columns.AddColumn();
    column->SetWidth(100);
    column->SetMinWidth(50);
    column->SetMaxWidth(40);
    EXPECT_EQ(column->GetWidth(), 50);
    EXPECT_EQ(column->ClampWidth(100), 50);
    EXPECT_EQ(column->ClampWidth(10), 50);

    column->SetMinWidth(0);
    EXPECT_EQ(column->ClampWidth(100), 40);
    EXPECT_EQ(column->ClampWidth(30), 30);
    column->SetMaxWidth(0);
    EXPECT_EQ(column->ClampWidth(1000), 1000);
}

TEST(ColumnDefaults, AColumnOutsideAGridReportsItsOwnDefaults)
{
    TCountingColumns columns;
    TColumnEx* column = columns.AddColumn();
    EXPECT_EQ(column->Grid(), nullptr);
    EXPECT_EQ(column->GetWidth(), 64);
    EXPECT_EQ(column->GetColor(), ui::clWindow);
    EXPECT_FALSE(column->GetAlwaysShowEditButton());
    EXPECT_FALSE(column->GetAutoDropDown());
    EXPECT_FALSE(column->GetDblClickNextVal());
    EXPECT_FALSE(column->GetDropDownShowTitles());
    EXPECT_FALSE(column->GetDropDownSizing());
    EXPECT_FALSE(column->GetEndEllipsis());
    EXPECT_FALSE(column->GetToolTips());
    EXPECT_EQ(column->GetDropDownRows(), 7);
    EXPECT_EQ(column->GetNotInKeyListIndex(), -1);
    EXPECT_EQ(column->GetIncrement(), 1.0);
    EXPECT_EQ(column->GetImeMode(), imDontCare);
    EXPECT_TRUE(column->GetVisible());
    EXPECT_TRUE(column->GetAutoFitColWidth());
    EXPECT_FALSE(column->IsDefaultColumn());
    EXPECT_EQ(column->Title()->GetColor(), ui::clBtnFace);
    EXPECT_TRUE(column->Title()->GetFont().SameAs(column->GetFont()));
    EXPECT_EQ(column->Footer()->GetColor(), ui::clWindow);
    EXPECT_EQ(column->GetDisplayName(), "TDBGridColumnEx");
    column->SetFieldName("X");
    EXPECT_EQ(column->GetDisplayName(), "X");
}

TEST_F(GridTest, UnsetPropertiesFollowTheFieldTheGridAndItsDefaultValues)
{
    Bind();
    TColumnEx* name = AddColumn("NAME");
    TColumnEx* amount = AddColumn("AMOUNT");
    TColumnEx* active = AddColumn("ACTIVE");
    TColumnEx* who = AddColumn("WHO");

    EXPECT_EQ(amount->GetAlignment(), rtl::taRightJustify);
    EXPECT_TRUE(name->GetWordWrap());
    EXPECT_FALSE(amount->GetWordWrap());
    EXPECT_TRUE(active->GetCheckboxes());
    EXPECT_FALSE(name->GetCheckboxes());
    EXPECT_EQ(who->GetLookupDisplayFields(), "CUSTNAME");
    EXPECT_EQ(name->Title()->GetCaption(), "NAME");
    F("NAME")->SetDisplayLabel("Name");
    EXPECT_EQ(name->Title()->GetCaption(), "Name");

    Grid->SetColor(ui::clYellow);
    EXPECT_EQ(name->GetColor(), ui::clYellow);
    Grid->Font().SetHeight(-17);
    EXPECT_TRUE(name->GetFont().SameAs(Grid->Font()));
    Grid->TitleFont().SetHeight(-19);
    EXPECT_TRUE(name->Title()->GetFont().SameAs(Grid->TitleFont()));
    EXPECT_TRUE(name->Footer()->GetFont().SameAs(Grid->FooterFont()));

    TColumnDefValuesEx& defaults = Grid->ColumnDefValues();
    defaults.SetAlwaysShowEditButton(true);
    defaults.SetAutoDropDown(true);
    defaults.SetDblClickNextVal(true);
    defaults.SetToolTips(true);
    defaults.SetEndEllipsis(true);
    defaults.Footer().SetToolTips(true);
    defaults.Title().SetTitleButton(true);
    defaults.Title().SetOrientation(tohVertical);
    EXPECT_TRUE(name->GetAlwaysShowEditButton());
    EXPECT_TRUE(name->GetAutoDropDown());
    EXPECT_TRUE(name->GetDblClickNextVal());
    EXPECT_TRUE(name->GetToolTips());
    EXPECT_TRUE(name->GetEndEllipsis());
    EXPECT_TRUE(name->Footer()->GetToolTips());
    EXPECT_TRUE(name->Title()->GetTitleButton());
    EXPECT_EQ(name->Title()->GetOrientation(), tohVertical);

    // A set value wins and is stored only while it differs from what it would derive.
    name->SetAlwaysShowEditButton(true);
    EXPECT_FALSE(name->IsAlwaysShowEditButtonStored());
    name->SetAlwaysShowEditButton(false);
    EXPECT_TRUE(name->IsAlwaysShowEditButtonStored());
    EXPECT_FALSE(name->GetAlwaysShowEditButton());

    // Title defaults: centred with multi-level titles; the grid's fixed colour.
    EXPECT_EQ(name->Title()->GetAlignment(), rtl::taLeftJustify);
    Grid->SetUseMultiTitle(true);
    EXPECT_EQ(name->Title()->GetAlignment(), rtl::taCenter);
    Grid->SetFixedColor(ui::clGreen);
    EXPECT_EQ(name->Title()->GetColor(), ui::clGreen);
    defaults.Title().SetColor(ui::clGreen);
    EXPECT_FALSE(defaults.Title().IsColorStored());
    defaults.Title().SetColor(ui::clRed);
    EXPECT_TRUE(defaults.Title().IsColorStored());
    EXPECT_EQ(name->Title()->GetColor(), ui::clRed);

    // The read-only grid makes every column read-only unless the column says otherwise.
    EXPECT_FALSE(name->GetReadOnly());
    Grid->SetReadOnly(true);
    EXPECT_TRUE(name->GetReadOnly());
    amount->SetReadOnly(false);
    EXPECT_FALSE(amount->GetReadOnly());
    EXPECT_TRUE(amount->IsReadOnlyStored());
}

TEST_F(GridTest, FieldsAreBoundWhenFirstAskedForAndDroppedWhenTheyGo)
{
    // A data set that makes its fields when it opens.
    db::TMemDataSet made;
    made.FieldDefs().Add("CODE", db::ftInteger);
    made.FieldDefs().Add("TEXT", db::ftString, 10);
    db::TDataSource source;
    source.SetDataSet(&made);
    Grid->SetDataSource(&source);
    TColumnEx* column = Grid->Columns().Add();
    column->SetFieldName("text");
    EXPECT_EQ(column->Field(), nullptr);

    made.Open();
    db::TField* first = column->Field();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, made.FieldByName("TEXT"));
    EXPECT_EQ(column->GetFieldName(), "TEXT");

    made.Close(); // the fields go with it
    EXPECT_EQ(column->BoundField(), nullptr);
    EXPECT_EQ(column->Field(), nullptr);
    EXPECT_EQ(column->GetFieldName(), "TEXT");

    made.Open();
    EXPECT_EQ(column->Field(), made.FieldByName("TEXT"));
    Grid->SetDataSource(nullptr);
}

TEST_F(GridTest, PersistentFieldsBindWhileTheDataSetIsClosed)
{
    Data.Close();
    Bind();
    TColumnEx* column = AddColumn("amount");
    EXPECT_EQ(column->Field(), F("AMOUNT"));
    EXPECT_EQ(column->GetFieldName(), "AMOUNT");
}

TEST_F(GridTest, DefaultColumnsWriteThroughToTheirFields)
{
    Bind(); // the grid builds a column for each field
    ASSERT_TRUE(Grid->DataLink().Active());
    TColumnEx* id = Grid->Columns().Items(0);
    TColumnEx* name = Grid->Columns().Items(1);
    ASSERT_EQ(id->Field(), F("ID"));
    ASSERT_EQ(name->Field(), F("NAME"));
    EXPECT_TRUE(name->IsDefaultColumn());
    EXPECT_FALSE(Grid->Columns().Customized());

    name->SetAlignment(rtl::taCenter);
    EXPECT_EQ(F("NAME")->GetAlignment(), rtl::taCenter);
    EXPECT_FALSE(name->AssignedValues().Contains(cvAlignment));
    EXPECT_EQ(name->GetAlignment(), rtl::taCenter);

    name->SetReadOnly(true);
    EXPECT_TRUE(F("NAME")->GetReadOnly());
    EXPECT_FALSE(name->IsReadOnlyStored());

    name->Title()->SetCaption("Who");
    EXPECT_EQ(F("NAME")->GetDisplayLabel(), "Who");
    EXPECT_FALSE(name->Title()->IsCaptionStored());

    // Moving a default column moves its field to the place of the field it lands on.
    const int amountIndex = F("AMOUNT")->GetIndex();
    id->SetIndex(2);
    EXPECT_EQ(id->GetIndex(), 2);
    EXPECT_EQ(F("ID")->GetIndex(), amountIndex);

    // A width becomes the field's width in characters once the grid has a window.
    Grid->show();
    ASSERT_TRUE(Grid->HandleAllocated());
    name->SetWidth(150);
    ui::TCanvas canvas;
    canvas.Font().Assign(name->GetFont());
    EXPECT_NEAR(name->DefaultWidth(), 150, canvas.TextWidth("0"));
    Grid->SetDisplayWidthWriteThrough(false);
    const int characters = F("NAME")->GetDisplayWidth();
    name->SetWidth(300);
    EXPECT_EQ(F("NAME")->GetDisplayWidth(), characters);

    // A stored column keeps its values to itself.
    TColumnEx* stored = AddColumn("FLAG");
    stored->SetAlignment(rtl::taRightJustify);
    EXPECT_EQ(F("FLAG")->GetAlignment(), rtl::taLeftJustify);
}

TEST_F(GridTest, ClearingTheFieldOfADefaultColumnRestoresItsDefaults)
{
    Bind();
    TColumnEx* column = Grid->Columns().Items(3);
    ASSERT_EQ(column->Field(), F("FLAG"));
    ASSERT_TRUE(column->IsDefaultColumn());
    column->SetColor(ui::clRed);
    column->GetPickList().Add("x");
    column->SetButtonStyle(cbsUpDown);
    ASSERT_TRUE(column->AssignedValues().Contains(cvColor));

    // The next layout drops a default column without a field: none runs meanwhile.
    Grid->BeginUpdate();
    column->SetFieldName("");
    EXPECT_EQ(column->Field(), nullptr);
    EXPECT_TRUE(column->AssignedValues().IsEmpty());
    EXPECT_EQ(column->PickListCount(), 0);
    EXPECT_EQ(column->GetButtonStyle(), cbsAuto);
    EXPECT_EQ(column->GetColor(), Grid->Color());
    Grid->EndUpdate();
}

TEST_F(GridTest, AssignCopiesTheSetValuesAndTheSettings)
{
    Bind();
    TColumnEx* source = AddColumn("NAME");
    source->SetColor(ui::clRed);
    source->SetWidth(120);
    source->Title()->SetCaption("The name");
    source->GetPickList().Add("a");
    source->GetKeyList().Add("k");
    source->SetIncrement(5);
    source->SetDisplayFormat("x");
    source->SetMinWidth(10);
    source->Footer()->SetValueType(fvtCount);
    source->Footers()->Add()->SetValue("total");
    source->DropDownBox()->SetRows(11);
    source->MRUList()->SetActive(true);
    source->EditButtons()->Add()->SetWidth(9);

    TColumnEx* copy = Grid->Columns().Add();
    copy->SetTag(3);
    copy->Assign(source);
    EXPECT_EQ(copy->Field(), F("NAME"));
    EXPECT_EQ(copy->GetColor(), ui::clRed);
    EXPECT_EQ(copy->GetWidth(), 120);
    EXPECT_EQ(copy->Title()->GetCaption(), "The name");
    EXPECT_EQ(copy->GetPickList()[0], "a");
    EXPECT_EQ(copy->GetKeyList()[0], "k");
    EXPECT_EQ(copy->GetIncrement(), 5.0);
    EXPECT_EQ(copy->GetDisplayFormat(), "x");
    EXPECT_EQ(copy->GetMinWidth(), 10);
    EXPECT_EQ(copy->GetTag(), 0);
    EXPECT_EQ(copy->Footer()->GetValueType(), fvtCount);
    ASSERT_EQ(copy->Footers()->Count(), 1);
    EXPECT_EQ(copy->Footers()->Items(0)->GetValue(), "total");
    EXPECT_EQ(copy->FooterForRow(0)->GetValue(), "total");
    EXPECT_EQ(copy->FooterForRow(1), copy->Footer());
    EXPECT_EQ(copy->DropDownBox()->GetRows(), 11);
    EXPECT_TRUE(copy->MRUList()->GetActive());
    ASSERT_EQ(copy->EditButtons()->GetCount(), 1);
    EXPECT_EQ(copy->EditButtons()->Items(0)->GetWidth(), 9);
    // Values that were derived come over as set ones.
    EXPECT_TRUE(copy->AssignedValues().Contains(cvWordWrap));

    EXPECT_THROW(copy->Assign(&Grid->ColumnDefValues()), rtl::EConvertError);
}

TEST_F(GridTest, AChangedColumnHandsItsWidthToTheBaseGrid)
{
    Bind();
    TColumnEx* a = AddColumn("ID");
    TColumnEx* b = AddColumn("NAME");
    a->SetWidth(80);
    EXPECT_EQ(Grid->ColWidths(1), 80);

    // A hidden column gives up its cell: with its line under dgColLines, else keeping it.
    b->SetVisible(false);
    b->SetWidth(90);
    EXPECT_EQ(Grid->ColWidths(2), -1);
    TDBGridOptions options = Grid->GetOptions();
    Grid->SetOptions(options.Exclude(dgColLines));
    b->SetWidth(95);
    EXPECT_EQ(Grid->ColWidths(2), 0);

    // The current column, hidden, hands the current cell to the first visible one.
    Grid->SetCol(2);
    ASSERT_EQ(Grid->SelectedIndex(), 1);
    b->SetWidth(96);
    EXPECT_EQ(Grid->SelectedIndex(), 0);
}

TEST_F(GridTest, AutoFitRescalesTheBaseWidthAndPassesTheDifferenceToTheNextColumn)
{
    Bind();
    TColumnEx* a = AddColumn("ID");
    TColumnEx* b = AddColumn("NAME");
    TColumnEx* c = AddColumn("AMOUNT");
    for (TColumnEx* column : {a, b, c}) column->SetWidth(100);
    Grid->SetAutoFitColWidths(true);
    EXPECT_EQ(a->GetInitWidth(), 100);

    a->SetWidth(150); // the base grid still shows 100
    EXPECT_EQ(a->GetInitWidth(), 150);
    EXPECT_EQ(b->GetInitWidth(), 50);
    EXPECT_EQ(c->GetInitWidth(), 100);

    // What the next column would lose below 0 is not taken.
    ASSERT_EQ(Grid->ColWidths(1), 150);
    a->SetWidth(260);
    EXPECT_EQ(a->GetInitWidth(), 260);
    EXPECT_EQ(b->GetInitWidth(), 0);

    // The last column passes nothing on; a grid width of 0 (a hidden column without
    // column lines) scales nothing.
    c->SetWidth(200);
    EXPECT_EQ(c->GetInitWidth(), 200);
    TDBGridOptions options = Grid->GetOptions();
    Grid->SetOptions(options.Exclude(dgColLines));
    b->SetVisible(false);
    ASSERT_EQ(Grid->ColWidths(2), 0);
    b->SetInitWidth(40);
    b->SetWidth(70);
    EXPECT_EQ(b->GetInitWidth(), 40);
    EXPECT_EQ(c->GetInitWidth(), 200);

    // Switching auto-fit off gives every column its base width back.
    Grid->SetAutoFitColWidths(false);
    EXPECT_EQ(a->GetWidth(), 260);
    EXPECT_EQ(b->GetWidth(), 40);
}

TEST_F(GridTest, ImageListsAndSourcesThatGoAreForgotten)
{
    Bind();
    TColumnEx* column = AddColumn("ID");
    auto* images = new ui::TCustomImageList(16, 16);
    column->SetImageList(images);
    EXPECT_EQ(images->ChangeListeners().Count(), 1u);
    auto* list = new db::TDataSource();
    column->DropDownBox()->SetListSource(list);

    delete images;
    EXPECT_EQ(column->GetImageList(), nullptr);
    delete list;
    EXPECT_EQ(column->DropDownBox()->GetListSource(), nullptr);

    // Leaving a list takes the column's listener out of it.
    ui::TCustomImageList kept(16, 16);
    column->SetImageList(&kept);
    column->SetImageList(nullptr);
    EXPECT_FALSE(kept.ChangeListeners().Count() == 1 && kept.ChangeListeners()[0]);
}

TEST_F(GridTest, TheGridLetsGoOfADataSourceThatIsDestroyed)
{
    auto* source = new db::TDataSource();
    source->SetDataSet(&Data);
    Grid->SetDataSource(source);
    EXPECT_TRUE(Grid->DataLink().Active());
    delete source;
    EXPECT_EQ(Grid->GetDataSource(), nullptr);
    EXPECT_FALSE(Grid->DataLink().Active());
}

// A column that brings companions of its own classes: a title that writes captions in
// capitals, and footers, a filter setting and edit buttons of its own.
class TCapitalTitle : public TColumnTitleEx {
public:
    using TColumnTitleEx::TColumnTitleEx;
    void SetCaption(const std::string& value) override { TColumnTitleEx::SetCaption(rtl::UpperCase(value)); }
};
class TOwnFooter : public TColumnFooterEx {
public:
    using TColumnFooterEx::TColumnFooterEx;
};
class TOwnFooters : public TColumnFootersEx {
public:
    using TColumnFootersEx::TColumnFootersEx;
};
class TOwnFilter : public TSTColumnFilterEx {
public:
    using TSTColumnFilterEx::TSTColumnFilterEx;
};
class TOwnButtons : public editors::TEditButtonsEx {
public:
    using editors::TEditButtonsEx::TEditButtonsEx;
};

class TOwnPartsColumn : public TDBGridColumnEx {
public:
    using TDBGridColumnEx::TDBGridColumnEx;

protected:
    editors::TEditButtonsEx* CreateEditButtons() override { return new TOwnButtons(this); }
    TColumnFooterEx* CreateFooter() override { return new TOwnFooter(*this); }
    TColumnFootersEx* CreateFooters() override { return new TOwnFooters(*this); }
    TSTColumnFilterEx* CreateSTFilter() override { return new TOwnFilter(*this); }
    TColumnTitleEx* CreateTitle() override { return new TCapitalTitle(*this); }
};

class TOwnPartsGrid : public gridtest::TTestGrid {
public:
    TOwnPartsGrid() : gridtest::TTestGrid(nullptr, Classes()) {}

private:
    static TDBGridExClasses Classes()
    {
        TDBGridExClasses classes;
        classes.ColumnClass = rtl::TCollection::ItemClass<TOwnPartsColumn>();
        return classes;
    }
};

bool HasOwnParts(const TColumnEx& column)
{
    return dynamic_cast<TCapitalTitle*>(column.Title()) && dynamic_cast<TOwnFooter*>(column.Footer())
           && dynamic_cast<TOwnFooters*>(column.Footers()) && dynamic_cast<TOwnFilter*>(column.STFilter())
           && dynamic_cast<TOwnButtons*>(column.EditButtons());
}

TEST_F(GridTest, ADerivedColumnMakesItsOwnCompanions)
{
    Grid = std::make_unique<TOwnPartsGrid>();
    Bind();
    // The columns the grid builds from the fields are of its column class too.
    ASSERT_GT(Grid->Columns().Count(), 0);
    EXPECT_TRUE(HasOwnParts(*Grid->Columns().Items(0)));

    TColumnEx* name = AddColumn("NAME");
    ASSERT_TRUE(HasOwnParts(*name));
    name->Title()->SetCaption("Who");
    EXPECT_EQ(name->Title()->GetCaption(), "WHO");
    // The column still hears its companions' changes.
    TCountingColumns columns;
    TColumnEx* loose = columns.Add<TOwnPartsColumn>();
    EXPECT_TRUE(HasOwnParts(*loose));
    columns.ResetCounts();
    loose->EditButtons()->Add();
    EXPECT_EQ(columns.ItemNotices, 1);

    // A copy into such a grid is made of its class as well.
    gridtest::TTestGrid plain;
    plain.Columns().Add()->SetFieldName("ID");
    Grid->SetColumns(plain.Columns());
    ASSERT_EQ(Grid->Columns().Count(), 1);
    EXPECT_TRUE(HasOwnParts(*Grid->Columns().Items(0)));
    EXPECT_FALSE(HasOwnParts(*plain.Columns().Items(0)));
}

TEST_F(GridTest, TheDataSetsFieldsAreAddedInTheirOrder)
{
    std::vector<db::TField*> fields{F("ID")};
    Grid->GetDataSetFields(fields);
    EXPECT_EQ(fields.size(), 1u); // no data set: nothing added
    Bind();
    Grid->GetDataSetFields(fields);
    ASSERT_EQ(fields.size(), 1u + static_cast<std::size_t>(Data.Fields().Count()));
    EXPECT_EQ(fields[0], F("ID"));
    for (int i = 0; i < Data.Fields().Count(); ++i) EXPECT_EQ(fields[static_cast<std::size_t>(i) + 1], Data.Fields()[i]);
    EXPECT_EQ(fields.back(), F("WHO"));
}

} // namespace
