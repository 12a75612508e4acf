#include "platform/ui/MaskEdit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include "platform/ui/Application.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/QtText.h"

namespace ui {

namespace {

const char* const kMaskEditError = "Invalid input value.  Use escape key to abandon changes";

// Line breaks of the program's text ("\r\n", or a lone "\r" or "\n") as the
// multi-line box keeps them ("\n").
std::string ToBoxBreaks(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out += '\n';
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string FromBoxBreaks(const std::string& s)
{
    std::string out;
    out.reserve(s.size() + 8);
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// The box's text: paragraph and line separators read as "\n".
std::string BoxText(const QPlainTextEdit* box)
{
    QString t = box->toPlainText();
    t.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return FromQString(t);
}

} // namespace

// The multi-line text box: every event goes to its control first, as the single-line
// box's do.
class TCustomMaskEdit::TMemoBox : public QPlainTextEdit {
public:
    explicit TMemoBox(TCustomMaskEdit* owner) : QPlainTextEdit(owner), owner_(owner)
    {
        setFrameStyle(QFrame::NoFrame);
        setLineWrapMode(QPlainTextEdit::WidgetWidth);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setContextMenuPolicy(Qt::PreventContextMenu);
        setAcceptDrops(false);
        viewport()->setAcceptDrops(false);
        document()->setDocumentMargin(0);
        viewport()->setMouseTracking(true);
    }
    bool BaseEvent(QEvent* e) { return QPlainTextEdit::event(e); }
    bool BaseViewportEvent(QEvent* e) { return QPlainTextEdit::viewportEvent(e); }
    // The control is going away: from now on the box handles its events alone.
    void Detach() { owner_ = nullptr; }

protected:
    // Until the owner holds the box (while it is being built) it handles its own events.
    bool event(QEvent* e) override { return active() ? owner_->memoEvent(e) : BaseEvent(e); }
    bool viewportEvent(QEvent* e) override { return active() ? owner_->memoViewportEvent(e) : BaseViewportEvent(e); }
    void paintEvent(QPaintEvent* e) override
    {
        if (active() && owner_->PaintUnfocusedText(viewport(), hasFocus())) return;
        QPlainTextEdit::paintEvent(e);
    }

private:
    bool active() const { return owner_ && owner_->memo_ == this; }
    TCustomMaskEdit* owner_;
};

TCustomMaskEdit::TCustomMaskEdit(TControl* parent) : TCustomEdit(parent) {}

TCustomMaskEdit::~TCustomMaskEdit()
{
    Destroying();
    if (memo_) memo_->Detach();
}

QPlainTextEdit* TCustomMaskEdit::MemoBox() const { return memo_; }

// ---- text and selection ----

std::string TCustomMaskEdit::EditText() const
{
    return wordWrap_ ? FromBoxBreaks(BoxText(memo_)) : TCustomEdit::Text();
}

std::string TCustomMaskEdit::Text() const
{
    if (IsMasked()) return mask_.ValueOf(EditText());
    return wordWrap_ ? EditText() : TCustomEdit::Text();
}

void TCustomMaskEdit::SetText(const std::string& text)
{
    if (wordWrap_) {
        const QString q = ToQString(ToBoxBreaks(ApplyCase(text)));
        if (q != memo_->toPlainText()) memo_->setPlainText(q);
    } else if (IsMasked()) {
        const QString q = ToQString(mask_.FormatText(text));
        if (q != EditWindow()->text()) EditWindow()->setText(q);
    } else {
        TCustomEdit::SetText(text);
    }
    rememberResetText();
}

void TCustomMaskEdit::ApplyCaseToText() { TCustomMaskEdit::SetText(TCustomMaskEdit::Text()); }

void TCustomMaskEdit::rememberResetText() { resetText_ = EditText(); }

int TCustomMaskEdit::memoPosToText(int pos) const
{
    const QString t = memo_->toPlainText();
    int breaks = 0;
    for (int i = 0; i < pos && i < t.size(); ++i)
        if (t.at(i) == QLatin1Char('\n') || t.at(i) == QChar::LineSeparator) ++breaks;
    return pos + breaks;
}

int TCustomMaskEdit::textPosToMemo(int pos) const
{
    const std::string t = EditText();
    int memoPos = 0;
    for (int i = 0; i < pos && i < static_cast<int>(t.size()); ++i)
        if (t[i] != '\r') ++memoPos;
    return memoPos;
}

int TCustomMaskEdit::SelStart() const
{
    if (!wordWrap_) return TCustomEdit::SelStart();
    return memoPosToText(memo_->textCursor().selectionStart());
}

void TCustomMaskEdit::SetSelStart(int v)
{
    if (!wordWrap_) {
        TCustomEdit::SetSelStart(v);
        return;
    }
    QTextCursor c = memo_->textCursor();
    c.setPosition(std::clamp(textPosToMemo(v), 0, static_cast<int>(memo_->toPlainText().size())));
    memo_->setTextCursor(c);
}

int TCustomMaskEdit::SelLength() const
{
    if (!wordWrap_) return TCustomEdit::SelLength();
    const QTextCursor c = memo_->textCursor();
    return memoPosToText(c.selectionEnd()) - memoPosToText(c.selectionStart());
}

void TCustomMaskEdit::SetSelLength(int v)
{
    if (!wordWrap_) {
        TCustomEdit::SetSelLength(v);
        return;
    }
    QTextCursor c = memo_->textCursor();
    const int start = c.selectionStart();
    const int end = std::clamp(textPosToMemo(memoPosToText(start) + std::max(0, v)), start,
                               static_cast<int>(memo_->toPlainText().size()));
    c.setPosition(start);
    c.setPosition(end, QTextCursor::KeepAnchor);
    memo_->setTextCursor(c);
}

std::string TCustomMaskEdit::SelText() const
{
    if (!wordWrap_) return TCustomEdit::SelText();
    QString t = memo_->textCursor().selectedText();
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n')).replace(QChar::LineSeparator, QLatin1Char('\n'));
    return FromBoxBreaks(FromQString(t));
}

void TCustomMaskEdit::SetSelText(const std::string& text)
{
    if (wordWrap_)
        memo_->insertPlainText(ToQString(ToBoxBreaks(ApplyCase(text))));
    else if (IsMasked())
        maskInsert(text, false);
    else
        TCustomEdit::SetSelText(text);
}

void TCustomMaskEdit::SelectAll()
{
    if (wordWrap_)
        memo_->selectAll();
    else
        TCustomEdit::SelectAll();
}

void TCustomMaskEdit::ClearSelection()
{
    if (!wordWrap_) {
        TCustomEdit::ClearSelection();
        return;
    }
    QTextCursor c = memo_->textCursor();
    c.clearSelection();
    memo_->setTextCursor(c);
}

bool TCustomMaskEdit::ReadOnly() const { return TCustomEdit::ReadOnly(); }

void TCustomMaskEdit::SetReadOnly(bool v)
{
    TCustomEdit::SetReadOnly(v);
    if (memo_) memo_->setReadOnly(v);
}

bool TCustomMaskEdit::Modified() const
{
    return wordWrap_ ? memo_->document()->isModified() : TCustomEdit::Modified();
}

void TCustomMaskEdit::SetModified(bool v)
{
    if (wordWrap_)
        memo_->document()->setModified(v);
    else
        TCustomEdit::SetModified(v);
}

// ---- mask ----

void TCustomMaskEdit::SetEditMask(const std::string& mask)
{
    if (mask == mask_.GetMask()) return;
    const std::string value = Text();
    const bool modified = Modified();
    ++internal_;
    mask_.SetMask(mask);
    EditWindow()->setText(QString());
    TCustomMaskEdit::SetText(value);
    --internal_;
    SetModified(modified);
}

std::string TCustomMaskEdit::blankSelection(const std::string& display, int start, int length) const
{
    std::string work = display;
    for (int i = start; i < start + length && i < static_cast<int>(work.size()); ++i)
        if (!mask_.IsLiteral(i)) work[i] = mask_.BlankChar();
    return work;
}

void TCustomMaskEdit::maskCommit(const std::string& display, int caret)
{
    EditWindow()->setText(ToQString(display));
    EditWindow()->setCursorPosition(std::clamp(caret, 0, static_cast<int>(display.size())));
    SetModified(true);
}

void TCustomMaskEdit::maskInsert(const std::string& chars, bool user)
{
    const std::string display = EditText();
    const int start = SelStart();
    std::string work = blankSelection(display, start, SelLength());
    int pos = start;
    bool typed = false;
    for (char ch : chars) {
        const int p = mask_.NextEditable(pos);
        if (p >= mask_.Length()) break;
        const char c = mask_.Accept(p, ch);
        // A refused character of a paste is passed over; a single typed one is refused.
        if (!c) continue;
        work[p] = c;
        pos = p + 1;
        typed = true;
    }
    if (!typed) {
        if (user) MessageBeep();
        return;
    }
    maskCommit(work, std::min(mask_.NextEditable(pos), mask_.Length()));
}

bool TCustomMaskEdit::maskBlankSelection()
{
    if (SelLength() == 0) return false;
    const int start = SelStart();
    maskCommit(blankSelection(EditText(), start, SelLength()), start);
    return true;
}

void TCustomMaskEdit::maskBackspace()
{
    if (maskBlankSelection()) return;
    const int p = mask_.PriorEditable(SelStart() - 1);
    if (p < 0) return;
    std::string work = EditText();
    work[p] = mask_.BlankChar();
    maskCommit(work, p);
}

void TCustomMaskEdit::maskDelete()
{
    if (maskBlankSelection()) return;
    const int start = SelStart();
    const int p = mask_.NextEditable(start);
    if (p >= mask_.Length()) return;
    std::string work = EditText();
    work[p] = mask_.BlankChar();
    maskCommit(work, start);
}

void TCustomMaskEdit::ValidateEdit()
{
    if (!IsMasked() || !Modified()) return;
    const int missing = mask_.FirstMissing(EditText());
    if (missing < 0) return;
    if (!Focused() && CanFocus()) SetFocus();
    SetSelStart(missing);
    MessageBeep();
    throw EDBEditError(kMaskEditError);
}

void TCustomMaskEdit::Reset()
{
    if (!Modified()) return;
    ++internal_;
    if (wordWrap_) memo_->setPlainText(ToQString(ToBoxBreaks(resetText_)));
    else EditWindow()->setText(ToQString(resetText_));
    --internal_;
    SetModified(false);
    // The text changed back: those who follow it hear so.
    Change();
}

void TCustomMaskEdit::DoEnter()
{
    rememberResetText();
    TCustomEdit::DoEnter();
}

void TCustomMaskEdit::Change()
{
    if (internal_ == 0) TCustomEdit::Change();
}

// ---- multi-line box ----

void TCustomMaskEdit::SetWordWrap(bool v)
{
    if (v == wordWrap_) return;
    const std::string text = Text();
    const bool modified = Modified();
    const bool hadFocus = Focused();
    ++internal_;
    if (v && !memo_) {
        memo_ = new TMemoBox(this);
        memo_->setReadOnly(ReadOnly());
        QObject::connect(memo_, &QPlainTextEdit::textChanged, this, [this] { Guarded([this] { Change(); }); });
    }
    wordWrap_ = v;
    // The new box holds the text, and takes the focus, before the old one goes.
    TCustomMaskEdit::SetText(text);
    QWidget* box = v ? static_cast<QWidget*>(memo_) : EditWindow();
    if (v) {
        applyMemoLook();
        PlaceTextBoxes();
        UpdateCaret();
    }
    box->show();
    setFocusProxy(box);
    if (hadFocus && box->isVisible()) box->setFocus(Qt::OtherFocusReason);
    if (v) SetEditWindowVisible(false);
    else memo_->hide();
    --internal_;
    SetModified(modified);
    if (hadFocus && !Focused() && CanFocus()) SetFocus();
}

void TCustomMaskEdit::PlaceTextBoxes()
{
    TCustomEdit::PlaceTextBoxes();
    if (!memo_) return;
    const TRect r = EditRect();
    const TPoint off = ClientOffset();
    memo_->setGeometry(r.Left + off.X, r.Top + off.Y, std::max(0, r.Width()), std::max(0, r.Height()));
}

void TCustomMaskEdit::applyMemoLook()
{
    if (!memo_) return;
    memo_->setFont(Font().ToQFont());
    memo_->setPalette(EditWindow()->palette());
    QTextOption option = memo_->document()->defaultTextOption();
    const TAlignment a = TextAlignment();
    // clang-format off
    option.setAlignment(a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft);
    // clang-format on
    memo_->document()->setDefaultTextOption(option);
}

void TCustomMaskEdit::SetTextAlignment(TAlignment a)
{
    TCustomEdit::SetTextAlignment(a);
    applyMemoLook();
}

void TCustomMaskEdit::UpdateCaret()
{
    TCustomEdit::UpdateCaret();
    if (memo_) memo_->setCursorWidth(CaretVisible() ? 1 : 0);
}

void TCustomMaskEdit::PlaceCaretAt(QWidget* box, const QPoint& pos)
{
    if (memo_ && box == memo_->viewport())
        memo_->setTextCursor(memo_->cursorForPosition(pos));
    else
        TCustomEdit::PlaceCaretAt(box, pos);
}

int TCustomMaskEdit::LineCount() const
{
    if (!wordWrap_) return 1;
    int lines = 0;
    for (QTextBlock b = memo_->document()->begin(); b.isValid(); b = b.next())
        lines += std::max(1, b.layout() ? b.layout()->lineCount() : 1);
    return lines;
}

int TCustomMaskEdit::CaretLine() const
{
    if (!wordWrap_) return 0;
    const QTextCursor c = memo_->textCursor();
    const QTextBlock caretBlock = c.block();
    int line = 0;
    for (QTextBlock b = memo_->document()->begin(); b.isValid() && b != caretBlock; b = b.next())
        line += std::max(1, b.layout() ? b.layout()->lineCount() : 1);
    if (QTextLayout* layout = caretBlock.layout(); layout && layout->lineCount() > 0) {
        const QTextLine l = layout->lineForTextPosition(c.positionInBlock());
        if (l.isValid()) line += l.lineNumber();
    }
    return line;
}

bool TCustomMaskEdit::memoEvent(QEvent* e)
{
    if (FilterBoxEvent(memo_, e)) return true;
    return InnerWidgetEvent(memo_, e, [this](QEvent* ev) { return memoDefaultEvent(ev); });
}

bool TCustomMaskEdit::memoViewportEvent(QEvent* e)
{
    QWidget* viewport = memo_->viewport();
    if (FilterBoxEvent(viewport, e)) return true;
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        // A press inside the selection would start dragging it out of the box (and
        // remove it there): the press places the caret instead.
        if (auto* m = static_cast<QMouseEvent*>(e); m->button() == Qt::LeftButton && memo_->textCursor().hasSelection()
                                                    && !WithheldFromTextBox(e))
            memo_->setTextCursor(memo_->cursorForPosition(m->position().toPoint()));
        [[fallthrough]];
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return InnerWidgetEvent(viewport, e, [this](QEvent* ev) {
            return WithheldFromTextBox(ev) || memo_->BaseViewportEvent(ev);
        });
    default:
        return memo_->BaseViewportEvent(e);
    }
}

// What the multi-line box itself does with an event that passed the control's hooks.
bool TCustomMaskEdit::memoDefaultEvent(QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (ClipboardShortcut(*k)) return true;
        const QString text = k->text();
        // A Tab the control lets through is typed, through the same gate as any character.
        const bool typedKey = k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter || k->key() == Qt::Key_Tab;
        if (!text.isEmpty() && (text.at(0).isPrint() || typedKey)) {
            std::string typed;
            for (QChar c : text)
                if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) typed += '\r';
                else if (const char ch = FromQChar(c)) typed += ch;
            InsertTyped(typed);
            return true;
        }
        if (KeyDeletesText(*k) && !CanChangeText()) return true;
    }
    return memo_->BaseEvent(e);
}

