#pragma once
// A grid shown with a cell editor to drive: records with a date, numbers, a colour that
// a pick list offers, a state that a key pick list offers and a customer looked up in a
// second data set; keys typed into the editor, pictures of it with its open drop-down.
#include <algorithm>
#include <memory>
#include <string>

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "GridFixture.h"
#include "controls/editors/CalculatorEx.h"
#include "controls/editors/DropDownWindows.h"
#include "controls/grid/DBGridExInplaceEdit.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Metrics.h"
#include "support/Snapshot.h"

namespace inplacetest {

using namespace grid;

inline const rtl::TDateTime kMarch1 = rtl::EncodeDate(2024, 3, 1);

class InplaceEditTest : public uitest::UiTest {
protected:
    // Drop-downs are placed against this work area.
    uitest::TWorkAreaScope workArea{{0, 0, 1200, 900}};

    void SetUp() override
    {
        UiTest::SetUp();
        gridtest::OpenCustomers(Customers, {"Ann", "Bob", "Cid", "Bea"});

        Data.AddField<db::TIntegerField>("ID");
        Data.AddField<db::TStringField>("NAME", db::fkData, 20);
        Data.AddField<db::TFloatField>("AMOUNT");
        Data.AddField<db::TIntegerField>("QTY");
        Data.AddField<db::TDateField>("BORN");
        Data.AddField<db::TStringField>("COLOR", db::fkData, 10);
        Data.AddField<db::TStringField>("STATE", db::fkData, 1);
        Data.AddField<db::TIntegerField>("CUST");
        gridtest::AddCustomerLookup(Data, Customers);
        Data.Open();
        AddRow(1, "Row 1", 1.5, 10, kMarch1, "Red", "A", 1);
        AddRow(2, "Row 2", 3.0, 20, kMarch1 + 30, "Blue", "B", 2);
        AddRow(3, "Row 3", 4.5, 30, kMarch1 + 60, "Green", "C", 3);
        Data.First();
        Source.SetDataSet(&Data);
        Grid = std::make_unique<gridtest::TTestGrid>();
        Grid->SetBounds(40, 40, 560, 220);
        Grid->SetDataSource(&Source);
    }
    void TearDown() override
    {
        Grid.reset();
        UiTest::TearDown();
    }

    void AddRow(int id, const char* name, double amount, int qty, rtl::TDateTime born, const char* color,
                const char* state, int cust)
    {
        Data.Append();
        Data.FieldByName("ID")->SetAsInteger(id);
        Data.FieldByName("NAME")->SetAsString(name);
        Data.FieldByName("AMOUNT")->SetAsFloat(amount);
        Data.FieldByName("QTY")->SetAsInteger(qty);
        Data.FieldByName("BORN")->SetAsDateTime(born);
        Data.FieldByName("COLOR")->SetAsString(color);
        Data.FieldByName("STATE")->SetAsString(state);
        Data.FieldByName("CUST")->SetAsInteger(cust);
        Data.Post();
    }

    TColumnEx* AddColumn(const std::string& fieldName, int width = 110)
    {
        TColumnEx* column = Grid->Columns().Add();
        column->SetFieldName(fieldName);
        column->SetWidth(width);
        return column;
    }
    // COLOR with the pick list Red, Green, Blue, Black.
    TColumnEx* AddColorColumn()
    {
        TColumnEx* column = AddColumn("COLOR");
        SetLines(column->GetPickList(), {"Red", "Green", "Blue", "Black"});
        return column;
    }
    // STATE shown as Active, Blocked, Closed for the keys A, B, C.
    TColumnEx* AddStateColumn()
    {
        TColumnEx* column = AddColumn("STATE");
        SetLines(column->GetPickList(), {"Active", "Blocked", "Closed"});
        SetLines(column->GetKeyList(), {"A", "B", "C"});
        return column;
    }
    static void SetLines(rtl::TStrings& list, std::initializer_list<const char*> lines)
    {
        list.Clear();
        for (const char* line : lines) list.Add(line);
    }

    void Show()
    {
        uitest::ShowActive(Grid.get());
        Grid->SetFocus();
    }
    // Puts the current cell on a data column and shows the editor there.
    TDBGridInplaceEdit* Edit(int index)
    {
        Grid->SetSelectedIndex(index);
        Grid->ShowEditor();
        return Editor();
    }
    TDBGridInplaceEdit* Editor() const { return Grid->InplaceEdit(); }
    bool Open() const { return Editor() && Editor()->ListVisible() && Editor()->DropDownControl()->isVisible(); }
    void Key(Qt::Key key, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), key, m);
    }
    void Type(const char* text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    db::TField* F(const std::string& name) { return Data.FieldByName(name); }

    // A point of a control's client area, in its widget's coordinates.
    static QPoint At(const ui::TControl* control, ui::TPoint client)
    {
        const ui::TPoint offset = control->ClientOffset();
        return {client.X + offset.X, client.Y + offset.Y};
    }
    // A click on a control as the user makes it (a press and a release).
    static void Click(ui::TControl* control, ui::TPoint client)
    {
        QTest::mouseClick(control, Qt::LeftButton, {}, At(control, client));
    }
    void ClickMainButton()
    {
        editors::TEditButtonControlEx* button = Editor()->EditButtonControl(0);
        Click(button, {button->Width() / 2, button->Height() / 4});
    }

    // The grid and, while one is open, the drop-down below the editor.
    QImage Picture() const
    {
        const ui::TControl* dropDown = Open() ? Editor()->DropDownControl() : nullptr;
        if (!dropDown && Editor() && Editor()->MRUListDropped()) dropDown = Editor()->MRUListBox();
        return uitest::RenderWithPopup(Grid.get(), const_cast<ui::TControl*>(dropDown));
    }
    void Snapshot(const std::string& name) const
    {
        EXPECT_FALSE(testsupport::SaveSnapshot(Picture(), "grid", name).empty());
    }

    rtl::TScopedFormatSettings settings{rtl::TFormatSettings::Invariant()};
    db::TMemDataSet Customers;
    db::TMemDataSet Data;
    db::TDataSource Source;
    std::unique_ptr<gridtest::TTestGrid> Grid;
};

} // namespace inplacetest
