#pragma once
// Shared pieces of the edit base's tests: an editor on a shown form beside a second edit
// that takes the focus away, a memory data set to bind it to, keys typed into its box,
// and a grid stand-in that hosts it in place.
#include <memory>
#include <string>
#include <vector>

#include <QLineEdit>
#include <QTest>

#include "EditorsTestSupport.h"
#include "controls/editors/DBCtrlsEx.h"
#include "platform/db/DbTestSupport.h"
#include "platform/db/DataSource.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/MemDataSet.h"
#include "platform/rtl/SysUtils.h"

namespace editorstest {

// The edit base with its protected hooks in reach, recording the drop-down calls.
class TTestEdit : public editors::TCustomDBEditEx {
public:
    using TCustomDBEditEx::TCustomDBEditEx;
    using TCustomDBEditEx::ButtonEnabled;
    using TCustomDBEditEx::FocusedFlag;
    using TCustomDBEditEx::GetEditRect;
    using TCustomDBEditEx::MemoBox;

    std::vector<std::string> Calls;
    // DropDown marks a drop-down open, as a descendant with a window does.
    bool OpensDropDown = true;

    void DropDown() override
    {
        Calls.push_back("DropDown");
        TCustomDBEditEx::DropDown();
        if (OpensDropDown) SetDroppedDown(true);
    }
    void CloseUp(bool Accept) override
    {
        Calls.push_back(Accept ? "CloseUp accept" : "CloseUp cancel");
        TCustomDBEditEx::CloseUp(Accept);
        SetDroppedDown(false);
    }
};

// A grid stand-in: the holder interface, with the veto and a record of the calls.
class TTestHolder : public ui::TControl, public editors::IInplaceEditHolderEx {
public:
    using ui::TControl::TControl;

    bool CanModify = true;
    ui::Word SwallowKey = 0;
    ui::TPoint MouseDownPos;
    // The holder's last press, this long before the event being handled.
    int MouseDownAgo = 0;
    std::vector<std::string> Calls;

    bool InplaceEditCanModify(ui::TControl*) override
    {
        Calls.push_back("CanModify");
        return CanModify;
    }
    void GetMouseDownInfo(ui::TPoint& Pos, unsigned long& Time) override
    {
        Pos = MouseDownPos;
        Time = ui::GetMessageTime() - static_cast<unsigned long>(MouseDownAgo);
    }
    void InplaceEditWndProc(ui::TControl*, ui::TMessage& Message) override
    {
        if (Message.Msg == ui::WM_USER + 500) Message.Result = 1;
    }
    void InplaceEditKeyDown(ui::TControl*, ui::Word& Key, ui::TShiftState) override
    {
        Calls.push_back("KeyDown " + std::to_string(Key));
        if (Key == SwallowKey) Key = 0;
    }
    void InplaceEditKeyPress(ui::TControl*, char& Key) override { Calls.push_back(std::string("KeyPress ") + Key); }
    void InplaceEditKeyUp(ui::TControl*, ui::Word&, ui::TShiftState) override {}

protected:
    unsigned DialogCode() const override { return ui::DLGC_WANTTAB; }
};

// An editor and a second edit on the shown form; the editor has the focus.
class DBEditTest : public uitest::FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        form->SetBounds(50, 50, 400, 200);
        edit = new TTestEdit(form);
        edit->SetName("Editor");
        edit->SetBounds(10, 10, 150, 21);
        other = new ui::TCustomEdit(form);
        other->SetBounds(10, 100, 150, 21);
        uitest::ShowActive(form);
        edit->SetFocus();
    }
    void TearDown() override
    {
        delete form; // before the data set and source its editor is bound to
        form = nullptr;
        FormTest::TearDown();
    }

    // Binds the editor to a field of the records ID, NAME and AMOUNT (made on first use).
    db::TMemDataSet& Bind(const std::string& field, int rows = 3)
    {
        if (!data) data = dbtest::MakeRows(rows);
        source.SetDataSet(data.get());
        edit->SetDataSource(&source);
        edit->SetDataField(field);
        return *data;
    }

    QWidget* Box() const { return edit->EditWindow(); }
    void Type(const char* text) { QTest::keyClicks(Box(), text); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(Box(), key, modifiers); }
    // Moves the focus to the other edit and back.
    void Leave() { other->SetFocus(); }
    void Enter() { edit->SetFocus(); }

    rtl::TScopedFormatSettings numbers{'.', ','};
    std::unique_ptr<db::TMemDataSet> data;
    db::TDataSource source;
    TTestEdit* edit = nullptr;
    ui::TCustomEdit* other = nullptr;
};

} // namespace editorstest
