#include "platform/ui/InplaceEdit.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

#include "platform/ui/Application.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Grids.h"
#include "platform/ui/QtText.h"

namespace ui {

namespace {

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

// The multi-line text box: every event goes to its control first, as the edit base's
// single-line box does.
class TInplaceEdit::TMemoBox : public QPlainTextEdit {
public:
    explicit TMemoBox(TInplaceEdit* owner) : QPlainTextEdit(owner), owner_(owner)
    {
        setFrameStyle(QFrame::NoFrame);
        setLineWrapMode(QPlainTextEdit::WidgetWidth);
        setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setContextMenuPolicy(Qt::PreventContextMenu);
        document()->setDocumentMargin(0);
        viewport()->setMouseTracking(true);
    }
    bool BaseEvent(QEvent* e) { return QPlainTextEdit::event(e); }
    bool BaseViewportEvent(QEvent* e) { return QPlainTextEdit::viewportEvent(e); }

protected:
    // Until the owner holds the box (while it is being built) it handles its own events.
    bool event(QEvent* e) override { return owner_->memo_ == this ? owner_->memoEvent(e) : BaseEvent(e); }
    bool viewportEvent(QEvent* e) override
    {
        return owner_->memo_ == this ? owner_->memoViewportEvent(e) : BaseViewportEvent(e);
    }

private:
    TInplaceEdit* owner_;
};

TInplaceEdit::TInplaceEdit(TCustomGrid* grid) : TCustomEdit(grid), grid_(grid)
{
    SetBorderStyle(bsNone);
    SetTabStop(false);
    SetAutoSelect(false);
    // The text stands at the top of the cell as the grid draws it.
    EditWindow()->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Hide();
}

TInplaceEdit::~TInplaceEdit()
{
    // The box goes first, while the events it forwards still find a whole control.
    TMemoBox* box = memo_;
    memo_ = nullptr;
    delete box;
}

// ---- text and selection ----

std::string TInplaceEdit::EditText() const
{
    return wordWrap_ ? FromBoxBreaks(BoxText(memo_)) : FromQString(EditWindow()->text());
}

std::string TInplaceEdit::Text() const
{
    if (wordWrap_) return FromBoxBreaks(BoxText(memo_));
    if (IsMasked()) return mask_.ValueOf(EditText());
    return TCustomEdit::Text();
}

void TInplaceEdit::SetText(const std::string& text)
{
    if (wordWrap_) {
        const QString q = ToQString(ToBoxBreaks(text));
        if (q != memo_->toPlainText()) memo_->setPlainText(q);
        return;
    }
    if (IsMasked()) {
        const QString q = ToQString(mask_.FormatText(text));
        if (q != EditWindow()->text()) EditWindow()->setText(q);
        return;
    }
    TCustomEdit::SetText(text);
}

int TInplaceEdit::memoPosToText(int pos) const
{
    const QString t = memo_->toPlainText();
    int breaks = 0;
    for (int i = 0; i < pos && i < t.size(); ++i)
        if (t.at(i) == QLatin1Char('\n') || t.at(i) == QChar::LineSeparator) ++breaks;
    return pos + breaks;
}

int TInplaceEdit::textPosToMemo(int pos) const
{
    const std::string t = FromBoxBreaks(BoxText(memo_));
    int memoPos = 0;
    for (int i = 0; i < pos && i < static_cast<int>(t.size()); ++i)
        if (t[i] != '\r') ++memoPos;
    return memoPos;
}

int TInplaceEdit::SelStart() const
{
    if (!wordWrap_) return TCustomEdit::SelStart();
    return memoPosToText(memo_->textCursor().selectionStart());
}

void TInplaceEdit::SetSelStart(int v)
{
    if (!wordWrap_) {
        TCustomEdit::SetSelStart(v);
        return;
    }
    QTextCursor c = memo_->textCursor();
    c.setPosition(std::clamp(textPosToMemo(v), 0, static_cast<int>(memo_->toPlainText().size())));
    memo_->setTextCursor(c);
}

int TInplaceEdit::SelLength() const
{
    if (!wordWrap_) return TCustomEdit::SelLength();
    const QTextCursor c = memo_->textCursor();
    return memoPosToText(c.selectionEnd()) - memoPosToText(c.selectionStart());
}

void TInplaceEdit::SetSelLength(int v)
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

std::string TInplaceEdit::SelText() const
{
    if (!wordWrap_) return TCustomEdit::SelText();
    QString t = memo_->textCursor().selectedText();
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n')).replace(QChar::LineSeparator, QLatin1Char('\n'));
    return FromBoxBreaks(FromQString(t));
}

void TInplaceEdit::SetSelText(const std::string& text)
{
    if (wordWrap_) {
        memo_->insertPlainText(ToQString(ToBoxBreaks(text)));
    } else if (IsMasked()) {
        maskType(text);
    } else {
        TCustomEdit::SetSelText(text);
    }
}

void TInplaceEdit::SelectAll()
{
    if (wordWrap_)
        memo_->selectAll();
    else
        TCustomEdit::SelectAll();
}

void TInplaceEdit::Deselect()
{
    if (wordWrap_) {
        QTextCursor c = memo_->textCursor();
        c.movePosition(QTextCursor::End);
        memo_->setTextCursor(c);
    } else {
        EditWindow()->end(false);
    }
}

bool TInplaceEdit::ReadOnly() const { return TCustomEdit::ReadOnly(); }

void TInplaceEdit::SetReadOnly(bool v)
{
    TCustomEdit::SetReadOnly(v);
    if (memo_) memo_->setReadOnly(v);
}

bool TInplaceEdit::Modified() const
{
    return wordWrap_ ? memo_->document()->isModified() : TCustomEdit::Modified();
}

void TInplaceEdit::SetModified(bool v)
{
    if (wordWrap_)
        memo_->document()->setModified(v);
    else
        TCustomEdit::SetModified(v);
}

// ---- mask ----

void TInplaceEdit::SetEditMask(const std::string& mask)
{
    if (mask == mask_.GetMask()) return;
    const std::string value = Text();
    const bool modified = Modified();
    ++loading_;
    mask_.SetMask(mask);
    EditWindow()->setText(QString());
    SetText(value);
    --loading_;
    SetModified(modified);
}

std::string TInplaceEdit::blankSelection(const std::string& display, int start, int length) const
{
    std::string work = display;
    for (int i = start; i < start + length && i < static_cast<int>(work.size()); ++i)
        if (!mask_.IsLiteral(i)) work[i] = mask_.BlankChar();
    return work;
}

void TInplaceEdit::maskCommit(const std::string& display, int caret)
{
    EditWindow()->setText(ToQString(display));
    EditWindow()->setCursorPosition(std::clamp(caret, 0, static_cast<int>(display.size())));
    SetModified(true);
}

void TInplaceEdit::maskType(const std::string& chars)
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
        MessageBeep();
        return;
    }
    maskCommit(work, std::min(mask_.NextEditable(pos), mask_.Length()));
}

