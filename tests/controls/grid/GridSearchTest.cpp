// Walks over the grid's records: the window position they keep, column widths fitted to
// titles, cells and footers, and the incremental search typed into the current column.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GridRecordsTest.h"
#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExInplaceEdit.h"
#include "controls/grid/DBGridExText.h"
#include "controls/grid/DBGridExUtils.h"
#include "platform/ui/Timer.h"

namespace {

using namespace grid;

// A grid whose footers show texts the test gives.
class TSearchGrid : public gridtest::TTestGrid {
public:
    using gridtest::TTestGrid::TTestGrid;
    using TCustomDBGridEx::RestoreWindowPosition;
    using TCustomDBGridEx::SaveWindowPosition;

    std::vector<std::string> FooterTexts;
    std::string GetFooterValue(int Row, TColumnEx*) override
    {
        return Row < static_cast<int>(FooterTexts.size()) ? FooterTexts[static_cast<std::size_t>(Row)] : "";
    }
};

class SearchTest : public gridtest::GridRecordsTest {
protected:
    void SetUp() override
    {
        GridRecordsTest::SetUp();
        Grid = std::make_unique<TSearchGrid>();
        Grid->SetBounds(0, 0, 400, 200);
    }
    TSearchGrid& G() { return static_cast<TSearchGrid&>(*Grid); }

    // The grid bound and shown with a stored column per field.
    void Show(std::initializer_list<const char*> fields)
    {
        Bind();
        for (const char* field : fields) AddColumn(field);
        uitest::ShowActive(Grid.get());
    }
    TColumnEx* C(int index) { return Grid->Columns().Items(index); }

