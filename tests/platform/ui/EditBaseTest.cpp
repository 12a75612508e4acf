// The single-line edit base.
#include "UiTestSupport.h"

#include "platform/ui/Clipboard.h"
#include "platform/ui/EditBase.h"
#include "platform/ui/Form.h"

using namespace ui;

namespace {

// An edit that records its clipboard hooks, as a data-aware editor starts editing there.
class TRecordingEdit : public TCustomEdit {
public:
    using TCustomEdit::TCustomEdit;
    std::vector<std::string> Hooks;
    int Changes = 0;
    // clang-format off
    void PasteFromClipboard() override { Hooks.push_back("paste"); TCustomEdit::PasteFromClipboard(); }
    void CutToClipboard() override { Hooks.push_back("cut"); TCustomEdit::CutToClipboard(); }
    void Undo() override { Hooks.push_back("undo"); TCustomEdit::Undo(); }

protected:
    void Change() override { ++Changes; TCustomEdit::Change(); }
    // clang-format on
};

class EditBaseTest : public uitest::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        form = new TForm;
        form->SetBounds(50, 50, 300, 100);
        edit = new TRecordingEdit(form);
        other = new TCustomEdit(form);
        other->SetTop(40);
        uitest::ShowActive(form);
        edit->SetFocus();
    }
    void TearDown() override
    {
        delete form;
        UiTest::TearDown();
    }
    void Type(const char* text) { QTest::keyClicks(edit->EditWindow(), text); }
    // A key that types a character QTest cannot name (an accented letter).
    void TypeChar(QChar c)
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit->EditWindow(), &press);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(edit->EditWindow(), key, m); }

    TForm* form = nullptr;
    TRecordingEdit* edit = nullptr;
    TCustomEdit* other = nullptr;
};

} // namespace

TEST_F(EditBaseTest, TextSelectionAndModified)
{
    Type("hello world");
    EXPECT_EQ(edit->Text(), "hello world");
    EXPECT_TRUE(edit->Modified());
    EXPECT_EQ(edit->SelStart(), 11);
    edit->SetSelStart(6);
    edit->SetSelLength(5);
    EXPECT_EQ(edit->SelText(), "world");
    edit->SetSelText("there");
    EXPECT_EQ(edit->Text(), "hello there");
    edit->SelectAll();
    EXPECT_EQ(edit->SelLength(), 11);
    edit->SetText("set \xB5V"); // the byte 0xB5 stays one character
    EXPECT_EQ(edit->Text(), "set \xB5V");
    EXPECT_EQ(edit->EditWindow()->text().size(), 6);
    EXPECT_FALSE(edit->Modified());
    EXPECT_GE(edit->Changes, 1);
}

TEST_F(EditBaseTest, TextSetWhileUnfocusedAnswersAtOnceAndReachesTheBoxWhenNeeded)
{
    other->SetFocus();
    int boxChanges = 0;
    QObject::connect(edit->EditWindow(), &QLineEdit::textChanged, [&] { ++boxChanges; });
    const int before = edit->Changes;
    for (int i = 0; i < 50; ++i) edit->SetText("record " + std::to_string(i));
    EXPECT_EQ(edit->Changes - before, 50); // each one is announced
    EXPECT_EQ(edit->Text(), "record 49");
    EXPECT_FALSE(edit->Modified());
    edit->SetModified(true);
    EXPECT_TRUE(edit->Modified());
    EXPECT_EQ(boxChanges, 0); // the box has not laid any of them out
    edit->SetText("record 49");
    EXPECT_EQ(edit->Changes - before, 50); // the same text is no change

    // The caret is where the box puts it for a new text: at the end.
    EXPECT_EQ(edit->SelStart(), 9);
    EXPECT_EQ(boxChanges, 1);
    EXPECT_EQ(edit->EditWindow()->text(), QStringLiteral("record 49"));
    EXPECT_TRUE(edit->Modified());
    EXPECT_EQ(edit->Changes - before, 50);

    // Focused, the box takes the text at once; typing then goes on from it.
    edit->SetText("late");
    edit->SetFocus();
    EXPECT_EQ(edit->EditWindow()->text(), QStringLiteral("late"));
    edit->SetText("now");
    EXPECT_EQ(boxChanges, 3);
    edit->SetSelStart(3);
    Type("!");
    EXPECT_EQ(edit->Text(), "now!");
}

TEST_F(EditBaseTest, MaxLengthLimitsTypingAndPastingButNotTheProgram)
{
    edit->SetMaxLength(4);
    Type("abcdef");
    EXPECT_EQ(edit->Text(), "abcd");
    edit->SetText("longer text");
    EXPECT_EQ(edit->Text(), "longer text");
    edit->SetText("ab");
    edit->SetSelStart(2);
    Clipboard().SetAsText("123456");
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "ab12");
}

TEST_F(EditBaseTest, ReadOnlyRefusesTypingAndPasting)
{
    edit->SetText("fixed");
    edit->SetReadOnly(true);
    Type("x");
    Clipboard().SetAsText("y");
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "fixed");
    EXPECT_EQ(edit->Hooks, (std::vector<std::string>{"paste"}));
}

