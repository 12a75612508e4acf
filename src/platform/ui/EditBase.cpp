#include "platform/ui/EditBase.h"

#include <QApplication>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/InputState.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/QtText.h"

namespace ui {

namespace {

// A style that draws no text caret (the caret width is 0), for boxes whose caret is hidden.
QStyle* caretlessStyle()
{
    class TCaretlessStyle : public QProxyStyle {
    public:
        int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
        {
            if (metric == PM_TextCursorWidth) return 0;
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    };
    static QPointer<QStyle> style;
    if (!style) {
        style = new TCaretlessStyle;
        style->setParent(qApp);
    }
    return style;
}

} // namespace

// The text box: hands every event to its control first.
class TCustomEdit::TEditWindow : public QLineEdit {
public:
    explicit TEditWindow(TCustomEdit* owner) : QLineEdit(owner), owner_(owner)
    {
        setFrame(false);
        setContextMenuPolicy(Qt::PreventContextMenu);
        setMouseTracking(true);
    }
    bool BaseEvent(QEvent* e) { return QLineEdit::event(e); }
    // The control is going away: from now on the text box handles its events alone.
    void Detach() { owner_ = nullptr; }

protected:
    bool event(QEvent* e) override { return owner_ ? owner_->editWindowEvent(e) : QLineEdit::event(e); }
    void paintEvent(QPaintEvent* e) override
    {
        if (owner_ && owner_->PaintUnfocusedText(this, hasFocus())) return;
        QLineEdit::paintEvent(e);
    }

private:
    TCustomEdit* owner_;
};

TCustomEdit::TCustomEdit(TControl* parent) : TControl(parent), window_(new TEditWindow(this))
{
    SetBorderStyle(bsSingle);
    SetColor(clWindow);
    SetTabStop(true);
    setFocusProxy(window_);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    window_->setMaxLength(32767);
    window_->setAcceptDrops(false);
    window_->setDragEnabled(false);
    QObject::connect(window_, &QLineEdit::textChanged, this, [this] {
        // A deferred text reaching the box was announced when it was set.
        if (!flushing_) Guarded([this] { Change(); });
    });
    SetBounds(Left(), Top(), 121, 21);
    window_->show();
    applyPalette();
    PlaceTextBoxes();
}

TCustomEdit::~TCustomEdit()
{
    Destroying();
    window_->Detach();
}

QLineEdit* TCustomEdit::EditWindow() const { return box(); }

QLineEdit* TCustomEdit::box() const
{
    flushText();
    return window_;
}

void TCustomEdit::flushText() const
{
    if (!textPending_ || flushing_) return;
    flushing_ = true;
    textPending_ = false;
    window_->setText(pendingText_);
    window_->setModified(pendingModified_);
    pendingText_.clear();
    flushing_ = false;
}

bool TCustomEdit::editWindowEvent(QEvent* e)
{
    flushText();
    if (FilterBoxEvent(window_, e)) return true;
    return InnerWidgetEvent(window_, e, [this](QEvent* ev) { return editDefaultEvent(ev); });
}

int TCustomEdit::RoomLeft(int textLength, int selectedLength) const
{
    if (maxLength_ == 0) return INT_MAX;
    return std::max(0, maxLength_ - textLength + selectedLength);
}

bool TCustomEdit::CanChangeText() { return !ReadOnly() && EditCanModify(); }

bool TCustomEdit::KeyDeletesText(const QKeyEvent& k)
{
    return k.key() == Qt::Key_Backspace || k.key() == Qt::Key_Delete || k.matches(QKeySequence::DeleteStartOfWord)
           || k.matches(QKeySequence::DeleteEndOfWord) || k.matches(QKeySequence::DeleteEndOfLine)
           || k.matches(QKeySequence::DeleteCompleteLine);
}

bool TCustomEdit::ClipboardShortcut(const QKeyEvent& k)
{
    if (k.matches(QKeySequence::Paste)) PasteFromClipboard();
    else if (k.matches(QKeySequence::Cut)) CutToClipboard();
    else if (k.matches(QKeySequence::Copy)) CopyToClipboard();
    else if (k.matches(QKeySequence::Undo)) Undo();
    else if (!k.matches(QKeySequence::Redo)) return false;
    return true;
}

bool TCustomEdit::FilterBoxEvent(QWidget* box, QEvent* e)
{
    switch (e->type()) {
    case QEvent::InputMethod: {
        auto* im = static_cast<QInputMethodEvent*>(e);
        const QString commit = im->commitString();
        if (commit.isEmpty() && im->replacementLength() == 0) return false; // composing: the box shows it
        // The committed characters are typed one by one, through KeyPress; the
        // composition that goes on (if any) is left to the box.
        QPointer<TCustomEdit> self(this);
        Guarded([&] {
            for (QChar c : commit) {
                if (const char ch = FromQChar(c)) TypeChar(ch);
                if (!self) return;
            }
        });
        if (!self) return true;
        QInputMethodEvent rest(im->preeditString(), im->attributes());
        QCoreApplication::sendEvent(box, &rest);
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        // Dropped text would enter around every hook: the box takes no drops.
        e->ignore();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() != Qt::MiddleButton) return false;
        // The hooks see the button; the box never does (it would paste the X11
        // selection itself). A release pastes the selection through PasteFromClipboard.
        const bool release = e->type() == QEvent::MouseButtonRelease;
        const QPoint at = m->position().toPoint();
        InnerWidgetEvent(box, e, [](QEvent*) { return true; });
        if (release && box->rect().contains(at) && SelectionClipboardSupported() && TextBoxTakesMouseButtons()) {
            Guarded([&] {
                if (!Focused() && CanFocus()) SetFocus();
                PlaceCaretAt(box, at);
                TSelectionClipboardScope selection;
                PasteFromClipboard();
            });
        }
        return true;
    }
    default:
        return false;
    }
}

bool TCustomEdit::WithheldFromTextBox(const QEvent* e) const
{
    const QEvent::Type t = e->type();
    const bool button = t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease
                        || t == QEvent::MouseButtonDblClick;
    return button && !TextBoxTakesMouseButtons();
}

// What the text box itself does with an event that passed the control's hooks.
bool TCustomEdit::editDefaultEvent(QEvent* e)
{
    if (WithheldFromTextBox(e)) return true;
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (ClipboardShortcut(*k)) return true;
        const QString text = k->text();
        if (!text.isEmpty() && text.at(0).isPrint()) {
            std::string typed;
            for (QChar c : text)
                if (const char ch = FromQChar(c)) typed += ch;
            if (!typed.empty()) InsertTyped(typed);
            return true;
        }
        if (KeyDeletesText(*k) && (!BoxEditsFreely() || !CanChangeText())) return true;
    }
    return window_->BaseEvent(e);
}