void TCustomMaskEdit::memoInsert(const std::string& text)
{
    // Typed or pasted text keeps within MaxLength; a line break counts two characters.
    std::string typed = text;
    const int room = RoomLeft(static_cast<int>(EditText().size()), static_cast<int>(SelText().size()));
    std::string kept;
    int used = 0;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        const bool lineBreak = typed[i] == '\r' || typed[i] == '\n';
        const int cost = lineBreak ? 2 : 1;
        if (used + cost > room) break;
        used += cost;
        kept += lineBreak ? '\n' : typed[i];
        if (typed[i] == '\r' && i + 1 < typed.size() && typed[i + 1] == '\n') ++i;
    }
    if (!kept.empty()) memo_->insertPlainText(ToQString(ApplyCase(kept)));
}

// ---- typing ----

void TCustomMaskEdit::InsertTyped(const std::string& text)
{
    if (!wordWrap_ && !IsMasked()) {
        TCustomEdit::InsertTyped(text);
        return;
    }
    if (text.empty() || !CanChangeText()) return;
    if (IsMasked()) {
        if (text == "\b") maskBackspace();
        else maskInsert(text, true);
        return;
    }
    if (text == "\b") {
        QTextCursor c = memo_->textCursor();
        if (c.hasSelection())
            c.removeSelectedText();
        else
            c.deletePreviousChar();
        memo_->setTextCursor(c);
        return;
    }
    memoInsert(text);
}

