// The grid's find dialog driven as a user drives it: typing the text, choosing in its
// lists, clicking Find next (with Ctrl to turn round) and the Enter and Esc keys.
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "GridRecordsTest.h"
#include "support/Snapshot.h"
#include "controls/grid/DBGridExFindDlgs.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/db/DBConsts.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Metrics.h"

namespace {

using namespace grid;

class FindDialog : public gridtest::GridRecordsTest {
protected:
    void SetUp() override
    {
        GridRecordsTest::SetUp();
        Dialog = std::make_unique<TDBGridExFindDlg>();
    }
    void TearDown() override
    {
        Dialog.reset();
        GridRecordsTest::TearDown();
    }
    // The grid over the records shown with the columns NAME, ID and AMOUNT.
    void ShowGrid(const std::vector<std::string>& names)
    {
        SetNames(names);
        Bind();
        for (const char* field : {"NAME", "ID", "AMOUNT"}) AddColumn(field);
        uitest::ShowActive(Grid.get());
    }
    void Open(const std::vector<std::pair<std::string, TColumnEx*>>& choices = {})
    {
        Dialog->Execute(*Grid, "", "", false, choices);
        ASSERT_TRUE(QTest::qWaitForWindowActive(Dialog.get()));
    }
    // The text to find, typed over what the box holds.
    void TypeText(const std::string& text)
    {
        Dialog->cbText->SetFocus();
        Dialog->cbText->SelectAll();
        QTest::keyClick(Dialog->cbText->EditWindow(), Qt::Key_Delete);
        for (char c : text) {
            const auto code = static_cast<unsigned char>(c);
            // QTest names ASCII keys only; an accented letter comes as its character.
            if (code < 0x80) QTest::keyClick(Dialog->cbText->EditWindow(), c);
            else {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(QChar(code)));
                QApplication::sendEvent(Dialog->cbText->EditWindow(), &press);
            }
        }
    }
    // Picks the item of a list by typing its first letters.
    void Choose(editors::TDBComboBoxEx* list, const char* start)
    {
        list->SetFocus();
        QTest::keyClick(list->EditWindow(), Qt::Key_Home);
        QTest::keyClicks(list->EditWindow(), start);
    }
    void Click(ui::TControl* control, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(control, Qt::LeftButton, modifiers, QPoint(control->width() / 2, control->height() / 2));
    }
    void FindNext(Qt::KeyboardModifiers modifiers = Qt::NoModifier) { Click(Dialog->bFind, modifiers); }
    // The record and column the grid shows as current.
    std::string Current() { return Name() + "/" + std::to_string(Grid->SelectedIndex()); }
    std::vector<std::string> Messages()
    {
        std::vector<std::string> texts;
        for (const ui::TMessageBoxRequest& request : Boxes.Requests) texts.push_back(request.Text);
        return texts;
    }

    static std::vector<std::string> Lines(const rtl::TStrings& list)
    {
        std::vector<std::string> lines;
        for (int i = 0; i < list.GetCount(); ++i) lines.push_back(list[i]);
        return lines;
    }
    using TLines = std::vector<std::string>;

    rtl::TScopedFormatSettings numbers{'.', ','};
    std::unique_ptr<TDBGridExFindDlg> Dialog;
};