    static int WidthOf(const std::string& text, const ui::TFont& font)
    {
        ui::TCanvas canvas;
        canvas.Font().Assign(font);
        return TextWidthCalc(canvas, text);
    }
    // What the user sees: the current record, its grid row, the record on the top row.
    struct TView {
        std::string Current;
        int Row;
        int TopRecNo;
        friend bool operator==(const TView&, const TView&) = default;
    };
    TView View()
    {
        return {Name(), Grid->Row(), Data.GetRecNo() - Grid->DataLink().GetActiveRecord()};
    }
};

// ---- optimal widths

TEST_F(SearchTest, AColumnFitsItsWidestCellTitleOrFooter)
{
    std::vector<std::string> names = Numbered(40);
    const std::string widest = "a name wider than 99"; // NAME holds 20 characters
    names[34] = widest;                                // far below the rows on screen
    SetNames(names);
    Show({"NAME", "ID"});
    TColumnEx* column = C(0);
    column->SetWidth(10);
    const int data = 4 + WidthOf(widest, column->GetFont());
    column->OptimizeWidth();
    EXPECT_EQ(column->GetWidth(), data);
    EXPECT_EQ(C(1)->GetWidth(), C(1)->DefaultWidth()); // only the one asked for
    EXPECT_EQ(Name(), "Row 1");

    // A wider title decides; its sort marker (and number) take room too.
    const std::string caption = "a title caption wider than the widest name, by far";
    column->Title()->SetCaption(caption);
    column->OptimizeWidth();
    const int title = 4 + WidthOf(caption, column->Title()->GetFont());
    EXPECT_EQ(column->GetWidth(), title);
    column->Title()->SetSortMarker(smDownEx);
    const int marking = column->Title()->GetSortMarkingWidth();
    ASSERT_GT(marking, 2);
    column->OptimizeWidth();
    EXPECT_EQ(column->GetWidth(), title + marking - 2);
    column->Title()->SetSortMarker(smNoneEx);

    // A title image stands for the caption: the image's width counts, not the text's.
    ui::TCustomImageList images(24, 24);
    Grid->SetTitleImages(&images);
    column->Title()->SetImageIndex(0);
    column->OptimizeWidth();
    EXPECT_EQ(column->GetWidth(), data);
    C(1)->Title()->SetImageIndex(0);
    C(1)->OptimizeWidth();
    EXPECT_EQ(C(1)->GetWidth(), 4 + 24);
    Grid->SetTitleImages(nullptr);
    column->Title()->SetImageIndex(-1);

    // A vertical title needs the height of its line.
    C(1)->Title()->SetImageIndex(-1);
    C(1)->Title()->SetOrientation(tohVertical);
    C(1)->OptimizeWidth();
    ui::TCanvas canvas;
    canvas.Font().Assign(C(1)->Title()->GetFont());
    EXPECT_EQ(C(1)->GetWidth(), std::max(4 + canvas.TextHeight("ID"), 4 + WidthOf("40", C(1)->GetFont())));

    // A footer wider than the rest decides, with its own margin and font.
    Grid->SetFooterRowCount(2);
    const std::string footer = "a footer text that is wider than the title caption and the names";
    G().FooterTexts = {"short", footer};
    column->Footers()->Add();
    column->Footers()->Add();
    column->Footers()->Items(1)->GetFont().SetSize(column->GetFont().Size() + 4);
    column->OptimizeWidth();
    EXPECT_EQ(column->GetWidth(), 5 + WidthOf(footer, column->Footers()->Items(1)->GetFont()));
}

TEST_F(SearchTest, AMillionCharacterWordFitsTheWidthBoundAndDrawsThroughABitmapNoLargerThanTheGrid)
{
    Show({"NOTE", "ID"});
    Grid->SetDrawMemoText(true);
    Grid->SetRowLines(2); // rows of two lines: the memo wraps
    ASSERT_TRUE(Grid->RowsCanWrap());
    ASSERT_TRUE(C(0)->GetWordWrap());
    Data.Edit();
    F("NOTE")->SetAsString(std::string(1000000, 'w'));
    Data.Post();
    C(0)->OptimizeWidth();
    EXPECT_EQ(C(0)->GetWidth(), MaxColumnWidth);
    // Drawn, the cell far wider than the grid costs the shared bitmap no more than the grid.
    Grid->repaint();
    ASSERT_NE(SharedDrawBitmap(), nullptr);
    EXPECT_LE(SharedDrawBitmap()->Width(), Grid->ClientWidth());
    EXPECT_LE(SharedDrawBitmap()->Height(), Grid->ClientHeight());
}

TEST_F(SearchTest, MultiLevelTitlesMeasureTheLeafWrappedInItsBand)
{
    SetNames({"a", "b"});
    Show({"NAME", "ID"});
    C(0)->SetWidth(60);
    C(0)->Title()->SetCaption("Group|short words that wrap");
    C(1)->Title()->SetCaption("Group|Unbreakablewordthatiswide");
    Grid->SetUseMultiTitle(true);
    // Words wrap inside the band: a caption of short words needs no more than the band.
    C(0)->OptimizeWidth();
    EXPECT_LE(C(0)->GetWidth(), 60);
    EXPECT_LT(C(0)->GetWidth(), 4 + WidthOf("short words that wrap", C(0)->Title()->GetFont()));
    // One word wider than the band takes its own width; the group's text does not count.
    C(1)->OptimizeWidth();
    EXPECT_EQ(C(1)->GetWidth(), 4 + WidthOf("Unbreakablewordthatiswide", C(1)->Title()->GetFont()));
}

TEST_F(SearchTest, WithoutDataNoWidthChangesAndEmptyDataFitsTitlesAndFooters)
{
    TColumnEx* column = Grid->Columns().Add();
    column->SetFieldName("NAME");
    column->SetWidth(300);
    column->OptimizeWidth(); // no data source
    EXPECT_EQ(column->GetWidth(), 300);
    Bind();
    Data.Close();
    column->OptimizeWidth(); // a closed data set
    EXPECT_EQ(column->GetWidth(), 300);

    Data.Open(); // open and empty
    uitest::ShowActive(Grid.get());
    column->OptimizeWidth();
    EXPECT_EQ(column->GetWidth(), 4 + WidthOf("NAME", column->Title()->GetFont()));
    Grid->SetFooterRowCount(1);
    G().FooterTexts = {"the footer of an empty grid"};
    column->OptimizeWidth();
    EXPECT_EQ(column->GetWidth(), 5 + WidthOf("the footer of an empty grid", column->Footer()->GetFont()));
}

TEST_F(SearchTest, SelectedColumnsAreFittedWithTheOneAskedFor)
{
    SetNames({"a somewhat long name"});
    Show({"NAME", "NAME", "NAME", "NAME"});
    Grid->SetOptions(Grid->GetOptions().Include(dgMultiSelect));
    for (int i = 0; i < 4; ++i) C(i)->SetWidth(7);
    const int fitted = 4 + WidthOf("a somewhat long name", C(0)->GetFont());

    Grid->Selection().Columns().Select(C(0), false);
    Grid->Selection().Columns().Toggle(C(1));
    Grid->OptimizeColWidth(C(3));
    std::vector<int> widths;
    for (int i = 0; i < 4; ++i) widths.push_back(C(i)->GetWidth());
    EXPECT_EQ(widths, (std::vector<int>{fitted, fitted, 7, fitted}));

    C(0)->SetWidth(7);
    Grid->Selection().SelectAll();
    Grid->OptimizeColWidth(nullptr);
    EXPECT_EQ(C(2)->GetWidth(), fitted);
    EXPECT_EQ(C(0)->GetWidth(), fitted);
}

TEST_F(SearchTest, TheCellHooksDecideTheTextMeasured)
{
    SetNames({"x", "y"});
    Show({"NAME"});
    const std::string hooked = "the text the hook shows in place of the name";
    struct THook : rtl::TObject {
        std::string text;
        void Params(rtl::TObject*, bool EditMode, TColCellParamsEx& params)
        {
            if (!EditMode) params.Text = text;
        }
    } hook;
    hook.text = hooked;
    C(0)->SetOnGetCellParams({&hook, &THook::Params});
    C(0)->OptimizeWidth();
    EXPECT_EQ(C(0)->GetWidth(), 4 + WidthOf(hooked, C(0)->GetFont()));
}

// ---- the window position

TEST_F(SearchTest, ScansLeaveEveryRecordOnItsRow)
{
    SetNames(Numbered(60));
    Show({"NAME"});
    std::set<int> parities;
    for (int height : {150, 167, 184, 201, 218}) {
        Grid->SetBounds(0, 0, 400, height);
        const int rows = Grid->DataLink().RecordCount();
        parities.insert(rows % 2);
        SCOPED_TRACE(rows);
        for (int current = 0; current < rows; current += 3) {
            // A window in the middle of the records, the current record anywhere in it.
            Data.Last();
            Data.MoveBy(-25);
            Data.MoveBy(-(rows - 1));
            Data.MoveBy(current);
            const TView before = View();
            ASSERT_GT(before.TopRecNo, 1);
            C(0)->OptimizeWidth();
            EXPECT_EQ(View(), before);
            Grid->StartIncSearch("no such name", -1, isdFromTop);
            EXPECT_EQ(View(), before);
            Grid->StopIncSearch();
            G().SaveWindowPosition();
            Data.First();
            G().RestoreWindowPosition();
            EXPECT_EQ(View(), before);
            EXPECT_FALSE(Data.ControlsDisabled());
        }
    }
    EXPECT_EQ(parities.size(), 2u); // windows of even and of odd length

    // Nothing on screen: nothing is kept, and restoring does nothing.
    SetNames({});
    G().SaveWindowPosition();
    G().RestoreWindowPosition();
    C(0)->OptimizeWidth();
    Grid->StartIncSearch("R", -1, isdFromTop);
    EXPECT_TRUE(Data.IsEmpty());
}

TEST_F(SearchTest, AFailingScanLeavesTheRecordWhereItWasAndTheControlsOn)
{
    std::vector<std::string> names = Numbered(40);
    names[30] = "bad";
    SetNames(names);
    Show({"NAME"});
    struct TTrap : rtl::TObject {
        bool armed = false;
        void Params(rtl::TObject*, bool, TColCellParamsEx& params)
        {
            if (armed && params.Text == "bad") throw rtl::Exception("cannot show this one");
        }
        void Text(db::TField* field, std::string& text, bool)
        {
            text = field->GetAsString();
            if (armed && text == "bad") throw rtl::Exception("cannot show this one");
        }
    } trap;
    Data.MoveBy(3);
    const TView before = View();
    const int width = C(0)->GetWidth();

    C(0)->SetOnGetCellParams({&trap, &TTrap::Params});
    trap.armed = true;
    EXPECT_THROW(C(0)->OptimizeWidth(), rtl::Exception);
    trap.armed = false;
    EXPECT_FALSE(Data.ControlsDisabled());
    EXPECT_EQ(View(), before);
    EXPECT_EQ(C(0)->GetWidth(), width);

    F("NAME")->OnGetText = {&trap, &TTrap::Text};
    trap.armed = true;
    EXPECT_THROW(Grid->StartIncSearch("zz", 1500, isdFromTop), rtl::Exception);
    trap.armed = false;
    F("NAME")->OnGetText = {};
    EXPECT_FALSE(Data.ControlsDisabled());
    EXPECT_EQ(View(), before);
}

TEST_F(SearchTest, ARecordBeingEditedIsNeitherPostedNorDropped)
{
    SetNames(Numbered(30));
    Show({"NAME"});
    Data.MoveBy(2);
    Data.Edit();
    const std::string typed = "an edited, wide name";
    F("NAME")->SetAsString(typed);
    C(0)->OptimizeWidth();
    EXPECT_EQ(Data.State(), db::dsEdit);
    EXPECT_EQ(Name(), typed);
    // The rows on screen count, the edited one as it is now.
    EXPECT_EQ(C(0)->GetWidth(), 4 + WidthOf(typed, C(0)->GetFont()));

    Grid->StartIncSearch("Row 2", 1500, isdFromTop);
    EXPECT_EQ(Data.State(), db::dsEdit);
    EXPECT_EQ(Name(), typed);
    EXPECT_TRUE(Grid->IncSearchActive());
    EXPECT_EQ(Grid->IncSearchText(), "");
    Grid->StopIncSearch();
    Data.Cancel();
    EXPECT_EQ(Name(), "Row 3");
}

// ---- incremental search

TEST_F(SearchTest, FromTheTopTheSearchGrowsWithEachCharacter)
{
    SetNames({"Apple", "apricot", "Banana", "Apex", "\311clair"});
    Show({"NAME"});
    ui::TManualTimers timers;
    struct TStep {
        const char* Typed;
        const char* Text;    // the search text afterwards
        const char* Current; // the current record afterwards
    };
    const TStep steps[] = {
        {"a", "A", "Apple"}, // the current record matches: it stays
        {"P", "Ap", "Apple"},
        {"r", "apr", "apricot"}, // the record's own characters
        {"x", "apr", "apricot"}, // nothing found: the character is dropped
        {"i", "apri", "apricot"},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Typed);
        Grid->StartIncSearch(step.Typed, 1500, isdFromTop);
        EXPECT_TRUE(Grid->IncSearchActive());
        EXPECT_EQ(Grid->IncSearchText(), step.Text);
        EXPECT_EQ(Name(), step.Current);
        EXPECT_TRUE(Grid->TimerActive(TCustomDBGridEx::IncSearchTimerId));
    }
    Grid->StopIncSearch();
    EXPECT_FALSE(Grid->IncSearchActive());
    EXPECT_EQ(Grid->IncSearchText(), "");
    EXPECT_FALSE(Grid->TimerActive(TCustomDBGridEx::IncSearchTimerId));
    // Letters beyond ASCII fold too (\311 is an E acute, \351 its small letter).
    Grid->StartIncSearch("\351C", 1500, isdFromTop);
    EXPECT_EQ(Name(), "\311clair");
    EXPECT_EQ(Grid->IncSearchText(), "\311c");

