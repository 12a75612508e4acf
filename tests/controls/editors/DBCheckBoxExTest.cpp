// The check box as the user and the program drive it: the state read from the data, the
// toggle of a click, Space and the accelerator, writing on leaving, Esc, a write the data
// refuses, and pictures of its three states, flat and 3-D.
#include "EditorsTestSupport.h"

#include <QPainter>

#include "controls/editors/DBCheckBoxEx.h"
#include "platform/db/DataSource.h"
#include "platform/db/DbTestSupport.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/MemDataSet.h"

using namespace editors;

namespace {

class DBCheckBoxExTest : public uitest::FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        form->SetBounds(50, 50, 300, 200);
        box = new TDBCheckBoxEx(form);
        box->SetBounds(10, 10, 120, 17);
        box->SetCaption("&Lock map");
        box->OnClick = rtl::TNotifyEvent::FromFunction([this](rtl::TObject* sender) {
            EXPECT_EQ(sender, box);
            clicks.push_back(box->GetState());
        });
        other = new ui::TCustomEdit(form);
        other->SetBounds(10, 100, 120, 21);
        uitest::ShowActive(form);
    }
    void TearDown() override
    {
        delete form; // before the data set and source the check box is bound to
        form = nullptr;
        FormTest::TearDown();
    }

    // Records ID (integer), NAME (string), DONE (Boolean); row i: NAME "Row i", DONE i odd.
    db::TMemDataSet& Bind(const std::string& field)
    {
        if (!data) {
            data = std::make_unique<db::TMemDataSet>();
            data->AddField<db::TIntegerField>("ID");
            data->AddField<db::TStringField>("NAME", db::fkData, 20);
            data->AddField<db::TBooleanField>("DONE");
            data->Open();
            for (int i = 1; i <= 3; ++i) {
                data->Append();
                data->FieldByName("ID")->SetAsInteger(i);
                data->FieldByName("NAME")->SetAsString("Row " + std::to_string(i));
                data->FieldByName("DONE")->SetAsBoolean(i % 2 == 1);
                data->Post();
            }
            data->First();
        }
        source.SetDataSet(data.get());
        box->SetDataSource(&source);
        box->SetDataField(field);
        return *data;
    }
    void Click() { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, 8)); }
    std::vector<TCheckBoxState> TakeClicks()
    {
        std::vector<TCheckBoxState> taken;
        taken.swap(clicks);
        return taken;
    }

    std::unique_ptr<db::TMemDataSet> data;
    db::TDataSource source;
    TDBCheckBoxEx* box = nullptr;
    ui::TCustomEdit* other = nullptr;
    std::vector<TCheckBoxState> clicks;
};

using States = std::vector<TCheckBoxState>;

} // namespace

TEST_F(DBCheckBoxExTest, ADataIndependentBoxKeepsTrueFalseOrNullInTheLink)
{
    EXPECT_EQ(box->Width(), 120);
    EXPECT_TRUE(box->TabStop());
    EXPECT_TRUE(box->DataIndependent());
    EXPECT_EQ(box->GetState(), cbUnchecked);
    EXPECT_EQ(box->GetAlignment(), ui::taRightJustify);
    EXPECT_EQ(box->DataLink()->GetKeptValue(), rtl::Variant(false));

    box->SetState(cbGrayed);
    EXPECT_TRUE(box->DataLink()->GetKeptValue().IsNull());
    box->SetChecked(true);
    EXPECT_EQ(box->DataLink()->GetKeptValue(), rtl::Variant(true));
    EXPECT_TRUE(box->GetChecked());
    EXPECT_EQ(TakeClicks(), (States{cbGrayed, cbChecked}));
    // The same state again clicks nothing.
    box->SetState(cbChecked);
    EXPECT_TRUE(TakeClicks().empty());

    // The link's value shows: True, False, anything else grayed.
    box->DataLink()->SetValue(false);
    EXPECT_EQ(box->GetState(), cbUnchecked);
    box->DataLink()->SetValue(rtl::Variant("maybe"));
    EXPECT_EQ(box->GetState(), cbGrayed);
    box->DataLink()->SetValue(true);
    EXPECT_EQ(box->GetState(), cbChecked);
    EXPECT_FALSE(box->Modified());
}