void TCustomEdit::PlaceCaretAt(QWidget* box, const QPoint& pos)
{
    if (box != window_) return;
    flushText();
    window_->setCursorPosition(window_->cursorPositionAt(pos));
}

void TCustomEdit::TypeChar(char ch)
{
    KeyPress(ch);
    if (ch != 0) InsertTyped(std::string(1, ch));
}

void TCustomEdit::InsertTyped(const std::string& text)
{
    if (text.empty() || !CanChangeText()) return;
    if (text == "\b") {
        if (box()->hasSelectedText())
            box()->del();
        else
            box()->backspace();
        return;
    }
    std::string typed;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 32) typed += c;
    const int room = RoomLeft(static_cast<int>(box()->text().size()), static_cast<int>(box()->selectedText().size()));
    if (static_cast<int>(typed.size()) > room) typed.resize(static_cast<std::size_t>(room));
    if (!typed.empty()) box()->insert(ToQString(ApplyCase(typed)));
}

// ---- text and selection ----

std::string TCustomEdit::ApplyCase(const std::string& s) const
{
    switch (charCase_) {
    case ecUpperCase: return rtl::AnsiUpperCase(s);
    case ecLowerCase: return rtl::AnsiLowerCase(s);
    case ecNormal: break;
    }
    return s;
}

std::string TCustomEdit::Text() const { return FromQString(textPending_ ? pendingText_ : window_->text()); }

void TCustomEdit::SetText(const std::string& text)
{
    QString q = ToQString(ApplyCase(text));
    if (q == (textPending_ ? pendingText_ : window_->text())) return;
    if (window_->hasFocus()) {
        box()->setText(q);
        return;
    }
    pendingText_ = std::move(q);
    textPending_ = true;
    pendingModified_ = false;
    window_->update();
    Guarded([this] { Change(); }); // as the box's change notice would
}

