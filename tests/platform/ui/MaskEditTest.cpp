// The masked edit: one text through every pointer, no text around the hooks (input
// method, drops, middle-click paste), reset and validation, word wrap, the unfocused
// display text, the caret and the automatic height.
#include "GridTestSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStyleHints>

#include "support/Snapshot.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/MaskEdit.h"

using namespace ui;

namespace {

// A masked edit that says whether the user may change its text, and records its hooks.
class TGuardedEdit : public TCustomMaskEdit {
public:
    using TCustomMaskEdit::TCustomMaskEdit;
    bool modifiable = true;
    int asked = 0;
    std::vector<std::string> hooks;
    std::string refusedKeys; // characters KeyPress drops
    std::string display;     // shown while unfocused when not empty
    using TCustomMaskEdit::MemoBox;

    void PasteFromClipboard() override
    {
        hooks.push_back("paste");
        TCustomMaskEdit::PasteFromClipboard();
    }

protected:
    bool EditCanModify() override
    {
        ++asked;
        return modifiable;
    }
    void KeyPress(char& key) override
    {
        if (refusedKeys.find(key) != std::string::npos) key = 0;
        TCustomMaskEdit::KeyPress(key);
    }
    bool UnfocusedText(std::string& text) const override
    {
        if (display.empty()) return false;
        text = display;
        return true;
    }
};

class MaskEditTest : public uitest::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        form = new TForm;
        form->SetBounds(50, 50, 300, 120);
        edit = new TGuardedEdit(form);
        edit->SetBounds(10, 10, 150, 21);
        other = new TCustomEdit(form);
        other->SetBounds(10, 50, 150, 21);
        uitest::ShowActive(form);
        edit->SetFocus();
    }
    void TearDown() override
    {
        delete form;
        UiTest::TearDown();
    }
    // The box that has the keys: the single-line box, or the multi-line one.
    QWidget* Box() const { return edit->WordWrap() ? static_cast<QWidget*>(edit->MemoBox()) : edit->EditWindow(); }
    QWidget* MouseBox() const { return edit->WordWrap() ? edit->MemoBox()->viewport() : edit->EditWindow(); }
    void Type(const char* text) { QTest::keyClicks(Box(), text); }
    void Key(Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(Box(), key, m); }
    void Commit(const QString& text)
    {
        QInputMethodEvent e;
        e.setCommitString(text);
        QApplication::sendEvent(Box(), &e);
    }
    // A drop of text on the box; returns whether the box took the drag.
    bool Drop(const QString& text)
    {
        // Even a box switched to accept drops must not take text around the hooks.
        MouseBox()->setAcceptDrops(true);
        QMimeData mime;
        mime.setText(text);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(MouseBox(), &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(MouseBox(), &drop);
        return enter.isAccepted() || drop.isAccepted();
    }

    TForm* form = nullptr;
    TGuardedEdit* edit = nullptr;
    TCustomEdit* other = nullptr;
};

} // namespace

TEST_F(MaskEditTest, TheSameMaskedEditReadsTheSameTextThroughEitherPointer)
{
    TCustomEdit* base = edit;
    edit->SetEditMask("00/00;1;_");
    base->SetText("12");
    EXPECT_EQ(edit->EditText(), "12/__");
    EXPECT_EQ(base->Text(), "12/  ");
    EXPECT_EQ(edit->Text(), base->Text());
    base->SetSelStart(3);
    Type("7");
    EXPECT_EQ(base->Text(), "12/7 ");
    base->SelectAll();
    EXPECT_EQ(base->SelText(), "12/7_");
    base->SetSelText("3456");
    EXPECT_EQ(base->Text(), "34/56");

    // In the multi-line box a line break counts two characters, through either pointer.
    edit->SetEditMask("");
    edit->SetWordWrap(true);
    base->SetText("one\r\ntwo");
    EXPECT_EQ(base->Text(), "one\r\ntwo");
    base->SetSelStart(5);
    base->SetSelLength(3);
    EXPECT_EQ(base->SelText(), "two");
    EXPECT_EQ(edit->SelStart(), 5);
    base->SetReadOnly(true);
    EXPECT_TRUE(edit->MemoBox()->isReadOnly());
}