TEST_F(EditBaseTest, CharacterCaseConvertsTypedPastedAndPresentText)
{
    edit->SetText("mixed");
    edit->SetCharCase(ecUpperCase);
    EXPECT_EQ(edit->Text(), "MIXED");
    edit->SetSelStart(5);
    Type("ab");
    TypeChar(QChar(0xE9));
    EXPECT_EQ(edit->Text(), "MIXEDAB\xC9");
    Clipboard().SetAsText("cd");
    Key(Qt::Key_V, Qt::ControlModifier);
    // clang-format off
    EXPECT_EQ(edit->Text(), "MIXEDAB\xC9" "CD");
    edit->SetCharCase(ecLowerCase);
    EXPECT_EQ(edit->Text(), "mixedab\xE9" "cd");
    // clang-format on
}

TEST_F(EditBaseTest, ClipboardKeysGoThroughTheHooks)
{
    Type("abc def");
    edit->SetSelStart(0);
    edit->SetSelLength(3);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Clipboard().AsText(), "abc");
    EXPECT_EQ(edit->Text(), " def");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "abc def");
    edit->SetSelStart(7);
    Clipboard().SetAsText("!\r\nsecond line");
    Key(Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(edit->Text(), "abc def!"); // one line only
    EXPECT_EQ(edit->Hooks, (std::vector<std::string>{"cut", "undo", "paste"}));
}

TEST_F(EditBaseTest, PasswordCharacterHidesTheTextAndKeepsItOffTheClipboard)
{
    edit->SetPasswordChar('*');
    Type("secret");
    EXPECT_EQ(edit->Text(), "secret");
    EXPECT_EQ(edit->EditWindow()->echoMode(), QLineEdit::Password);
    Clipboard().SetAsText("before");
    edit->SelectAll();
    edit->CopyToClipboard();
    edit->CutToClipboard();
    EXPECT_EQ(Clipboard().AsText(), "before");
    EXPECT_EQ(edit->Text(), "secret");
    edit->SetPasswordChar(0);
    EXPECT_EQ(edit->EditWindow()->echoMode(), QLineEdit::Normal);
}

TEST_F(EditBaseTest, AutoSelectSelectsAllWhenEnteredFromTheKeyboard)
{
    edit->SetText("value");
    other->SetFocus();
    edit->SetFocus();
    EXPECT_EQ(edit->SelLength(), 5);
    edit->SetAutoSelect(false);
    other->SetFocus();
    edit->SetSelStart(2);
    edit->SetFocus();
    EXPECT_EQ(edit->SelLength(), 0);
}

TEST_F(EditBaseTest, TheTextBoxFillsTheEditRectangleInsideTheBorder)
{
    edit->SetBounds(0, 0, 100, 21);
    EXPECT_EQ(edit->ClientRect(), (TRect{0, 0, 96, 17}));
    EXPECT_EQ(edit->EditWindow()->geometry(), QRect(2, 2, 96, 17));
    edit->SetEditRect({0, 0, 80, 17});
    EXPECT_EQ(edit->EditWindow()->geometry(), QRect(2, 2, 80, 17));
    edit->SetBorderStyle(bsNone);
    EXPECT_EQ(edit->EditWindow()->geometry(), QRect(0, 0, 80, 17));
    edit->SetEditRect({});
    EXPECT_EQ(edit->EditWindow()->geometry(), QRect(0, 0, 100, 21));
    edit->SetMargins(3, 0);
    EXPECT_EQ(edit->EditWindow()->textMargins().left(), 3);
}

TEST_F(EditBaseTest, EnterReachesTheEditOnceAndThenTheForm)
{
    std::vector<Word> keys;
    edit->OnKeyDown = TKeyEvent::FromFunction([&](TObject*, Word& key, TShiftState) { keys.push_back(key); });
    int formKeys = 0;
    form->SetKeyPreview(false);
    form->OnKeyDown = TKeyEvent::FromFunction([&](TObject*, Word&, TShiftState) { ++formKeys; });
    Key(Qt::Key_Return);
    Key(Qt::Key_Escape);
    EXPECT_EQ(keys, (std::vector<Word>{VK_RETURN, VK_ESCAPE}));
    EXPECT_EQ(formKeys, 0);
}

TEST_F(EditBaseTest, AnEditCanKeepMouseButtonsAndTheClipboardPasteFromItsTextBox)
{
    // An edit whose text is only picked: its hooks see the buttons, its text box does not.
    class TPickedEdit : public TCustomEdit {
    public:
        using TCustomEdit::TCustomEdit;
        std::vector<std::string> Presses;

    protected:
        bool TextBoxTakesMouseButtons() const override { return false; }
        void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override
        {
            // clang-format off
            Presses.push_back(shift & ssDouble ? "double" : button == mbLeft ? "left" : "other");
            // clang-format on
            TCustomEdit::MouseDown(button, shift, x, y);
        }
        void PasteFromClipboard() override { Presses.push_back("paste"); }
    };
    auto* picked = new TPickedEdit(form);
    picked->SetTop(70);
    picked->SetText("picked text");
    picked->SetFocus();
    picked->SelectAll();
    QWidget* box = picked->EditWindow();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseDClick(box, Qt::LeftButton, {}, QPoint(40, 5));
    QTest::mouseClick(box, Qt::MiddleButton, {}, QPoint(5, 5));
    EXPECT_EQ(picked->Presses, (std::vector<std::string>{"left", "double", "other"}));
    EXPECT_EQ(picked->SelLength(), 11); // no caret placed, no word selected, nothing pasted
    EXPECT_EQ(picked->Text(), "picked text");

    // The plain edit's box places the caret.
    edit->SetText("plain");
    edit->SelectAll();
    QTest::mouseClick(edit->EditWindow(), Qt::LeftButton, {}, QPoint(3, 5));
    EXPECT_EQ(edit->SelLength(), 0);
}