int TCustomEdit::SelStart() const
{
    return box()->hasSelectedText() ? box()->selectionStart() : box()->cursorPosition();
}

void TCustomEdit::SetSelStart(int v) { box()->setCursorPosition(std::clamp(v, 0, static_cast<int>(box()->text().size()))); }

int TCustomEdit::SelLength() const { return box()->hasSelectedText() ? box()->selectionLength() : 0; }

void TCustomEdit::SetSelLength(int v)
{
    const int start = SelStart();
    const int len = std::clamp(v, 0, static_cast<int>(box()->text().size()) - start);
    if (len == 0)
        box()->setCursorPosition(start);
    else
        box()->setSelection(start, len);
}

std::string TCustomEdit::SelText() const { return FromQString(box()->selectedText()); }

void TCustomEdit::SetSelText(const std::string& text) { box()->insert(ToQString(ApplyCase(text))); }

void TCustomEdit::SelectAll() { box()->selectAll(); }

void TCustomEdit::ClearSelection() { box()->deselect(); }

bool TCustomEdit::ReadOnly() const { return window_->isReadOnly(); }
void TCustomEdit::SetReadOnly(bool v) { window_->setReadOnly(v); }
bool TCustomEdit::Modified() const { return textPending_ ? pendingModified_ : window_->isModified(); }

void TCustomEdit::SetModified(bool v)
{
    if (textPending_) pendingModified_ = v;
    else window_->setModified(v);
}
bool TCustomEdit::CanUndo() const { return box()->isUndoAvailable(); }

void TCustomEdit::SetCharCase(TEditCharCase v)
{
    if (charCase_ == v) return;
    charCase_ = v;
    if (v != ecNormal) {
        const bool modified = Modified();
        ApplyCaseToText();
        SetModified(modified);
    }
}

void TCustomEdit::ApplyCaseToText() { TCustomEdit::SetText(TCustomEdit::Text()); }

void TCustomEdit::SetPasswordChar(char c)
{
    if (passwordChar_ == c) return;
    passwordChar_ = c;
    if (c == 0) {
        window_->setEchoMode(QLineEdit::Normal);
        window_->setStyleSheet(QString());
    } else {
        const QString glyph = ToQString(std::string_view(&c, 1));
        window_->setEchoMode(QLineEdit::Password);
        window_->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: %1; }").arg(glyph.at(0).unicode()));
    }
}

void TCustomEdit::SetTextAlignment(TAlignment a)
{
    alignment_ = a;
    // clang-format off
    const Qt::Alignment h = a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
    // clang-format on
    window_->setAlignment(h | (window_->alignment() & Qt::AlignVertical_Mask));
}

// ---- caret, height and the unfocused text ----

void TCustomEdit::SetCaretVisible(bool v)
{
    if (caretVisible_ == v) return;
    caretVisible_ = v;
    UpdateCaret();
}

void TCustomEdit::UpdateCaret() { window_->setStyle(caretVisible_ ? nullptr : caretlessStyle()); }

int TCustomEdit::FontHeight() const { return QFontMetrics(Font().ToQFont()).height(); }

void TCustomEdit::SetAutoSize(bool v)
{
    if (autoSize_ == v) return;
    autoSize_ = v;
    if (v && BorderStyle() == bsSingle) AdjustHeight();
}

void TCustomEdit::AdjustHeight()
{
    SetHeight(FontHeight() + (Ctl3D() ? 8 : 6) * Metrics().BorderHeight);
}

bool TCustomEdit::UnfocusedText(std::string&) const { return false; }

void TCustomEdit::UpdateUnfocusedText() { window_->update(); }

bool TCustomEdit::PaintUnfocusedText(QWidget* surface, bool boxFocused)
{
    if (boxFocused) return false;
    std::string text;
    bool shown = false;
    Guarded([&] { shown = UnfocusedText(text); });
    if (!shown) return false;
    QPainter p(surface);
    p.fillRect(surface->rect(), ToQColor(Color()));
    p.setFont(Font().ToQFont());
    p.setPen(ToQColor(isEnabled() ? Font().Color() : clGrayText));
    if (passwordChar_ != 0) text.assign(text.size(), passwordChar_);
    // Where the box itself puts its text: inside its margins and 2 pixels in.
    const QRect r = surface->rect().adjusted(leftMargin_ + 2, 1, -(rightMargin_ + 2), -1);
    const TAlignment a = UnfocusedTextAlignment();
    // clang-format off
    const Qt::Alignment h = a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
    // clang-format on
    p.drawText(r, static_cast<int>(h | (window_->alignment() & Qt::AlignVertical_Mask)) | Qt::TextSingleLine,
               ToQString(text));
    return true;
}