TEST_F(DBCheckBoxExTest, OneClickTogglesOnceAndLeavingWritesIt)
{
    // Without AllowGrayed: unchecked, checked, unchecked; each click fires OnClick once.
    Click();
    EXPECT_EQ(box->GetState(), cbChecked);
    EXPECT_TRUE(box->Focused());
    EXPECT_TRUE(box->Modified());
    EXPECT_EQ(TakeClicks(), (States{cbChecked}));
    EXPECT_EQ(box->DataLink()->GetKeptValue(), rtl::Variant(false)); // written on leaving
    Click();
    EXPECT_EQ(box->GetState(), cbUnchecked);
    EXPECT_EQ(TakeClicks(), (States{cbUnchecked}));

    // A double click is two clicks.
    QTest::mouseDClick(box, Qt::LeftButton, {}, QPoint(6, 8));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(6, 8));
    EXPECT_EQ(TakeClicks(), (States{cbChecked}));

    // Grayed data goes to checked on the next click.
    box->SetState(cbGrayed);
    TakeClicks();
    Click();
    EXPECT_EQ(box->GetState(), cbChecked);

    // With AllowGrayed: unchecked, grayed, checked.
    box->SetAllowGrayed(true);
    box->SetState(cbUnchecked);
    TakeClicks();
    Click();
    Click();
    Click();
    EXPECT_EQ(TakeClicks(), (States{cbGrayed, cbChecked, cbUnchecked}));

    Click();
    other->SetFocus();
    EXPECT_TRUE(box->DataLink()->GetKeptValue().IsNull());
    EXPECT_FALSE(box->Modified());

    // A release off the box does not toggle; a read-only box does not toggle.
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(6, 8));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(6, 40));
    EXPECT_EQ(box->GetState(), cbGrayed);
    box->SetReadOnly(true);
    Click();
    EXPECT_EQ(box->GetState(), cbGrayed);
}

TEST_F(DBCheckBoxExTest, SpaceAndTheAcceleratorToggleEscReadsTheDataAgain)
{
    box->SetFocus();
    QTest::keyPress(box, Qt::Key_Space);
    EXPECT_EQ(box->GetState(), cbUnchecked); // the press only draws it pressed
    QTest::keyRelease(box, Qt::Key_Space);
    EXPECT_EQ(box->GetState(), cbChecked);

    // Esc drops the change while there is one; then it is the form's again.
    auto* cancel = new ui::TButton(form);
    cancel->SetBounds(150, 100, 75, 25);
    cancel->SetCancel(true);
    int cancels = 0;
    cancel->OnClick = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++cancels; });
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(box->GetState(), cbUnchecked);
    EXPECT_FALSE(box->Modified());
    EXPECT_EQ(cancels, 0);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(cancels, 1);

    // Alt and the marked letter focus the box and toggle it.
    other->SetFocus();
    QTest::keyClick(other, Qt::Key_L, Qt::AltModifier);
    EXPECT_TRUE(box->Focused());
    EXPECT_EQ(box->GetState(), cbChecked);
    QTest::keyClick(other, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(box->GetState(), cbChecked);
}

TEST_F(DBCheckBoxExTest, TheStateComesFromABooleanFieldOrTheValueListsWithoutCase)
{
    db::TMemDataSet& ds = Bind("DONE");
    EXPECT_EQ(box->GetState(), cbChecked);
    ds.Next();
    EXPECT_EQ(box->GetState(), cbUnchecked);
    Click();
    other->SetFocus();
    EXPECT_TRUE(ds.FieldByName("DONE")->GetAsBoolean());
    ds.FieldByName("DONE")->Clear();
    EXPECT_EQ(box->GetState(), cbGrayed);
    ds.Cancel();

    Bind("NAME");
    box->SetValueChecked("yes;Ja");
    box->SetValueUnchecked("no;nein");
    struct Case {
        const char* Text;
        TCheckBoxState State;
    };
    for (const Case& c : {Case{"ja", cbChecked}, Case{"YES", cbChecked}, Case{"NEIN", cbUnchecked}, Case{"no", cbUnchecked},
                          Case{"maybe", cbGrayed}, Case{"ja;nein", cbGrayed}, Case{"", cbGrayed}}) {
        SCOPED_TRACE(c.Text);
        ds.Edit();
        ds.FieldByName("NAME")->SetAsString(c.Text);
        EXPECT_EQ(box->GetState(), c.State);
        ds.Cancel();
    }
    ds.Edit();
    ds.FieldByName("NAME")->Clear();
    EXPECT_EQ(box->GetState(), cbGrayed);
    ds.Cancel();

    // Writing takes the first entry of the list; grayed clears the field.
    box->SetState(cbChecked);
    EXPECT_EQ(ds.FieldByName("NAME")->GetAsString(), "yes");
    box->SetState(cbUnchecked);
    EXPECT_EQ(ds.FieldByName("NAME")->GetAsString(), "no");
    box->SetState(cbGrayed);
    EXPECT_TRUE(ds.FieldByName("NAME")->IsNull());
    ds.Cancel();

    // A new list reads the data again; no field reads unchecked.
    ds.Edit();
    ds.FieldByName("NAME")->SetAsString("Row 1");
    box->SetValueChecked("row 1");
    EXPECT_EQ(box->GetState(), cbChecked);
    ds.Cancel();
    box->SetDataField("");
    EXPECT_EQ(box->GetState(), cbUnchecked);
}

