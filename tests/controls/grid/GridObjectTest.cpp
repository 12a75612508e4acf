// The grid object as the column model sees it: locks, options, edit rules, and the
// settings companions (filter row, scroll bars, drop-down box, footers, data service).
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExDataService.h"
#include "controls/grid/DbUtilsEx.h"

namespace {

using namespace grid;
using gridtest::GridTest;

TEST_F(GridTest, ANewGridHasItsDefaults)
{
    EXPECT_EQ(Grid->ColCount(), 2);
    EXPECT_EQ(Grid->RowCount(), 2);
    EXPECT_EQ(Grid->IndicatorOffset(), 1);
    EXPECT_EQ(Grid->TitleOffset(), 1);
    EXPECT_EQ(Grid->SelectedIndex(), 0);
    EXPECT_EQ(Grid->DataToRawColumn(0), 1);
    EXPECT_EQ(Grid->RawToDataColumn(0), -1);
    EXPECT_EQ(Grid->SelectedField(), nullptr);
    EXPECT_EQ(Grid->Color(), ui::clWindow);
    EXPECT_EQ(Grid->GetFooterColor(), ui::clWindow);
    EXPECT_FALSE(Grid->ParentColor());
    EXPECT_TRUE(Grid->GetOptions().Contains(dgTitles));
    EXPECT_FALSE(Grid->GetOptions().Contains(dgMultiSelect));
    EXPECT_TRUE(Grid->GetOptionsEx().Contains(dghDialogFind));
    EXPECT_EQ(Grid->GetAllowedOperations().ToBits(), 0x0Fu);
    EXPECT_TRUE(Grid->GetAllowedSelections().Contains(gstColumns));
    EXPECT_FALSE(Grid->GetAllowedSelections().Contains(gstNon));
    EXPECT_EQ(Grid->ScrollBars(), ui::ssHorizontal);
    EXPECT_EQ(Grid->Options() & (ui::goColMoving | ui::goEditing | ui::goTabs | ui::goVertLine),
              ui::goColMoving | ui::goEditing | ui::goTabs | ui::goVertLine);
    EXPECT_EQ(Grid->Selection().SelectionType(), gstNon);
    EXPECT_FALSE(Grid->SumList().Active());
    EXPECT_TRUE(Grid->GetDisplayWidthWriteThrough());

    Bind();
    AddColumn("NAME");
    EXPECT_EQ(Grid->SelectedField(), F("NAME"));
}

TEST_F(GridTest, LayoutBracketsNestAndReleaseOnlyWhatTheyHold)
{
    Grid->BeginLayout();
    Grid->BeginLayout();
    EXPECT_TRUE(Grid->LayoutLocked());
    EXPECT_TRUE(Grid->UpdateLocked());
    EXPECT_EQ(Grid->Columns().UpdateCount(), 1);
    EXPECT_FALSE(Grid->AcquireLayoutLock());
    Grid->EndLayout();
    EXPECT_TRUE(Grid->LayoutLocked());
    EXPECT_EQ(Grid->Columns().UpdateCount(), 1);
    Grid->EndLayout();
    EXPECT_FALSE(Grid->LayoutLocked());
    EXPECT_FALSE(Grid->UpdateLocked());
    EXPECT_EQ(Grid->Columns().UpdateCount(), 0);
    Grid->EndLayout(); // nothing held: nothing released
    Grid->UnlockLayout();
    Grid->EndUpdate();
    EXPECT_FALSE(Grid->UpdateLocked());

    Grid->BeginUpdate();
    EXPECT_FALSE(Grid->AcquireLayoutLock());
    Grid->EndUpdate();
    ASSERT_TRUE(Grid->AcquireLayoutLock());
    Grid->UnlockLayout();
    EXPECT_FALSE(Grid->LayoutLocked());
}

TEST_F(GridTest, OptionsMapOntoTheBaseGrid)
{
    TDBGridOptions options = Grid->GetOptions();
    Grid->SetOptions(options.Exclude(dgColLines).Exclude(dgColumnResize).Include(dgAlwaysShowEditor));
    EXPECT_EQ(Grid->Options() & (ui::goVertLine | ui::goFixedVertLine | ui::goColSizing), 0u);
    EXPECT_NE(Grid->Options() & ui::goAlwaysShowEditor, 0u);
    Grid->SetOptions(Grid->GetOptions().Include(dgRowSelect));
    EXPECT_FALSE(Grid->GetOptions().Contains(dgEditing));
    EXPECT_FALSE(Grid->GetOptions().Contains(dgAlwaysShowEditor));
    EXPECT_EQ(Grid->Options() & (ui::goEditing | ui::goAlwaysShowEditor), 0u);
    EXPECT_NE(Grid->Options() & ui::goRowSelect, 0u);
}

TEST_F(GridTest, CanEditDataAsksTheLinkTheOperationsAndTheRecords)
{
    EXPECT_FALSE(Grid->CanEditData()); // no link
    Bind();
    EXPECT_TRUE(Grid->CanEditData());
    Grid->SetAllowedOperations({alopInsertEx, alopAppendEx});
    EXPECT_FALSE(Grid->CanEditData());
    Data.Insert();
    EXPECT_TRUE(Grid->CanEditData()); // a record being inserted may be edited
    Data.Cancel();

    Grid->SetAllowedOperations({alopUpdateEx});
    EXPECT_TRUE(Grid->CanEditData());
    while (!Data.IsEmpty()) Data.Delete();
    EXPECT_FALSE(Grid->CanEditData()); // nothing to edit and nothing may be added
    Grid->SetAllowedOperations({alopUpdateEx, alopAppendEx});
    EXPECT_TRUE(Grid->CanEditData());
}

TEST_F(GridTest, TheFilterRowSettings)
{
    TSTDBGridExFilter& filter = Grid->STFilter();
    EXPECT_FALSE(filter.GetVisible());
    EXPECT_FALSE(filter.IsVisibleStored());
    filter.SetVisible(true);
    filter.SetLocal(true);
    EXPECT_TRUE(filter.IsVisibleStored());
    filter.BeginUpdate();
    filter.BeginUpdate();
    filter.EndUpdate();
    EXPECT_EQ(filter.UpdateCount(), 1);
    filter.EndUpdate();
    filter.EndUpdate();
    EXPECT_EQ(filter.UpdateCount(), 0);

    gridtest::TTestGrid other;
    other.SetSTFilter(filter);
    EXPECT_TRUE(other.STFilter().GetVisible());
    EXPECT_TRUE(other.STFilter().GetLocal());

    Bind();
    TColumnEx* name = AddColumn("NAME");
    TSTColumnFilterEx& cell = *name->STFilter();
    EXPECT_TRUE(cell.GetVisible());
    EXPECT_EQ(cell.FilteredFieldName(), "NAME");
    cell.SetDataField("FLAG");
    EXPECT_EQ(cell.FilteredFieldName(), "FLAG");
    cell.SetDataField("");
    cell.SetListSource(&Source);
    EXPECT_TRUE(cell.HasListSource());
    EXPECT_EQ(cell.FilteredFieldName(), "");
    EXPECT_TRUE(rtl::VarIsNull(cell.GetKeyValue()));
    cell.SetKeyField("ID");
    cell.Expression().Operand1 = 4;
    EXPECT_EQ(cell.GetKeyValue(), rtl::Variant(4));
    cell.SetListField("NAME");
    cell.SetVisible(false);

    TColumnEx* copy = AddColumn("ID");
    copy->STFilter()->Assign(&cell);
    EXPECT_FALSE(copy->STFilter()->GetVisible());
    EXPECT_EQ(copy->STFilter()->GetKeyField(), "ID");
    EXPECT_EQ(copy->STFilter()->GetListField(), "NAME");
    EXPECT_EQ(copy->STFilter()->GetListSource(), &Source);
    EXPECT_EQ(copy->STFilter()->FilterText(), "");
}

TEST_F(GridTest, TheScrollBarSettings)
{
    TDBGridExScrollBar& horz = Grid->HorzScrollBar();
    auto& vert = static_cast<TVertDBGridExScrollBar&>(Grid->VertScrollBar());
    EXPECT_EQ(horz.Kind(), ui::sbHorizontal);
    EXPECT_EQ(vert.Kind(), ui::sbVertical);
    EXPECT_TRUE(horz.GetVisible());
    EXPECT_EQ(vert.GetVisibleMode(), sbAutoShowEx);
    EXPECT_FALSE(horz.IsVisibleStored());

    ui::TScrollBar external(Grid.get());
    horz.SetExtScrollBar(&external);
    horz.SetVisible(false);
    EXPECT_EQ(horz.GetVisibleMode(), sbNeverShowEx);
    EXPECT_FALSE(external.Visible());
    EXPECT_FALSE(horz.IsShowing());
    EXPECT_TRUE(horz.IsVisibleStored());
    horz.SetVisible(true);
    EXPECT_TRUE(external.Visible());
    EXPECT_TRUE(horz.IsShowing());

    vert.SetVisibleMode(sbAlwaysShowEx);
    EXPECT_TRUE(vert.GetVisible());
    EXPECT_TRUE(vert.IsVisibleModeStored());
    EXPECT_FALSE(vert.IsVisibleStored());
    horz.SetTracking(true);
    gridtest::TTestGrid other;
    // The bar serves this grid: the other one keeps its own.
    EXPECT_THROW(other.SetHorzScrollBar(horz), rtl::Exception);
    EXPECT_TRUE(other.HorzScrollBar().GetTracking());
    EXPECT_EQ(other.HorzScrollBar().GetExtScrollBar(), nullptr);
    horz.SetExtScrollBar(nullptr);
}

TEST_F(GridTest, TheDropDownBoxAndTheColumnsDropDownGrid)
{
    Bind();
    TColumnEx* who = AddColumn("WHO");
    TColumnDropDownBoxEx& box = *who->DropDownBox();
    EXPECT_EQ(box.Holder(), who);
    EXPECT_EQ(box.GetRows(), 7);
    EXPECT_TRUE(box.GetAutoFitColWidths());
    EXPECT_EQ(box.GetAlign(), editors::daLeft);
    // The column's drop-down grid holds the columns, default values and options.
    EXPECT_EQ(box.GetOptions(), TDBLookupGridExOptions{dlgColLinesEx});
    ASSERT_NE(box.GetColumns(), nullptr);
    EXPECT_EQ(box.GetColumns(), &who->LookupGrid()->Columns());
    EXPECT_EQ(box.GetColumnDefValues(), &who->LookupGrid()->ColumnDefValues());
    EXPECT_FALSE(box.IsColumnsStored());
    box.SetOptions({dlgRowLinesEx});
    EXPECT_EQ(box.GetOptions(), TDBLookupGridExOptions{dlgRowLinesEx});
    // Without a holder there is no grid: nothing to read, writes are dropped.
    TColumnDropDownBoxEx loose(nullptr);
    EXPECT_EQ(loose.GetColumns(), nullptr);
    EXPECT_TRUE(loose.GetOptions().IsEmpty());
    loose.SetColumns(Grid->Columns());

    box.SetRows(3);
    box.SetSizable(true);
    box.SetWidth(120);
    box.SpecRow().SetVisible(true);
    box.SetListSource(&Source);
    TColumnDropDownBoxEx copy(nullptr);
    copy.Assign(&box);
    EXPECT_EQ(copy.GetRows(), 3);
    EXPECT_TRUE(copy.GetSizable());
    EXPECT_EQ(copy.GetWidth(), 120);
    EXPECT_TRUE(copy.SpecRow().GetVisible());
    EXPECT_EQ(copy.GetListSource(), &Source);
}

TEST_F(GridTest, FootersFollowTheFieldAndTheGridUntilSet)
{
    Bind();
    TColumnEx* amount = AddColumn("AMOUNT");
    TColumnFooterEx& footer = *amount->Footer();
    EXPECT_EQ(footer.Column(), amount);
    EXPECT_EQ(footer.GetAlignment(), rtl::taRightJustify);
    EXPECT_EQ(footer.GetColor(), ui::clWindow);
    EXPECT_TRUE(footer.GetFont().SameAs(Grid->FooterFont()));
    EXPECT_FALSE(footer.GetToolTips());
    EXPECT_EQ(footer.GetValueType(), fvtNon);

    footer.SetAlignment(rtl::taRightJustify);
    EXPECT_FALSE(footer.IsAlignmentStored());
    footer.SetAlignment(rtl::taCenter);
    EXPECT_TRUE(footer.IsAlignmentStored());
    footer.SetToolTips(false);
    EXPECT_FALSE(footer.IsToolTipsStored()); // stored only when set True
    footer.SetToolTips(true);
    EXPECT_TRUE(footer.IsToolTipsStored());
    footer.GetFont().SetHeight(-31);
    Grid->FooterFont().SetHeight(-12);
    EXPECT_EQ(footer.GetFont().Height(), -31);
    EXPECT_TRUE(footer.IsFontStored());
    footer.RestoreDefaults();
    EXPECT_EQ(footer.GetFont().Height(), -12);
    EXPECT_EQ(footer.GetAlignment(), rtl::taRightJustify);

    TColumnFooterEx* row = amount->Footers()->Add();
    EXPECT_EQ(row->Column(), amount);
    row->SetColor(ui::clLime);
    row->SetValueType(fvtStaticText);
    row->SetValue("Total");
    row->SetFieldName("ID");
    row->SetDisplayFormat("#");
    row->SetWordWrap(true);
    row->SetEndEllipsis(true);
    footer.Assign(row);
    EXPECT_EQ(footer.GetColor(), ui::clLime);
    EXPECT_EQ(footer.GetValue(), "Total");
    EXPECT_EQ(footer.GetFieldName(), "ID");
    EXPECT_EQ(footer.GetValueType(), fvtStaticText);
    EXPECT_TRUE(footer.GetWordWrap());
    EXPECT_TRUE(footer.GetEndEllipsis());
    EXPECT_EQ(footer.GetDisplayFormat(), "#");
    EXPECT_EQ(footer.Sum(), nullptr);
}

// ---- the data service and the data-set features

struct TRecordingFeatures : TDatasetFeaturesEx {
    explicit TRecordingFeatures(std::vector<std::string>& log, std::string name) : Log(log), Name(std::move(name)) {}
    void ApplySorting(rtl::TComponent* grid, db::TDataSet* dataSet, bool isReopen) override
    {
        Log.push_back(Name + " sort" + (grid && dataSet && isReopen ? "" : " ?"));
    }
    void ApplyFilter(rtl::TComponent* grid, db::TDataSet* dataSet, bool isReopen) override
    {
        Log.push_back(Name + " filter" + (grid && dataSet && isReopen ? "" : " ?"));
    }
    std::vector<std::string>& Log;
    std::string Name;
};

class TSpecialMemDataSet : public db::TMemDataSet {
public:
    using db::TMemDataSet::TMemDataSet;
};

TEST_F(GridTest, TheDataServiceUsesItsHandlerElseTheNearestFeatures)
{
    std::vector<std::string> log;
    TDBGridExDataService& service = DBGridExDataService();
    service.ApplySorting(*Grid); // no data set: nothing
    Bind();
    service.ApplyFilter(*Grid); // no features registered: nothing
    EXPECT_TRUE(log.empty());

    auto any = std::make_unique<TRecordingFeatures>(log, "data set");
    auto memory = std::make_unique<TRecordingFeatures>(log, "memory");
    auto memoryAgain = std::make_unique<TRecordingFeatures>(log, "memory again");
    auto special = std::make_unique<TRecordingFeatures>(log, "special");
    const TDatasetFeaturesEx* registered[] = {any.get(), memory.get(), memoryAgain.get(), special.get()};
    RegisterDatasetFeaturesEx("TSpecialMemDataSet", std::move(special));
    RegisterDatasetFeaturesEx("TMemDataSet", std::move(memory));
    RegisterDatasetFeaturesEx("TDataSet", std::move(any));
    RegisterDatasetFeaturesEx("tmemdataset", std::move(memoryAgain));

    service.ApplySorting(*Grid);
    service.ApplyFilter(*Grid);
    TSpecialMemDataSet specialData;
    EXPECT_EQ(GetDatasetFeatures(&specialData), registered[3]);
    EXPECT_EQ(GetDatasetFeatures(nullptr), nullptr);

    int handled = 0;
    service.OnApplySorting = TDBGridExDataService::TGridEvent::FromFunction([&](TCustomDBGridEx* grid) {
        EXPECT_EQ(grid, Grid.get());
        ++handled;
    });
    service.ApplySorting(*Grid);
    service.OnApplySorting = nullptr;
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"memory sort", "memory filter"}));

    UnregisterDatasetFeaturesEx("TMemDataSet");
    EXPECT_EQ(GetDatasetFeatures(&Data), registered[0]);
    for (const char* name : {"TDataSet", "TSpecialMemDataSet"}) UnregisterDatasetFeaturesEx(name);
    EXPECT_EQ(GetDatasetFeatures(&Data), nullptr);
}

} // namespace