// ---- layout ----

TRect TCustomEdit::EditRect() const { return editRectSet_ ? editRect_ : ClientRect(); }

void TCustomEdit::SetEditRect(const TRect& r)
{
    editRectSet_ = !r.IsEmpty();
    editRect_ = r;
    PlaceTextBoxes();
}

void TCustomEdit::SetMargins(int left, int right)
{
    leftMargin_ = left;
    rightMargin_ = right;
    window_->setTextMargins(left, 0, right, 0);
}

void TCustomEdit::PlaceTextBoxes()
{
    const TRect r = EditRect();
    const TPoint off = ClientOffset();
    window_->setGeometry(r.Left + off.X, r.Top + off.Y, std::max(0, r.Width()), std::max(0, r.Height()));
}

void TCustomEdit::SetEditWindowVisible(bool v) { window_->setVisible(v); }

void TCustomEdit::Resize()
{
    TControl::Resize();
    PlaceTextBoxes();
}

void TCustomEdit::applyPalette()
{
    QPalette p = window_->palette();
    p.setColor(QPalette::Base, ToQColor(Color()));
    p.setColor(QPalette::Window, ToQColor(Color()));
    p.setColor(QPalette::Text, ToQColor(Font().Color()));
    p.setColor(QPalette::Disabled, QPalette::Text, ToQColor(clGrayText));
    p.setColor(QPalette::Highlight, ToQColor(clHighlight));
    p.setColor(QPalette::HighlightedText, ToQColor(clHighlightText));
    window_->setPalette(p);
}

void TCustomEdit::FontChanged()
{
    TControl::FontChanged();
    window_->setFont(Font().ToQFont());
    applyPalette();
    if (autoSize_ && BorderStyle() == bsSingle) AdjustHeight();
}

void TCustomEdit::ColorChanged()
{
    TControl::ColorChanged();
    applyPalette();
}

void TCustomEdit::EnabledChanged()
{
    TControl::EnabledChanged();
    applyPalette();
}

// ---- focus and keys ----

bool TCustomEdit::CanFocus() const { return window_->isEnabled() && isVisible() && isEnabled(); }

bool TCustomEdit::Focused() const { return window_->hasFocus(); }

void TCustomEdit::DoEnter()
{
    if (autoSelect_ && !(MouseButtonsState() & ssLeft)) SelectAll();
    TControl::DoEnter();
}

void TCustomEdit::KeyPress(char& key)
{
    TControl::KeyPress(key);
    if (key == 0 || static_cast<unsigned char>(key) < 32) return;
    if (charCase_ == ecUpperCase) key = rtl::AnsiUpperChar(key);
    else if (charCase_ == ecLowerCase) key = rtl::AnsiLowerChar(key);
}

void TCustomEdit::Change()
{
    if (OnChange) OnChange(this);
}

// ---- clipboard ----

void TCustomEdit::PasteFromClipboard()
{
    if (!CanChangeText()) return;
    std::string text = Clipboard().AsText();
    // A single-line box takes the first line only.
    if (auto eol = text.find_first_of("\r\n"); eol != std::string::npos) text.resize(eol);
    const int room = RoomLeft(static_cast<int>(box()->text().size()), static_cast<int>(box()->selectedText().size()));
    if (static_cast<int>(text.size()) > room) text.resize(static_cast<std::size_t>(room));
    box()->insert(ToQString(ApplyCase(text)));
}

void TCustomEdit::CopyToClipboard()
{
    if (passwordChar_ != 0 || !box()->hasSelectedText()) return;
    Clipboard().SetAsText(SelText());
}

void TCustomEdit::CutToClipboard()
{
    if (passwordChar_ != 0 || !box()->hasSelectedText() || !CanChangeText()) return;
    Clipboard().SetAsText(SelText());
    box()->insert(QString());
}

void TCustomEdit::Undo()
{
    if (CanChangeText()) box()->undo();
}

void TCustomEdit::ClearText()
{
    if (CanChangeText()) box()->insert(QString());
}

} // namespace ui