TEST_F(DBCheckBoxExTest, AWriteTheDataRefusesShowsTheDataAgainAndRaises)
{
    db::TMemDataSet& ds = Bind("ID");
    box->SetValueChecked("1");
    box->SetValueUnchecked("0;2");
    EXPECT_EQ(box->GetState(), cbChecked);
    ds.Next();
    EXPECT_EQ(box->GetState(), cbUnchecked); // ID 2

    // "x" is no integer: the field refuses it.
    box->SetValueChecked("x");
    EXPECT_EQ(box->GetState(), cbUnchecked);
    EXPECT_THROW(box->SetState(cbChecked), rtl::Exception);
    EXPECT_EQ(box->GetState(), cbUnchecked);
    EXPECT_FALSE(box->Modified());
    EXPECT_EQ(ds.FieldByName("ID")->GetAsInteger(), 2);

    // The user's click fails on leaving: the error is reported and the data shows again.
    TakeClicks();
    Click();
    EXPECT_EQ(box->GetState(), cbChecked);
    other->SetFocus();
    ASSERT_EQ(Exceptions.size(), 1u);
    EXPECT_NE(Exceptions.front().find("not a valid integer"), std::string::npos) << Exceptions.front();
    EXPECT_EQ(box->GetState(), cbUnchecked);
    Exceptions.clear();

    // A data set that refuses the edit raises before anything changes.
    ds.Cancel();
    ds.SetReadOnly(true);
    EXPECT_THROW(box->SetState(cbGrayed), rtl::EDatabaseError);
    EXPECT_EQ(box->GetState(), cbUnchecked);
}

TEST_F(DBCheckBoxExTest, OnUpdateDataMayTakeOverTheWrite)
{
    db::TMemDataSet& ds = Bind("DONE");
    int updates = 0;
    box->OnUpdateData = TUpdateDataEventEx::FromFunction([&](rtl::TObject* sender, bool& handled) {
        EXPECT_EQ(sender, box);
        ++updates;
        handled = true;
        box->SetState(cbGrayed); // not written again meanwhile
    });
    box->SetState(cbUnchecked);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(box->GetState(), cbGrayed);
    EXPECT_TRUE(ds.FieldByName("DONE")->GetAsBoolean());
}

TEST_F(DBCheckBoxExTest, AFieldNameWithoutDataSourceSkipsTheDataSetSteps)
{
    box->SetDataField("DONE");
    EXPECT_FALSE(box->DataIndependent());
    EXPECT_NO_THROW(box->SetState(cbChecked));
    EXPECT_EQ(box->GetState(), cbChecked);
    Click(); // no field to edit: no toggle
    EXPECT_EQ(box->GetState(), cbChecked);
}

TEST_F(DBCheckBoxExTest, PicturesOfTheThreeStatesFlatAnd3D)
{
    const int rowHeight = 20;
    QImage sheet(2 * 130, 5 * rowHeight, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    const TCheckBoxState states[] = {cbUnchecked, cbChecked, cbGrayed};
    const char* names[] = {"Unchecked", "Checked", "Grayed"};
    QImage looks[2][3];
    other->SetFocus(); // the box has the focus in its own row only
    for (int flat = 0; flat < 2; ++flat) {
        SCOPED_TRACE(flat ? "flat" : "3-D");
        box->SetFlat(flat == 1);
        for (int i = 0; i < 3; ++i) {
            box->SetCaption(names[i]);
            box->SetState(states[i]);
            const QImage picture = uitest::Render(box);
            painter.drawImage(flat * 130, i * rowHeight, picture);
            // The same caption in every state: the pictures differ by the box alone.
            box->SetCaption("State");
            looks[flat][i] = uitest::Render(box);
        }
        EXPECT_NE(looks[flat][cbUnchecked], looks[flat][cbChecked]);
        EXPECT_NE(looks[flat][cbChecked], looks[flat][cbGrayed]);
        EXPECT_NE(looks[flat][cbUnchecked], looks[flat][cbGrayed]);
        box->SetCaption("Focused");
        const QImage unfocused = uitest::Render(box);
        box->SetFocus();
        ASSERT_TRUE(box->Focused());
        const QImage focused = uitest::Render(box);
        painter.drawImage(flat * 130, 3 * rowHeight, focused);
        EXPECT_NE(focused, unfocused);
        other->SetFocus();
        box->SetCaption("Disabled");
        const QImage enabled = uitest::Render(box);
        box->SetEnabled(false);
        const QImage disabled = uitest::Render(box);
        painter.drawImage(flat * 130, 4 * rowHeight, disabled);
        EXPECT_NE(disabled, enabled);
        box->SetEnabled(true);
    }
    painter.end();
    for (int i = 0; i < 3; ++i) EXPECT_NE(looks[0][i], looks[1][i]) << "state " << i << ": flat as 3-D";
    editorstest::WriteSnapshot("checkbox_states", sheet);

    // The caption at the left puts the box at the right end.
    box->SetFlat(false);
    box->SetCaption("Left");
    const QImage right = uitest::Render(box);
    box->SetAlignment(ui::taLeftJustify);
    const QImage left = uitest::Render(box);
    editorstest::WriteSnapshot("checkbox_caption_left", left);
    const auto column = [](const QImage& image, int x, int width) { return image.copy(x, 0, width, image.height()); };
    const int boxSide = 13;
    EXPECT_NE(column(left, 0, boxSide), column(right, 0, boxSide));
    EXPECT_NE(column(left, left.width() - boxSide, boxSide), column(right, right.width() - boxSide, boxSide));
}