TEST_F(FindDialog, OpensWithTheGridsColumnsAndItsCurrentColumnChosen)
{
    ShowGrid({"Apple", "Banana"});
    Grid->SetSelectedIndex(1);
    Grid->Columns().Items(1)->Title()->SetCaption("Number");
    Open();
    EXPECT_EQ(Dialog->Caption(), "Find text");
    EXPECT_EQ(Dialog->ClientWidth(), 505);
    EXPECT_EQ(Dialog->ClientHeight(), 124);
    EXPECT_EQ(Lines(Dialog->cbFindIn->Items()), (TLines{"NAME", "Number", "AMOUNT", "<All>"}));
    EXPECT_EQ(Dialog->cbFindIn->Text(), "Number");
    EXPECT_EQ(Dialog->SearchColumns(), std::vector<TColumnEx*>{Grid->Columns().Items(1)});
    EXPECT_EQ(Lines(Dialog->cbMatchinType->Items()),
              (TLines{"From any part of field", "Whole field", "From beging of field"}));
    EXPECT_EQ(Dialog->cbMatchinType->Text(), "From any part of field");
    EXPECT_EQ(Lines(Dialog->cbFindDirection->Items()), (TLines{"Up", "Down", "All"}));
    EXPECT_EQ(Dialog->cbFindDirection->Text(), "All");
    EXPECT_EQ(Dialog->cbCharCase->GetState(), cbUnchecked);
    EXPECT_EQ(Dialog->cbUseFormat->GetState(), cbChecked);
    EXPECT_EQ(Dialog->bFind->Caption(), "&Find next");
    EXPECT_EQ(Dialog->bCancel->Caption(), "Close");
    EXPECT_TRUE(Dialog->cbText->Focused());
    EXPECT_TRUE(Dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    testsupport::SaveSnapshot(Dialog.get(), "grid", "find-dialog");

    // Choices given, the grid's current column not among them: <All> and the choices.
    Dialog->Close();
    Open({{"Fruit", Grid->Columns().Items(0)}, {"Cost", Grid->Columns().Items(2)}});
    EXPECT_EQ(Lines(Dialog->cbFindIn->Items()), (TLines{"Fruit", "Cost", "<All>"}));
    EXPECT_EQ(Dialog->cbFindIn->Text(), "<All>");
    EXPECT_EQ(Dialog->SearchColumns(), (std::vector<TColumnEx*>{Grid->Columns().Items(0), Grid->Columns().Items(2)}));
    Choose(Dialog->cbFindIn, "C");
    EXPECT_EQ(Dialog->SearchColumns(), std::vector<TColumnEx*>{Grid->Columns().Items(2)});
}

// The caption as drawn: an accelerator's "&" is not shown.
std::string Shown(const std::string& caption)
{
    std::string text;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        text += caption[i];
    }
    return text;
}

TEST_F(FindDialog, EveryCaptionShowsWholeInTheFontsOfTheSystem)
{
    const struct {
        const char* name;
        int height;
    } fonts[] = {{"DejaVu Sans", -11}, {"DejaVu Sans", -12}, {"DejaVu Sans", -16}, {"DejaVu Serif", -21}};
    for (const auto& font : fonts) {
        SCOPED_TRACE(std::string(font.name) + " " + std::to_string(-font.height) + " px");
        ui::Metrics().SystemFontName = font.name;
        ui::Metrics().SystemFontHeight = font.height;
        TDBGridExFindDlg dialog;
        const QFontMetrics measure(dialog.Font().ToQFont());
        ASSERT_EQ(measure.height(), QFontMetrics(dialog.cbUseFormat->Font().ToQFont()).height());
        auto width = [&measure](const ui::TControl* control) {
            return measure.horizontalAdvance(QString::fromStdString(Shown(control->Caption())));
        };
        std::vector<const ui::TControl*> controls;
        for (ui::TControl* child : dialog.findChildren<ui::TControl*>(QString(), Qt::FindDirectChildrenOnly)) {
            controls.push_back(child);
            if (auto* label = dynamic_cast<ui::TLabel*>(child)) {
                EXPECT_GE(label->Width(), width(label)) << label->Caption();
                EXPECT_GE(label->Height(), measure.height()) << label->Caption();
            }
        }
        for (const editors::TDBCheckBoxEx* box : {dialog.cbCharCase, dialog.cbUseFormat}) {
            // The box, the gap of 4 and the caption within its focus frame.
            EXPECT_GE(box->Width(), ui::Metrics().CheckBoxWidth + 4 + width(box) + 1) << box->Caption();
            EXPECT_GE(box->Height(), measure.height()) << box->Caption();
        }
        for (const ui::TButton* button : {dialog.bFind, dialog.bCancel}) {
            EXPECT_GE(button->Width(), width(button) + 8) << button->Caption();
            EXPECT_GE(button->Height(), measure.height() + 4) << button->Caption();
        }
        // All of it inside the dialog, nothing over anything else.
        ASSERT_EQ(controls.size(), 12u);
        const QRect client(0, 0, dialog.ClientWidth(), dialog.ClientHeight());
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const QRect a = controls[i]->geometry();
            EXPECT_TRUE(client.contains(a)) << controls[i]->Caption();
            for (std::size_t j = i + 1; j < controls.size(); ++j)
                EXPECT_FALSE(a.intersects(controls[j]->geometry()))
                    << controls[i]->Caption() << " / " << controls[j]->Caption();
        }
        if (font.height == -11) {
            EXPECT_EQ(dialog.ClientWidth(), 505);
            EXPECT_EQ(dialog.ClientHeight(), 124);
        }
        testsupport::SaveSnapshot(&dialog, "grid", "find-dialog-" + std::to_string(-font.height) + "px");
    }
}