void TCustomMaskEdit::KeyDown(Word& key, TShiftState shift)
{
    TCustomEdit::KeyDown(key, shift);
    if (key != VK_DELETE || !IsMasked()) return;
    key = 0;
    if (CanChangeText()) maskDelete();
}

void TCustomMaskEdit::KeyPress(char& key)
{
    TCustomEdit::KeyPress(key);
    if (key == 0 || !IsMasked()) return;
    const auto ch = static_cast<unsigned char>(key);
    if (ch == 27) {
        if (Modified()) {
            Reset();
            key = 0;
        }
        return;
    }
    if (ch != 8 && ch < 32) return;
    InsertTyped(std::string(1, key));
    key = 0;
}

// ---- clipboard ----

void TCustomMaskEdit::PasteFromClipboard()
{
    if (!wordWrap_ && !IsMasked()) {
        TCustomEdit::PasteFromClipboard();
        return;
    }
    if (!CanChangeText()) return;
    std::string text = Clipboard().AsText();
    if (IsMasked()) {
        if (auto eol = text.find_first_of("\r\n"); eol != std::string::npos) text.resize(eol);
        if (!text.empty()) maskInsert(text, true);
        return;
    }
    memoInsert(text);
}

void TCustomMaskEdit::CopyToClipboard()
{
    if (wordWrap_) {
        if (memo_->textCursor().hasSelection()) Clipboard().SetAsText(SelText());
        return;
    }
    TCustomEdit::CopyToClipboard();
}

