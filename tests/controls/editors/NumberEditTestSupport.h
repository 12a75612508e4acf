#pragma once
// Shared pieces of the numeric editor's tests: the editor on a shown form beside a second
// edit that takes the focus away, driven by keys, the wheel and the clipboard, under one
// of the two separator settings.
#include <string>

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include "EditorsTestSupport.h"
#include "controls/editors/DBNumberEditEx.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Clipboard.h"

namespace editorstest {

// The separators a test runs under.
struct TSeparators {
    char Decimal;
    char Thousands;
    const char* Name;
};

inline constexpr TSeparators kPointDecimal{'.', ',', "PointDecimal"};
inline constexpr TSeparators kCommaDecimal{',', '.', "CommaDecimal"};

// A number editor and a second edit on the shown form; the editor has the focus.
class NumberEditFixture : public uitest::FormTest {
protected:
    explicit NumberEditFixture(TSeparators separators)
        : separators_(separators), numbers_(separators.Decimal, separators.Thousands)
    {
    }

    void SetUp() override
    {
        FormTest::SetUp();
        form->SetBounds(50, 50, 400, 200);
        edit = new editors::TDBNumberEditEx(form);
        edit->SetName("Number");
        edit->SetBounds(10, 10, 150, 21);
        other = new ui::TCustomEdit(form);
        other->SetBounds(10, 100, 150, 21);
        uitest::ShowActive(form);
        edit->SetFocus();
    }
    void TearDown() override
    {
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        delete form; // before a data set its editor is bound to
        form = nullptr;
        FormTest::TearDown();
    }

    // A number text written with '.' decimals and ',' groups, as the running separators
    // write it.
    std::string L(std::string text) const
    {
        if (separators_.Decimal == '.') return text;
        // clang-format off
        for (char& c : text) c = c == '.' ? ',' : c == ',' ? '.' : c;
        // clang-format on
        return text;
    }

    QWidget* Box() const { return edit->EditWindow(); }
    void Type(const std::string& text) { QTest::keyClicks(Box(), QString::fromLatin1(text.c_str())); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(Box(), key, modifiers); }
    // Everything selected, then the text typed over it.
    void Retype(const std::string& text)
    {
        edit->SelectAll();
        Type(text);
    }
    void Paste(const std::string& text)
    {
        ui::Clipboard().SetAsText(text);
        Key(Qt::Key_V, Qt::ControlModifier);
    }
    // One notch of the wheel over the text: up for a positive delta.
    void Wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF at = QRectF(Box()->rect()).center();
        QWheelEvent e(at, Box()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(Box(), &e);
    }
    void Leave() { other->SetFocus(); }
    void Enter() { edit->SetFocus(); }
    rtl::Variant Value() const { return edit->GetValue(); }

    TSeparators separators_;
    rtl::TScopedFormatSettings numbers_;
    editors::TDBNumberEditEx* edit = nullptr;
    ui::TCustomEdit* other = nullptr;
};

} // namespace editorstest