TEST_F(FindDialog, AllStartsAtTheFirstRecordAndGoesOnAfterEachMatchWithoutWrapping)
{
    ShowGrid({"Pear", "Apple pie", "Fig", "Pineapple", "Kiwi"});
    Data.SetRecNo(4);
    Open();
    Choose(Dialog->cbFindIn, "<");
    TypeText("apple");
    FindNext();
    EXPECT_EQ(Current(), "Apple pie/0");
    FindNext();
    EXPECT_EQ(Current(), "Pineapple/0");
    // No further match: the message names the text, and the view stays where it was.
    const int row = Grid->Row();
    FindNext();
    EXPECT_EQ(Messages(), std::vector<std::string>{"String \"apple\" not found."});
    EXPECT_EQ(Current(), "Pineapple/0");
    EXPECT_EQ(Grid->Row(), row);
    EXPECT_FALSE(Data.ControlsDisabled());
    // Each text searched for is in the text box's list once.
    EXPECT_EQ(Lines(Dialog->cbText->Items()), (TLines{"apple"}));
    // A new text starts from the first record again.
    TypeText("Kiwi");
    FindNext();
    EXPECT_EQ(Current(), "Kiwi/0");
    EXPECT_EQ(Lines(Dialog->cbText->Items()), (TLines{"apple", "Kiwi"}));
}

TEST_F(FindDialog, FindNextAfterTheLastCellSaysNotFoundAndKeepsThePosition)
{
    std::vector<std::string> names = Numbered(40);
    ShowGrid(names);
    Data.Last();
    Put("AMOUNT", 777.25);
    Data.SetRecNo(20);
    Open();
    Choose(Dialog->cbFindIn, "<");
    TypeText("777");
    FindNext();
    EXPECT_EQ(Current(), "Row 40/2"); // the last column of the last record
    const int row = Grid->Row();
    const int top = Data.GetRecNo() - Grid->DataLink().GetActiveRecord();
    FindNext();
    EXPECT_EQ(Messages(), std::vector<std::string>{"String \"777\" not found."});
    EXPECT_EQ(Current(), "Row 40/2");
    EXPECT_EQ(Grid->Row(), row);
    EXPECT_EQ(Data.GetRecNo() - Grid->DataLink().GetActiveRecord(), top);
    FindNext();
    EXPECT_EQ(Messages().size(), 2u);
}