TEST_F(MaskEditTest, TheGridsInplaceEditAnswersThroughTheEditBasePointerToo)
{
    auto* grid = new uitest::TTextGrid(form);
    grid->SetBounds(170, 0, 120, 100);
    grid->SetOptions(grid->Options() | goEditing);
    grid->mask = "00/00;1;_";
    grid->Cell(1, 1) = "12";
    grid->SetFocus();
    grid->SetEditorMode(true);
    TCustomEdit* base = grid->InplaceEditor();
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(grid->InplaceEditor()->EditText(), "12/__");
    EXPECT_EQ(base->Text(), "12/  ");
    EXPECT_EQ(grid->InplaceEditor()->Text(), base->Text());
}

TEST_F(MaskEditTest, AnInputMethodCommitIsTypedThroughTheKeyHooks)
{
    edit->refusedKeys = "xyz";
    Type("1");
    Commit("xyz");
    EXPECT_EQ(edit->Text(), "1");
    Commit("2x3");
    EXPECT_EQ(edit->Text(), "123");
    // Composing shows nothing in the text until it is committed.
    QInputMethodEvent composing("4", {});
    QApplication::sendEvent(Box(), &composing);
    EXPECT_EQ(edit->Text(), "123");
    Commit("4");
    EXPECT_EQ(edit->Text(), "1234");
    // A text that may not be changed takes no commit.
    edit->modifiable = false;
    Commit("5");
    EXPECT_EQ(edit->Text(), "1234");

    // Masked, a commit fills the editable places as typing does.
    edit->modifiable = true;
    edit->SetEditMask("00-00;1;_");
    edit->SetText("");
    edit->SetSelStart(0);
    Commit("98a7");
    EXPECT_EQ(edit->EditText(), "98-7_");
    EXPECT_EQ(Boxes.Beeps, 1); // the letter was refused by the mask

    // The multi-line box takes commits through the same hooks.
    edit->SetEditMask("");
    edit->SetWordWrap(true);
    edit->SetText("a");
    edit->Deselect();
    Commit("zb");
    EXPECT_EQ(edit->Text(), "ab");
}

TEST_F(MaskEditTest, DroppedTextIsRefusedByBothBoxes)
{
    edit->SetText("keep");
    EXPECT_FALSE(Drop("dropped"));
    EXPECT_EQ(edit->Text(), "keep");
    edit->SetWordWrap(true);
    EXPECT_FALSE(Drop("dropped"));
    EXPECT_EQ(edit->Text(), "keep");
    EXPECT_TRUE(edit->hooks.empty());
}

TEST_F(MaskEditTest, EveryChangeByTheUserAsksEditCanModify)
{
    for (bool wrap : {false, true}) {
        SCOPED_TRACE(wrap ? "multi-line" : "single-line");
        edit->SetWordWrap(wrap);
        edit->modifiable = true;
        edit->SetText("abc def");
        Clipboard().SetAsText("PASTE");
        edit->modifiable = false;
        edit->asked = 0;
        edit->SetSelStart(4);
        Type("x");
        Key(Qt::Key_Backspace);
        Key(Qt::Key_Delete);
        Key(Qt::Key_Backspace, Qt::ControlModifier);
        Key(Qt::Key_V, Qt::ControlModifier);
        edit->SelectAll();
        Key(Qt::Key_X, Qt::ControlModifier);
        Key(Qt::Key_Z, Qt::ControlModifier);
        edit->TypeChar('y');
        EXPECT_EQ(edit->Text(), "abc def");
        EXPECT_GE(edit->asked, 8);
        EXPECT_FALSE(edit->Modified());

        edit->modifiable = true;
        edit->SetSelStart(7);
        Type("!");
        Key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(edit->Text(), "abc def!PASTE");
    }
    // The program's own setting is not the user's change.
    edit->modifiable = false;
    edit->SetText("set");
    EXPECT_EQ(edit->Text(), "set");
}