void TInplaceEdit::maskBackspace()
{
    const std::string display = EditText();
    const int start = SelStart(), length = SelLength();
    if (length > 0) {
        maskCommit(blankSelection(display, start, length), start);
        return;
    }
    const int p = mask_.PriorEditable(start - 1);
    if (p < 0) return;
    std::string work = display;
    work[p] = mask_.BlankChar();
    maskCommit(work, p);
}

void TInplaceEdit::maskDelete()
{
    const std::string display = EditText();
    const int start = SelStart(), length = SelLength();
    if (length > 0) {
        maskCommit(blankSelection(display, start, length), start);
        return;
    }
    const int p = mask_.NextEditable(start);
    if (p >= mask_.Length()) return;
    std::string work = display;
    work[p] = mask_.BlankChar();
    maskCommit(work, start);
}

// ---- multi-line box ----

void TInplaceEdit::SetWordWrap(bool v)
{
    if (v == wordWrap_) return;
    const std::string text = Text();
    const bool modified = Modified();
    const bool hadFocus = Focused();
    ++loading_;
    if (v && !memo_) {
        memo_ = new TMemoBox(this);
        memo_->setReadOnly(ReadOnly());
        QObject::connect(memo_, &QPlainTextEdit::textChanged, this, [this] { Guarded([this] { Change(); }); });
    }
    wordWrap_ = v;
    if (v) {
        applyMemoLook();
        placeMemo();
        SetEditWindowVisible(false);
        memo_->show();
        setFocusProxy(memo_);
    } else {
        memo_->hide();
        SetEditWindowVisible(true);
        setFocusProxy(EditWindow());
    }
    SetText(text);
    --loading_;
    SetModified(modified);
    if (hadFocus && CanFocus()) SetFocus();
}