TEST_F(FindDialog, CtrlTurnsTheDirectionRound)
{
    ShowGrid({"Apex", "Bob", "Apple", "Cid", "Apricot", "Dan"});
    Data.SetRecNo(4); // Cid
    Open();
    Choose(Dialog->cbFindIn, "N");
    Choose(Dialog->cbFindDirection, "U");
    TypeText("Ap");
    FindNext();
    EXPECT_EQ(Name(), "Apple");
    FindNext();
    EXPECT_EQ(Name(), "Apex");
    FindNext(Qt::ControlModifier); // Up with Ctrl goes down
    EXPECT_EQ(Name(), "Apple");
    FindNext(Qt::ControlModifier);
    EXPECT_EQ(Name(), "Apricot");
    // Down with Ctrl goes up; Enter searches as the button does, Ctrl+Enter turns round.
    Choose(Dialog->cbFindDirection, "D");
    Data.SetRecNo(6);
    Dialog->cbText->SetFocus();
    QTest::keyClick(Dialog->cbText->EditWindow(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Name(), "Apricot");
    QTest::keyClick(Dialog->cbText->EditWindow(), Qt::Key_Return);
    EXPECT_EQ(Name(), "Apricot"); // nothing below it
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_FALSE(Dialog->cbText->Modified());
}

TEST_F(FindDialog, TheRecordTheSearchStartsOnIsLookedAtFirst)
{
    ShowGrid({"Apple", "Banana", "Cherry"});
    Open();
    Choose(Dialog->cbFindIn, "N");
    // Up from the first record (the data set at its beginning) and down from the last.
    Choose(Dialog->cbFindDirection, "U");
    Data.First();
    TypeText("Apple");
    FindNext();
    EXPECT_EQ(Name(), "Apple");
    Choose(Dialog->cbFindDirection, "D");
    Data.Last();
    TypeText("Cherry");
    FindNext();
    EXPECT_EQ(Name(), "Cherry");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(FindDialog, HowACellMatches)
{
    struct TCase {
        const char* Match; // the first letters of the item
        const char* Text;
        bool MatchCase;
        const char* Found; // the name of the record found, empty for none
    };
    const TCase cases[] = {
        {"From b", "\xE9t\xE9", false, "\xC9T\xC9"},
        {"From a", "NAN", false, "Banana"},
        {"From a", "NAN", true, ""},
        {"From a", "nan", true, "Banana"},
        {"W", "banana", false, "Banana"},
        {"W", "Banan", false, ""},
        {"From b", "ban", false, "Banana"},
        {"From b", "nana", false, ""},
        {"From b", "Bananas", false, ""}, // longer than the cell: no match
    };
    ShowGrid({"Apple", "Banana", "\xC9T\xC9"});
    Open();
    Choose(Dialog->cbFindIn, "N");
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(c.Match) + " " + c.Text);
        Dialog->cbText->Items().Clear(); // no completion from earlier texts
        Boxes.Requests.clear();
        Choose(Dialog->cbMatchinType, c.Match);
        if ((Dialog->cbCharCase->GetState() == cbChecked) != c.MatchCase) Click(Dialog->cbCharCase);
        TypeText(c.Text);
        FindNext();
        EXPECT_EQ(Boxes.Requests.empty() ? Name() : std::string(), c.Found);
    }
}

TEST_F(FindDialog, TheMatchingColumnBecomesCurrentWhateverTheCase)
{
    ShowGrid({"Apple", "Banana"});
    Open();
    Choose(Dialog->cbFindIn, "<");
    for (bool matchCase : {false, true}) {
        SCOPED_TRACE(matchCase);
        if ((Dialog->cbCharCase->GetState() == cbChecked) != matchCase) Click(Dialog->cbCharCase);
        Grid->SetSelectedIndex(0);
        Data.First();
        TypeText("3"); // the amount of the second record
        FindNext();
        EXPECT_EQ(Current(), "Banana/2");
    }
}