void TCustomMaskEdit::CutToClipboard()
{
    if (!wordWrap_ && !IsMasked()) {
        TCustomEdit::CutToClipboard();
        return;
    }
    if (SelLength() == 0 || !CanChangeText()) return;
    Clipboard().SetAsText(SelText());
    ClearText();
}

void TCustomMaskEdit::ClearText()
{
    if (!CanChangeText()) return;
    if (IsMasked()) {
        maskBlankSelection();
        return;
    }
    if (wordWrap_) {
        memo_->textCursor().removeSelectedText();
        return;
    }
    TCustomEdit::ClearText();
}

void TCustomMaskEdit::Undo()
{
    if (!wordWrap_) {
        TCustomEdit::Undo();
        return;
    }
    if (CanChangeText()) memo_->undo();
}

// ---- look and focus ----

void TCustomMaskEdit::FontChanged()
{
    TCustomEdit::FontChanged();
    applyMemoLook();
}

void TCustomMaskEdit::ColorChanged()
{
    TCustomEdit::ColorChanged();
    applyMemoLook();
}

void TCustomMaskEdit::EnabledChanged()
{
    TCustomEdit::EnabledChanged();
    applyMemoLook();
}

bool TCustomMaskEdit::CanFocus() const
{
    if (!wordWrap_) return TCustomEdit::CanFocus();
    return memo_->isEnabled() && isVisible() && isEnabled();
}

bool TCustomMaskEdit::Focused() const
{
    return wordWrap_ ? memo_->hasFocus() : TCustomEdit::Focused();
}

} // namespace ui