TEST_F(MaskEditTest, MaskedDeletingGoesThroughTheMaskOnly)
{
    edit->SetEditMask("00/00;1;_");
    edit->SetText("1234");
    edit->SetSelStart(1);
    Key(Qt::Key_Backspace, Qt::ControlModifier); // a word deletion would take the literal
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(edit->EditText().size(), 5u);
    EXPECT_EQ(edit->EditText().substr(2, 1), "/");
    Key(Qt::Key_Delete);
    EXPECT_EQ(edit->EditText()[1], '_');
    edit->modifiable = false;
    Key(Qt::Key_Backspace);
    EXPECT_EQ(edit->EditText()[0], '1');
}

TEST_F(MaskEditTest, EscResetsAModifiedMaskedTextAndValidationFindsTheFirstBlank)
{
    edit->SetEditMask("00/00;1;_");
    edit->SetText("1234");
    EXPECT_NO_THROW(edit->ValidateEdit());
    edit->SelectAll();
    Type("5");
    EXPECT_EQ(edit->EditText(), "5_/__");
    EXPECT_TRUE(edit->Modified());
    try {
        edit->ValidateEdit();
        ADD_FAILURE() << "incomplete input passed";
    } catch (const EDBEditError& e) {
        EXPECT_STREQ(e.what(), "Invalid input value.  Use escape key to abandon changes");
    }
    EXPECT_EQ(edit->SelStart(), 1);
    int changes = 0;
    edit->OnChange = TNotifyEvent::FromFunction([&](TObject*) { ++changes; });
    Key(Qt::Key_Escape);
    EXPECT_EQ(edit->EditText(), "12/34");
    EXPECT_FALSE(edit->Modified());
    EXPECT_EQ(changes, 1);
    // Optional places may stay blank.
    edit->SetEditMask("99;1;_");
    edit->SetText("");
    Type("7");
    EXPECT_NO_THROW(edit->ValidateEdit());
}

TEST_F(MaskEditTest, MultiLineTypingBreaksLinesAndCountsThemAgainstMaxLength)
{
    edit->SetWordWrap(true);
    edit->SetMaxLength(7);
    Type("ab");
    Key(Qt::Key_Return);
    Type("cdef");
    EXPECT_EQ(edit->Text(), "ab\r\ncde");
    EXPECT_EQ(edit->LineCount(), 2);
    EXPECT_EQ(edit->CaretLine(), 1);
    Clipboard().SetAsText("zz");
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "ab\r\ncde");
    Key(Qt::Key_Backspace);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "ab\r\ncdz");

    // The lines follow the edit's alignment.
    other->SetFocus();
    edit->SetTextAlignment(taRightJustify);
    const QImage right = uitest::Render(edit->MemoBox()->viewport());
    EXPECT_GE(uitest::InkBounds(right).right(), right.width() - 3);
    edit->SetTextAlignment(taLeftJustify);
    const QImage left = uitest::Render(edit->MemoBox()->viewport());
    EXPECT_LE(uitest::InkBounds(left).left(), 2);
}

TEST_F(MaskEditTest, FocusedEditsShowTheirTextAndUnfocusedOnesTheirDisplayTextYetTakeAClick)
{
    edit->SetText("1234.5");
    edit->display = "1,234.50";
    other->SetFocus();
    const QImage unfocused = uitest::Render(edit);
    testsupport::SaveSnapshot(unfocused, "ui", "maskedit-unfocused-display-text");
    // The box stays in place (a hidden box could not take the click).
    EXPECT_TRUE(edit->EditWindow()->isVisible());
    // What shows is the display text: as wide as that text, wider than the edit text.
    const QFontMetrics fm(edit->Font().ToQFont());
    const QRect ink = uitest::InkBounds(unfocused.copy(2, 2, unfocused.width() - 4, unfocused.height() - 4));
    EXPECT_NEAR(ink.width(), fm.horizontalAdvance("1,234.50"), 2);

    QTest::mouseClick(edit->EditWindow(), Qt::LeftButton, {}, QPoint(20, 8));
    EXPECT_TRUE(edit->Focused());
    const QImage focused = uitest::Render(edit);
    testsupport::SaveSnapshot(focused, "ui", "maskedit-focused-edit-text");
    const QRect focusedInk = uitest::InkBounds(focused.copy(2, 2, focused.width() - 4, focused.height() - 4));
    EXPECT_LT(focusedInk.width(), ink.width());
    EXPECT_EQ(edit->Text(), "1234.5");
}