    // Without data nothing happens.
    Grid->StopIncSearch();
    Grid->SetDataSource(nullptr);
    Grid->StartIncSearch("a", 1500, isdFromTop);
    EXPECT_FALSE(Grid->IncSearchActive());
}

TEST_F(SearchTest, DownAndUpGoOnFromTheRecordNextToTheCurrentOne)
{
    SetNames({"Apple", "apricot", "Banana", "Apex", "Cherry"});
    Show({"NAME"});
    Grid->StartIncSearch("ap", -1, isdFromTop);
    ASSERT_EQ(Name(), "Apple");
    struct TStep {
        TIncSearchDirection Direction;
        const char* Current;
    };
    const TStep steps[] = {{isdDown, "apricot"}, {isdDown, "Apex"}, {isdDown, "Apex"}, {isdUp, "apricot"}, {isdUp, "Apple"}, {isdUp, "Apple"}};
    for (const TStep& step : steps) {
        Grid->StartIncSearch("", -1, step.Direction);
        EXPECT_EQ(Name(), step.Current);
        EXPECT_TRUE(Grid->IncSearchActive());
    }
    EXPECT_EQ(Grid->IncSearchText(), "Ap");

    // An empty search text moves nowhere.
    Grid->StopIncSearch();
    Data.SetRecNo(3);
    Grid->StartIncSearch("", -1, isdDown);
    EXPECT_EQ(Name(), "Banana");
    EXPECT_TRUE(Grid->IncSearchActive());
}

