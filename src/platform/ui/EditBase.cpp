#include "platform/ui/EditBase.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/QtText.h"

namespace ui {

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
    QObject::connect(window_, &QLineEdit::textChanged, this, [this] { Guarded([this] { Change(); }); });
    SetBounds(Left(), Top(), 121, 21);
    window_->show();
    applyPalette();
    placeEditWindow();
}

TCustomEdit::~TCustomEdit()
{
    Destroying();
    window_->Detach();
}

QLineEdit* TCustomEdit::EditWindow() const { return window_; }

bool TCustomEdit::editWindowEvent(QEvent* e)
{
    return InnerWidgetEvent(window_, e, [this](QEvent* ev) { return editDefaultEvent(ev); });
}

int TCustomEdit::roomLeft() const
{
    if (maxLength_ == 0) return INT_MAX;
    return std::max(0, maxLength_ - static_cast<int>(window_->text().size()) + static_cast<int>(window_->selectedText().size()));
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

// What the text box itself does with an event that passed the control's hooks.
bool TCustomEdit::editDefaultEvent(QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (ClipboardShortcut(*k)) return true;
        const QString text = k->text();
        if (!text.isEmpty() && text.at(0).isPrint() && roomLeft() == 0) return true;
    }
    return window_->BaseEvent(e);
}

// ---- text and selection ----

std::string TCustomEdit::applyCase(const std::string& s) const
{
    switch (charCase_) {
    case ecUpperCase: return rtl::AnsiUpperCase(s);
    case ecLowerCase: return rtl::AnsiLowerCase(s);
    case ecNormal: break;
    }
    return s;
}

std::string TCustomEdit::Text() const { return FromQString(window_->text()); }

void TCustomEdit::SetText(const std::string& text)
{
    const QString q = ToQString(applyCase(text));
    if (q == window_->text()) return;
    window_->setText(q);
}

int TCustomEdit::SelStart() const
{
    return window_->hasSelectedText() ? window_->selectionStart() : window_->cursorPosition();
}

void TCustomEdit::SetSelStart(int v) { window_->setCursorPosition(std::clamp(v, 0, static_cast<int>(window_->text().size()))); }

int TCustomEdit::SelLength() const { return window_->hasSelectedText() ? window_->selectionLength() : 0; }

void TCustomEdit::SetSelLength(int v)
{
    const int start = SelStart();
    const int len = std::clamp(v, 0, static_cast<int>(window_->text().size()) - start);
    if (len == 0)
        window_->setCursorPosition(start);
    else
        window_->setSelection(start, len);
}

std::string TCustomEdit::SelText() const { return FromQString(window_->selectedText()); }

void TCustomEdit::SetSelText(const std::string& text) { window_->insert(ToQString(applyCase(text))); }

void TCustomEdit::SelectAll() { window_->selectAll(); }

void TCustomEdit::ClearSelection() { window_->deselect(); }

bool TCustomEdit::ReadOnly() const { return window_->isReadOnly(); }
void TCustomEdit::SetReadOnly(bool v) { window_->setReadOnly(v); }
bool TCustomEdit::Modified() const { return window_->isModified(); }
void TCustomEdit::SetModified(bool v) { window_->setModified(v); }
bool TCustomEdit::CanUndo() const { return window_->isUndoAvailable(); }

void TCustomEdit::SetCharCase(TEditCharCase v)
{
    if (charCase_ == v) return;
    charCase_ = v;
    if (v != ecNormal) {
        const bool modified = Modified();
        SetText(Text());
        SetModified(modified);
    }
}

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
    Qt::Alignment h = a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
    window_->setAlignment(h | Qt::AlignVCenter);
}

// ---- layout ----

TRect TCustomEdit::EditRect() const { return editRectSet_ ? editRect_ : ClientRect(); }

void TCustomEdit::SetEditRect(const TRect& r)
{
    editRectSet_ = !r.IsEmpty();
    editRect_ = r;
    placeEditWindow();
}

void TCustomEdit::SetMargins(int left, int right)
{
    leftMargin_ = left;
    rightMargin_ = right;
    window_->setTextMargins(left, 0, right, 0);
}

void TCustomEdit::placeEditWindow()
{
    const TRect r = EditRect();
    const TPoint off = ClientOffset();
    window_->setGeometry(r.Left + off.X, r.Top + off.Y, std::max(0, r.Width()), std::max(0, r.Height()));
}

void TCustomEdit::SetEditWindowVisible(bool v) { window_->setVisible(v); }

void TCustomEdit::Resize()
{
    TControl::Resize();
    placeEditWindow();
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
    if (autoSelect_ && !(QGuiApplication::mouseButtons() & Qt::LeftButton)) SelectAll();
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
    if (ReadOnly()) return;
    std::string text = Clipboard().AsText();
    // A single-line box takes the first line only.
    if (auto eol = text.find_first_of("\r\n"); eol != std::string::npos) text.resize(eol);
    const int room = roomLeft();
    if (static_cast<int>(text.size()) > room) text.resize(static_cast<std::size_t>(room));
    window_->insert(ToQString(applyCase(text)));
}

void TCustomEdit::CopyToClipboard()
{
    if (passwordChar_ != 0 || !window_->hasSelectedText()) return;
    Clipboard().SetAsText(SelText());
}

void TCustomEdit::CutToClipboard()
{
    if (ReadOnly() || passwordChar_ != 0 || !window_->hasSelectedText()) return;
    Clipboard().SetAsText(SelText());
    window_->insert(QString());
}

void TCustomEdit::Undo() { window_->undo(); }

void TCustomEdit::ClearText()
{
    if (!ReadOnly()) window_->insert(QString());
}

} // namespace ui