TEST_F(MaskEditTest, TheCaretCanBeHiddenWhileTheEditKeepsTheFocus)
{
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    QGuiApplication::styleHints()->setCursorFlashTime(0); // a steady caret
    edit->SetText("ab");
    edit->Deselect();
    const QImage shown = uitest::Render(edit);
    edit->SetCaretVisible(false);
    EXPECT_FALSE(edit->CaretVisible());
    const QImage hidden = uitest::Render(edit);
    edit->SetCaretVisible(true);
    const QImage again = uitest::Render(edit);
    QGuiApplication::styleHints()->setCursorFlashTime(flash);
    testsupport::SaveSnapshot(hidden, "ui", "maskedit-caret-hidden");
    EXPECT_TRUE(edit->Focused());
    EXPECT_NE(shown, hidden);
    EXPECT_EQ(shown, again);
    // What differs is one thin upright stroke: the caret.
    QRect diff;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (shown.pixel(x, y) != hidden.pixel(x, y)) diff |= QRect(x, y, 1, 1);
    EXPECT_LE(diff.width(), 2);
    EXPECT_GE(diff.height(), 8);
}

TEST_F(MaskEditTest, AutoSizeFitsTheHeightToTheFont)
{
    edit->SetHeight(40);
    edit->SetAutoSize(true);
    EXPECT_EQ(edit->Height(), edit->FontHeight() + 8);
    edit->Font().SetHeight(-20);
    EXPECT_EQ(edit->Height(), edit->FontHeight() + 8);
    EXPECT_GT(edit->FontHeight(), 20);
    edit->SetCtl3D(false);
    edit->Font().SetHeight(-12);
    EXPECT_EQ(edit->Height(), edit->FontHeight() + 6);
    // Without a border the height is left alone.
    edit->SetBorderStyle(bsNone);
    edit->SetHeight(30);
    edit->Font().SetHeight(-14);
    EXPECT_EQ(edit->Height(), 30);
}

TEST_F(MaskEditTest, AMiddleClickPastesTheSelectionClipboardThroughThePasteHook)
{
    edit->SetText("ab");
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (SelectionClipboardSupported()) clipboard->setText("sel", QClipboard::Selection);
    Clipboard().SetAsText("CLIP");
    edit->modifiable = false;
    QTest::mouseClick(edit->EditWindow(), Qt::MiddleButton, {}, QPoint(40, 8));
    EXPECT_EQ(edit->Text(), "ab");
    edit->modifiable = true;
    QTest::mouseClick(edit->EditWindow(), Qt::MiddleButton, {}, QPoint(40, 8));
    if (!SelectionClipboardSupported()) {
        // No selection clipboard here: a middle click changes nothing at all.
        EXPECT_EQ(edit->Text(), "ab");
        EXPECT_TRUE(edit->hooks.empty());
        return;
    }
    EXPECT_EQ(edit->Text(), "absel");
    EXPECT_EQ(edit->hooks, (std::vector<std::string>{"paste", "paste"}));
    // The clipboard itself was not what was pasted, and is left as it was.
    EXPECT_EQ(Clipboard().AsText(), "CLIP");
    // The multi-line box pastes the same way.
    edit->SetWordWrap(true);
    QTest::mouseClick(edit->MemoBox()->viewport(), Qt::MiddleButton, {}, QPoint(60, 5));
    EXPECT_EQ(edit->Text(), "abselsel");
}