void TInplaceEdit::placeMemo()
{
    if (!memo_) return;
    const TRect r = textRect_.IsEmpty() ? ClientRect() : textRect_;
    const TPoint off = ClientOffset();
    memo_->setGeometry(r.Left + off.X, r.Top + off.Y, std::max(0, r.Width()), std::max(0, r.Height()));
}

void TInplaceEdit::applyMemoLook()
{
    if (!memo_) return;
    memo_->setFont(Font().ToQFont());
    memo_->setPalette(EditWindow()->palette());
}

int TInplaceEdit::LineCount() const
{
    if (!wordWrap_) return 1;
    int lines = 0;
    for (QTextBlock b = memo_->document()->begin(); b.isValid(); b = b.next())
        lines += std::max(1, b.layout() ? b.layout()->lineCount() : 1);
    return lines;
}

int TInplaceEdit::CaretLine() const
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

bool TInplaceEdit::memoEvent(QEvent* e)
{
    return InnerWidgetEvent(memo_, e, [this](QEvent* ev) { return memoDefaultEvent(ev); });
}

bool TInplaceEdit::memoViewportEvent(QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return InnerWidgetEvent(memo_->viewport(), e, [this](QEvent* ev) { return memo_->BaseViewportEvent(ev); });
    default:
        return memo_->BaseViewportEvent(e);
    }
}

// What the multi-line box itself does with an event that passed the control's hooks.
bool TInplaceEdit::memoDefaultEvent(QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (ClipboardShortcut(*k)) return true;
        const QString text = k->text();
        const bool typing = !text.isEmpty() && (text.at(0).isPrint() || k->key() == Qt::Key_Return);
        if (typing && MaxLength() > 0
            && static_cast<int>(Text().size()) - static_cast<int>(SelText().size()) >= MaxLength())
            return true;
    }
    return memo_->BaseEvent(e);
}

// ---- clipboard ----

void TInplaceEdit::PasteFromClipboard()
{
    if (ReadOnly()) return;
    if (IsMasked()) {
        std::string text = Clipboard().AsText();
        if (auto eol = text.find_first_of("\r\n"); eol != std::string::npos) text.resize(eol);
        if (!text.empty()) maskType(text);
        return;
    }
    if (wordWrap_) {
        std::string text = Clipboard().AsText();
        if (MaxLength() > 0) {
            const int room = std::max(0, MaxLength() - static_cast<int>(Text().size())
                                             + static_cast<int>(SelText().size()));
            if (static_cast<int>(text.size()) > room) text.resize(static_cast<std::size_t>(room));
        }
        memo_->insertPlainText(ToQString(ToBoxBreaks(text)));
        return;
    }
    TCustomEdit::PasteFromClipboard();
}

