#pragma once
// Shared pieces of the combo box's tests: a combo box on a shown form beside an edit that
// takes the focus away, items set in one go, keys typed into its box, and a memory data
// set to bind it to.
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <QTest>

#include "EditorsTestSupport.h"
#include "controls/editors/DBComboBoxEx.h"
#include "platform/db/DataSource.h"
#include "platform/db/DbTestSupport.h"
#include "platform/db/MemDataSet.h"
#include "platform/rtl/SysUtils.h"

namespace editorstest {

// The combo box with its text area in reach.
class TTestComboBox : public editors::TDBComboBoxEx {
public:
    using TDBComboBoxEx::TDBComboBoxEx;
    using TDBComboBoxEx::GetEditRect;
};

class ComboBoxTest : public uitest::FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        form->SetBounds(50, 50, 400, 300);
        combo = new TTestComboBox(form);
        combo->SetName("Combo");
        combo->SetBounds(10, 10, 150, 21);
        other = new ui::TCustomEdit(form);
        other->SetBounds(10, 250, 150, 21);
        uitest::ShowActive(form);
        combo->SetFocus();
    }
    void TearDown() override
    {
        delete form; // before the data set and source the combo box is bound to
        form = nullptr;
        FormTest::TearDown();
    }

    static void Fill(rtl::TStringList& list, std::initializer_list<const char*> texts)
    {
        list.BeginUpdate();
        list.Clear();
        for (const char* t : texts) list.Add(t);
        list.EndUpdate();
    }
    void SetItems(std::initializer_list<const char*> texts) { Fill(combo->Items(), texts); }
    void SetKeys(std::initializer_list<const char*> texts) { Fill(combo->KeyItems(), texts); }

    // Binds the combo box to a field of the records ID, NAME and AMOUNT.
    db::TMemDataSet& Bind(const std::string& field, int rows = 3)
    {
        if (!data) data = dbtest::MakeRows(rows);
        source.SetDataSet(data.get());
        combo->SetDataSource(&source);
        combo->SetDataField(field);
        return *data;
    }

    QWidget* Box() const { return combo->EditWindow(); }
    void Type(const char* text) { QTest::keyClicks(Box(), text); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { QTest::keyClick(Box(), key, modifiers); }
    void Leave() { other->SetFocus(); }
    void Enter() { combo->SetFocus(); }
    std::string Selected() const { return combo->SelText(); }

    rtl::TScopedFormatSettings numbers{'.', ','};
    std::unique_ptr<db::TMemDataSet> data;
    db::TDataSource source;
    TTestComboBox* combo = nullptr;
    ui::TCustomEdit* other = nullptr;
};

} // namespace editorstest