TEST_F(SearchTest, TheSearchEndsAfterItsTimeOut)
{
    SetNames({"Apple", "Banana"});
    Show({"NAME"});
    ui::TManualTimers timers;
    Grid->StartIncSearch("b", 1500, isdFromTop);
    timers.Advance(1499);
    EXPECT_TRUE(Grid->IncSearchActive());
    Grid->StartIncSearch("q", 1500, isdFromTop); // found nothing, but the timer starts again
    EXPECT_EQ(Grid->IncSearchText(), "B");
    timers.Advance(1000);
    EXPECT_TRUE(Grid->IncSearchActive());
    timers.Advance(500);
    EXPECT_FALSE(Grid->IncSearchActive());
    EXPECT_EQ(Grid->IncSearchText(), "");
    EXPECT_EQ(Name(), "Banana");

    // Without a time-out it runs until it is ended.
    Grid->StartIncSearch("a", -1, isdFromTop);
    EXPECT_FALSE(Grid->TimerActive(TCustomDBGridEx::IncSearchTimerId));
    timers.Advance(100000);
    EXPECT_TRUE(Grid->IncSearchActive());
    EXPECT_EQ(Grid->IncSearchTimeOut(), -1);
}

TEST_F(SearchTest, ASearchThatScrollsFarKeepsRunning)
{
    std::vector<std::string> names = Numbered(80);
    names[70] = "Target";
    SetNames(names);
    Show({"NAME"});
    Grid->StartIncSearch("tar", 1500, isdFromTop);
    EXPECT_EQ(Name(), "Target");
    EXPECT_TRUE(Grid->IncSearchActive());
    EXPECT_EQ(Grid->IncSearchText(), "Tar");
    EXPECT_EQ(Grid->Row(), Grid->TitleOffset() + Grid->DataLink().GetActiveRecord());
    EXPECT_FALSE(Data.ControlsDisabled());
}

TEST_F(SearchTest, TheEditorStaysAwayWhileASearchRuns)
{
    SetNames({"Apple", "Banana"});
    Show({"NAME"});
    Grid->SetFocus();
    Grid->ShowEditor();
    ASSERT_TRUE(Grid->InplaceEdit()->Visible());
    ASSERT_TRUE(Grid->CanEditModify());
    Data.Cancel();
    Grid->StartIncSearch("b", 1500, isdFromTop);
    EXPECT_FALSE(Grid->InplaceEdit()->Visible());
    EXPECT_FALSE(Grid->CanEditShow());
    EXPECT_FALSE(Grid->CanEditModify());
    Grid->ShowEditor();
    EXPECT_FALSE(Grid->InplaceEdit()->Visible());
    Grid->StopIncSearch();
    EXPECT_TRUE(Grid->CanEditShow());

    // With the editor always shown, the end of the search brings it back.
    Grid->SetOptions(Grid->GetOptions().Include(dgAlwaysShowEditor));
    Grid->StartIncSearch("a", 1500, isdFromTop);
    EXPECT_FALSE(Grid->InplaceEdit()->Visible());
    Grid->StopIncSearch();
    EXPECT_TRUE(Grid->InplaceEdit()->Visible());
}

} // namespace