TEST_F(FindDialog, MatchFormatSearchesTheTextAsTheGridShowsIt)
{
    ShowGrid({"Apple", "Banana"});
    Put("AMOUNT", 1234.5); // the first record
    Grid->Columns().Items(2)->SetDisplayFormat("#,##0.00");
    Open();
    Choose(Dialog->cbFindIn, "AM");
    TypeText("1,234.50");
    FindNext();
    EXPECT_EQ(Current(), "Apple/2");
    EXPECT_TRUE(Messages().empty());
    Click(Dialog->cbUseFormat); // the field's own text
    TypeText("1,234.50");
    FindNext();
    EXPECT_EQ(Messages(), std::vector<std::string>{"String \"1,234.50\" not found."});
    TypeText("1234.5");
    FindNext();
    EXPECT_EQ(Current(), "Apple/2");
}

TEST_F(FindDialog, OnlyTheChosenColumnIsSearched)
{
    ShowGrid({"Two", "One", "Three"});
    Open();
    Choose(Dialog->cbFindIn, "N");
    TypeText("3"); // the ID of the third record, and its amount's text
    FindNext();
    EXPECT_EQ(Messages(), std::vector<std::string>{"String \"3\" not found."});
    EXPECT_EQ(Name(), "Two");
    Choose(Dialog->cbFindIn, "I");
    FindNext();
    EXPECT_EQ(Current(), "Three/1");
    // A column that leaves the grid leaves the search.
    Choose(Dialog->cbFindIn, "<");
    Grid->Columns().Delete(1);
    EXPECT_EQ(Dialog->SearchColumns().size(), 2u);
    Data.First();
    TypeText("4.5");
    FindNext();
    EXPECT_EQ(Current(), "Three/1"); // AMOUNT is the second column now
}

TEST_F(FindDialog, ClosedOrEditedDataIsNotSearched)
{
    ShowGrid({"Apple", "Banana"});
    Open();
    TypeText("Ban");
    // A record being edited is neither posted nor dropped by a search.
    Data.Edit();
    F("NAME")->SetAsString("Apricot");
    FindNext();
    EXPECT_EQ(Data.State(), db::dsEdit);
    EXPECT_EQ(Name(), "Apricot");
    EXPECT_EQ(Boxes.Beeps, 1);
    Data.Cancel();
    // A closed data set: the search is refused with the closed data set's message.
    Data.Close();
    FindNext();
    EXPECT_EQ(Exceptions, std::vector<std::string>{db::msg::DataSetClosed});
    // An empty text finds nothing and says nothing.
    Data.Open();
    TypeText("");
    FindNext();
    EXPECT_TRUE(Messages().empty());
}

TEST_F(FindDialog, EscapeClosesAndTheGridsHookOpensTheOneDialog)
{
    ShowGrid({"Apple", "Banana"});
    Open();
    QTest::keyClick(Dialog->cbText->EditWindow(), Qt::Key_Escape);
    EXPECT_FALSE(Dialog->Visible());
    Open();
    Click(Dialog->bCancel);
    EXPECT_FALSE(Dialog->Visible());

    // The hook: modal as the grid asks, the program's one dialog each time.
    ASSERT_NE(ShowDBGridExFindDialogProc, nullptr);
    TDBGridExFindDlg& shared = DBGridExFindDlg();
    EXPECT_EQ(&DBGridExFindDlg(), &shared);
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        wasModal = shared.Modal();
        EXPECT_FALSE(shared.windowFlags() & Qt::WindowStaysOnTopHint);
        QTest::keyClicks(shared.cbText->EditWindow(), "Ban");
        QTest::keyClick(shared.cbText->EditWindow(), Qt::Key_Return);
        QTest::keyClick(shared.cbText->EditWindow(), Qt::Key_Escape);
    });
    ShowDBGridExFindDialogProc(*Grid, "", "", Grid->FindDialogModal(), {});
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(shared.Visible());
    EXPECT_EQ(Name(), "Banana");
    EXPECT_EQ(shared.Grid(), Grid.get());
    // The grid goes: the dialog searches nothing.
    Grid.reset();
    EXPECT_EQ(shared.Grid(), nullptr);
    shared.bFindClick(nullptr);
}

} // namespace