void TInplaceEdit::CopyToClipboard()
{
    if (wordWrap_) {
        if (memo_->textCursor().hasSelection()) Clipboard().SetAsText(SelText());
        return;
    }
    TCustomEdit::CopyToClipboard();
}

void TInplaceEdit::CutToClipboard()
{
    if (ReadOnly()) return;
    if (IsMasked() || wordWrap_) {
        if (SelLength() == 0) return;
        Clipboard().SetAsText(SelText());
        ClearText();
        return;
    }
    TCustomEdit::CutToClipboard();
}

void TInplaceEdit::ClearText()
{
    if (ReadOnly()) return;
    if (IsMasked()) {
        if (SelLength() > 0) maskCommit(blankSelection(EditText(), SelStart(), SelLength()), SelStart());
        return;
    }
    if (wordWrap_) {
        memo_->textCursor().removeSelectedText();
        return;
    }
    TCustomEdit::ClearText();
}

void TInplaceEdit::Undo()
{
    if (wordWrap_)
        memo_->undo();
    else
        TCustomEdit::Undo();
}

// ---- the grid's side ----

void TInplaceEdit::UpdateContents()
{
    ++loading_;
    struct Done {
        int& n;
        ~Done() { --n; }
    } done{loading_};
    const int col = grid_->Col(), row = grid_->Row();
    SetText(std::string());
    SetEditMask(grid_->GetEditMask(col, row));
    SetText(grid_->GetEditText(col, row));
    SetMaxLength(grid_->GetEditLimit());
    SetModified(false);
}

void TInplaceEdit::UpdateLoc(const TRect& r)
{
    if (r.IsEmpty()) {
        // Scrolled away: the grid keeps the focus the edit had.
        if (Focused() && grid_->CanFocus()) grid_->SetFocus();
        Hide();
        return;
    }
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    Show();
    BoundsChanged();
}

void TInplaceEdit::Move(const TRect& r)
{
    UpdateLoc(r);
    Invalidate();
}

void TInplaceEdit::BoundsChanged() { SetTextRect({2, 2, Width() - 2, Height()}); }

void TInplaceEdit::SetTextRect(const TRect& r)
{
    textRect_ = r;
    SetEditRect(r);
    placeMemo();
}

void TInplaceEdit::insertTyped(const std::string& text)
{
    if (text == "\b") {
        if (wordWrap_) {
            QTextCursor c = memo_->textCursor();
            if (c.hasSelection())
                c.removeSelectedText();
            else
                c.deletePreviousChar();
            memo_->setTextCursor(c);
        } else if (EditWindow()->hasSelectedText()) {
            EditWindow()->del();
        } else {
            EditWindow()->backspace();
        }
        return;
    }
    if (MaxLength() > 0
        && static_cast<int>(Text().size()) - static_cast<int>(SelText().size()) + static_cast<int>(text.size())
            > MaxLength())
        return;
    if (wordWrap_)
        memo_->insertPlainText(ToQString(ToBoxBreaks(text)));
    else
        EditWindow()->insert(ToQString(text));
}

void TInplaceEdit::TypeChar(char ch)
{
    KeyPress(ch);
    if (ch == 0) return;
    insertTyped(std::string(1, ch));
}

// ---- keys and mouse ----

unsigned TInplaceEdit::DialogCode() const
{
    return DLGC_WANTARROWS | DLGC_WANTALLKEYS | ((grid_->Options() & goTabs) ? DLGC_WANTTAB : 0u);
}

