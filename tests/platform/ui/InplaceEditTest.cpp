// The grid's in-place edit: showing, typing, handing the text back, the keys it
// passes to the grid, the edit mask and the multi-line box.
#include "GridTestSupport.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include "platform/ui/Clipboard.h"

using namespace ui;

namespace {

class InplaceEditTest : public uitest::GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        Matrix(5, 20, 40, 18);
        grid->SetOptions(grid->Options() | goEditing);
        grid->Cell(1, 1) = "abc";
        grid->Cell(2, 1) = "next";
        grid->Cell(1, 2) = "below";
        uitest::ShowActive(form);
        grid->SetFocus();
    }
    TInplaceEdit* Editor() const { return grid->InplaceEditor(); }
    bool EditorShown() const { return Editor() && Editor()->Visible(); }
    // Keys as the user types them, into whatever has the focus.
    QWidget* Target() const { return QApplication::focusWidget(); }
    void Type(const char* text) { QTest::keyClicks(Target(), text); }
    void Key(Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(Target(), key, m); }
};

} // namespace

TEST_F(InplaceEditTest, ShowsTakesTextAndHandsItBack)
{
    ASSERT_TRUE(grid->hasFocus());
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    EXPECT_TRUE(grid->EditorMode());
    EXPECT_EQ(Editor()->BoundsRect(), grid->CellRect(1, 1));
    EXPECT_TRUE(Editor()->Focused());
    EXPECT_EQ(Editor()->Text(), "abc");
    // F2 leaves the caret at the end: typing appends, each change goes to the grid.
    Type("xy");
    EXPECT_EQ(Editor()->Text(), "abcxy");
    EXPECT_EQ(LastSet(1, 1), "abcxy");
    // Enter closes the edit; the focus returns to the grid.
    Key(Qt::Key_Return);
    EXPECT_FALSE(EditorShown());
    EXPECT_FALSE(grid->EditorMode());
    EXPECT_TRUE(grid->hasFocus());
    EXPECT_EQ(grid->Cell(1, 1), "abcxy");

    // A character typed on the grid opens the edit with it, replacing the text.
    Key(Qt::Key_Q);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->Text(), "q");
    EXPECT_EQ(LastSet(1, 1), "q");
    // Down goes to the grid, which leaves the cell and closes the edit.
    Key(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_FALSE(EditorShown());
    EXPECT_EQ(grid->Cell(1, 1), "q");
    // Enter opens the edit on the new cell with that cell's text, all of it selected.
    Key(Qt::Key_Return);
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->Text(), "below");
    EXPECT_EQ(Editor()->SelLength(), 5);
}

TEST_F(InplaceEditTest, TheGridDecidesWhichKeysMayChangeTheText)
{
    grid->refused = "1";
    Key(Qt::Key_F2);
    Type("a1b");
    EXPECT_EQ(Editor()->Text(), "abcab");
    EXPECT_EQ(Boxes.Beeps, 1);
    // A limit from GetEditLimit holds for typing.
    grid->limit = 6;
    grid->InvalidateEditor();
    Editor()->Deselect();
    Type("zzz");
    EXPECT_EQ(Editor()->Text(), "abcabz");

    // A cell that may not be modified takes no typing, Backspace nor Delete.
    grid->modifiable = false;
    Type("q");
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Editor()->Text(), "abcabz");
}

TEST_F(InplaceEditTest, AnAlwaysShownEditFollowsTheCurrentCell)
{
    grid->SetOptions(grid->Options() | goAlwaysShowEditor);
    ASSERT_TRUE(EditorShown());
    ASSERT_TRUE(Editor()->Focused());
    EXPECT_EQ(Editor()->Text(), "abc");
    Editor()->Deselect();
    Type("d");
    // Right at the end of the text goes on to the next cell; the text stays handed back.
    Key(Qt::Key_Right);
    EXPECT_EQ(grid->Col(), 2);
    EXPECT_EQ(grid->Cell(1, 1), "abcd");
    ASSERT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->Text(), "next");
    EXPECT_EQ(Editor()->BoundsRect(), grid->CellRect(2, 1));
    // With the whole text selected Left goes back; inside the text it moves the caret.
    Key(Qt::Key_Left);
    EXPECT_EQ(grid->Col(), 1);
    Editor()->Deselect();
    Key(Qt::Key_Left);
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(Editor()->SelStart(), 3);
    // Enter keeps the edit and toggles between all and nothing selected.
    Key(Qt::Key_Return);
    EXPECT_TRUE(EditorShown());
    EXPECT_EQ(Editor()->SelLength(), 4);

    // Scrolled out of view the edit hides; scrolled back it returns with its text.
    Type("Z");
    grid->SetTopRow(5);
    EXPECT_FALSE(Editor()->Visible());
    EXPECT_TRUE(grid->GridFocused() || grid->hasFocus());
    grid->SetTopRow(1);
    ASSERT_TRUE(Editor()->Visible());
    EXPECT_EQ(Editor()->Text(), "Z");
    EXPECT_EQ(Editor()->BoundsRect(), grid->CellRect(1, 1));
}