void TInplaceEdit::KeyDown(Word& key, TShiftState shift)
{
    const TShiftState mods = shift & (ssShift | ssCtrl | ssAlt);
    const bool ctrl = mods & ssCtrl;
    const bool forward = grid_->Options() & goAlwaysShowEditor;
    const int length = static_cast<int>(EditText().size());
    const int start = SelStart(), selected = SelLength();
    const bool atStart = start == 0 && (selected == 0 || selected == length);
    const bool atEnd = start + selected == length && (selected == 0 || start == 0);
    auto toGrid = [&] {
        grid_->KeyDown(key, shift);
        key = 0;
    };
    switch (key) {
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_ESCAPE:
        toGrid();
        break;
    case VK_INSERT:
        if (mods == 0) toGrid();
        else if (mods == ssShift && !grid_->CanEditModify()) key = 0;
        break;
    case VK_LEFT:
    case VK_HOME:
        if (forward && (ctrl || atStart)) toGrid();
        break;
    case VK_RIGHT:
    case VK_END:
        if (forward && (ctrl || atEnd)) toGrid();
        break;
    case VK_F2:
        if (grid_->OnKeyDown) grid_->OnKeyDown(grid_, key, shift);
        if (key == VK_F2) {
            Deselect();
            key = 0;
        }
        return;
    case VK_TAB:
        if (!(mods & ssAlt)) toGrid();
        break;
    case VK_DELETE:
        if (ctrl) toGrid();
        else if (!grid_->CanEditModify()) key = 0;
        break;
    default:
        break;
    }
    if (key == 0) return;
    // The grid's OnKeyDown sees what is typed into its edit.
    if (grid_->OnKeyDown) grid_->OnKeyDown(grid_, key, shift);
    if (key == 0) return;
    if (key == VK_DELETE && !ctrl && IsMasked()) {
        maskDelete();
        key = 0;
        return;
    }
    TCustomEdit::KeyDown(key, shift);
}

void TInplaceEdit::KeyPress(char& key)
{
    grid_->DoKeyPress(key);
    const auto ch = static_cast<unsigned char>(key);
    if (ch >= 32 && !grid_->CanEditAcceptKey(key)) {
        key = 0;
        MessageBeep();
        return;
    }
    switch (ch) {
    case 0:
        return;
    case 9:
    case 27:
        key = 0;
        return;
    case 13:
        // The edit stays: Enter selects all, or drops a whole selection.
        if (SelStart() == 0 && SelLength() == static_cast<int>(EditText().size()))
            Deselect();
        else
            SelectAll();
        key = 0;
        return;
    case 10:
        // Ctrl+Enter: a line break in the multi-line box, nothing in a single line.
        if (wordWrap_ && grid_->CanEditModify()) insertTyped("\n");
        key = 0;
        return;
    case 8:
    case 22:
    case 24:
        if (!grid_->CanEditModify()) key = 0;
        break;
    default:
        if (ch >= 32 && !grid_->CanEditModify()) key = 0;
        break;
    }
    if (key == 0) return;
    TCustomEdit::KeyPress(key);
    if (key == 0 || !IsMasked()) return;
    if (key == 8) {
        maskBackspace();
        key = 0;
    } else if (static_cast<unsigned char>(key) >= 32) {
        maskType(std::string(1, key));
        key = 0;
    }
}

void TInplaceEdit::DblClick() { grid_->DblClick(); }

bool TInplaceEdit::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos)
{
    return grid_->DoMouseWheel(shift, wheelDelta, mousePos);
}

void TInplaceEdit::Change()
{
    TCustomEdit::Change();
    if (loading_ == 0) grid_->UpdateText();
}

void TInplaceEdit::Resize()
{
    TCustomEdit::Resize();
    placeMemo();
}

void TInplaceEdit::FontChanged()
{
    TCustomEdit::FontChanged();
    applyMemoLook();
}

void TInplaceEdit::ColorChanged()
{
    TCustomEdit::ColorChanged();
    applyMemoLook();
}

bool TInplaceEdit::CanFocus() const
{
    if (!wordWrap_) return TCustomEdit::CanFocus();
    return memo_->isEnabled() && isVisible() && isEnabled();
}

bool TInplaceEdit::Focused() const
{
    return wordWrap_ ? memo_->hasFocus() : TCustomEdit::Focused();
}

} // namespace ui