TEST(EditMaskTest, LaysValuesIntoTheMaskAndReadsThemBack)
{
    TEditMask date("00/00/0000;1;_");
    EXPECT_TRUE(date.IsMasked());
    EXPECT_EQ(date.EmptyText(), "__/__/____");
    EXPECT_EQ(date.FormatText("24/12/2026"), "24/12/2026");
    EXPECT_EQ(date.FormatText("2412"), "24/12/____");
    EXPECT_EQ(date.ValueOf("24/12/____"), "24/12/    ");
    EXPECT_EQ(date.FirstMissing("24/12/____"), 6);
    EXPECT_EQ(date.FirstMissing("24/12/2026"), -1);
    EXPECT_EQ(date.NextEditable(2), 3);
    EXPECT_EQ(date.PriorEditable(5), 4);

    // Literals not saved, case conversion, optional places, escapes and another blank.
    TEditMask code(">LL<l-\\099;0;*");
    EXPECT_EQ(code.EmptyText(), "***-0**");
    EXPECT_EQ(code.Accept(0, 'a'), 'A');
    EXPECT_EQ(code.Accept(2, 'Q'), 'q');
    EXPECT_EQ(code.Accept(0, '7'), '\0');
    EXPECT_EQ(code.Accept(3, 'x'), '\0');      // a literal
    EXPECT_EQ(code.Accept(2, '\xC9'), '\xE9'); // É lower-cased to é
    EXPECT_EQ(code.FormatText("abc12"), "ABc-012");
    EXPECT_EQ(code.ValueOf("ABc-012"), "ABc12");
    EXPECT_EQ(code.FirstMissing("A**-0**"), 1);
    EXPECT_EQ(code.FirstMissing("AB*-0**"), -1); // the rest is optional
    // Refused characters of a value become blanks.
    EXPECT_EQ(code.FormatText("a1c"), "A*c-0**");

    TEditMask none("");
    EXPECT_FALSE(none.IsMasked());
    EXPECT_EQ(none.FormatText("free text"), "free text");
}

TEST_F(InplaceEditTest, MaskedTypingOverwritesAroundLiterals)
{
    grid->mask = "00/00;1;_";
    grid->Cell(1, 1) = "1234";
    Key(Qt::Key_F2);
    ASSERT_TRUE(Editor()->IsMasked());
    EXPECT_EQ(Editor()->EditText(), "12/34");
    Editor()->SelectAll();
    Type("5");
    EXPECT_EQ(Editor()->EditText(), "5_/__");
    Type("6");
    EXPECT_EQ(Editor()->SelStart(), 3); // past the literal
    Type("x");
    EXPECT_EQ(Boxes.Beeps, 1);
    Type("78");
    EXPECT_EQ(Editor()->EditText(), "56/78");
    EXPECT_EQ(LastSet(1, 1), "56/78");
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Editor()->EditText(), "5_/__");
    EXPECT_EQ(Editor()->Text(), "5 /  ");
    Key(Qt::Key_Home);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Editor()->EditText(), "__/__");

    // Pasting types the characters the mask takes, in order.
    Clipboard().SetAsText("9a87");
    Editor()->SelectAll();
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Editor()->EditText(), "98/7_");

    // Without saved literals the grid gets the entered characters only.
    grid->mask = "00/00;0;_";
    grid->Cell(2, 1) = "4321";
    grid->MoveColRow(2, 1, true, true);
    Key(Qt::Key_F2);
    EXPECT_EQ(Editor()->EditText(), "43/21");
    Key(Qt::Key_Backspace);
    EXPECT_EQ(LastSet(2, 1), "432 ");
}

TEST_F(InplaceEditTest, WordWrapSwitchesToAMultiLineBox)
{
    Key(Qt::Key_F2);
    ASSERT_TRUE(EditorShown());
    // Ctrl+Enter's line feed is swallowed by the single-line box.
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Editor()->Text(), "abc");

    Editor()->SetWordWrap(true);
    EXPECT_TRUE(Editor()->WordWrap());
    EXPECT_EQ(Editor()->Text(), "abc");
    EXPECT_TRUE(Editor()->Focused());
    Editor()->Deselect();
    Key(Qt::Key_Return, Qt::ControlModifier);
    Type("de");
    EXPECT_EQ(Editor()->Text(), "abc\r\nde");
    EXPECT_EQ(LastSet(1, 1), "abc\r\nde");
    EXPECT_EQ(Editor()->LineCount(), 2);
    EXPECT_EQ(Editor()->CaretLine(), 1);
    // Positions count the line break as two characters.
    EXPECT_EQ(Editor()->SelStart(), 7);
    Editor()->SetSelStart(5);
    Editor()->SetSelLength(2);
    EXPECT_EQ(Editor()->SelText(), "de");
    Editor()->SetText("one\r\ntwo\r\nthree");
    EXPECT_EQ(Editor()->Text(), "one\r\ntwo\r\nthree");
    EXPECT_EQ(Editor()->LineCount(), 3);
    // Up and Down still belong to the grid.
    Key(Qt::Key_Down);
    EXPECT_EQ(grid->Row(), 2);

    // Back to one line: the text stays.
    Editor()->SetWordWrap(false);
    Editor()->SetText("flat");
    EXPECT_EQ(Editor()->Text(), "flat");
    EXPECT_TRUE(Editor()->EditWindow()->isVisibleTo(Editor()));
}
