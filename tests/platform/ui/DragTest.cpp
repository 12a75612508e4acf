// Dragging a control: a drag asked for at once or once the pointer moves, the automatic
// drag of a press, what the drag carries, and a press that never became a drag.
#include "UiTestSupport.h"

#include <QDrag>
#include <QMouseEvent>
#include <QMimeData>
#include <QTimer>

#include "platform/ui/Control.h"
#include "platform/ui/Form.h"
#include "platform/ui/QtText.h"

using namespace ui;

namespace {

// A control that writes down its presses, clicks and drags.
class TDragProbe : public TControl {
public:
    explicit TDragProbe(TControl* parent) : TControl(parent) { SetBounds(10, 10, 120, 60); }

    std::vector<std::string> Log;
    // What its own press asks for: nothing, a drag at once or one that waits for the pointer.
    enum { None,
           Now,
           Later } PressDrags = None;
    // Keeps a press at the left edge from the automatic drag.
    bool HoldBackAtLeftEdge = false;
    // Whether the drag's loop ran (on a real window system it runs until Esc ends it).
    bool SawDragRunning = false;

protected:
    bool AutoDragPress(TShiftState shift, int x, int y) override
    {
        if (HoldBackAtLeftEdge && x < 10) return false;
        return TControl::AutoDragPress(shift, x, y);
    }
    void DoStartDrag(TDragObject& dragObject) override
    {
        Log.push_back("start");
        dragObject.SetText("caf\xE9");
        dragObject.SetData("application/x-kv-probe", std::string("\x01\x00\x02", 3));
        TControl::DoStartDrag(dragObject);
        // Looks at the drag while its loop runs, then ends it as the user's Esc does.
        QTimer::singleShot(0, this, [this] {
            SawDragRunning = Dragging();
            QTest::keyClick(this, Qt::Key_Escape);
        });
    }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override
    {
        Log.push_back(s & ssDouble ? "double down" : "down");
        if (PressDrags != None) BeginDrag(PressDrags == Now);
        TControl::MouseDown(b, s, x, y);
    }
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override
    {
        Log.push_back("up");
        TControl::MouseUp(b, s, x, y);
    }
    void Click() override
    {
        Log.push_back("click");
        TControl::Click();
    }
};

class DragTest : public uitest::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        form = new TForm;
        form->SetBounds(100, 100, 300, 200);
        probe = new TDragProbe(form);
        uitest::ShowActive(form);
    }
    void TearDown() override
    {
        delete form;
        EXPECT_TRUE(Exceptions.empty()) << Exceptions.front();
        UiTest::TearDown();
    }
    void Press(QPoint p) { QTest::mousePress(probe, Qt::LeftButton, {}, p); }
    void Move(QPoint p) { uitest::MovePointer(probe, p); }
    void Release(QPoint p) { QTest::mouseRelease(probe, Qt::LeftButton, {}, p); }

    TForm* form = nullptr;
    TDragProbe* probe = nullptr;
};

using Log = std::vector<std::string>;

} // namespace

// What the drag that has just run carried.
struct TCarried {
    std::string Text, Data;
};
TCarried Carried(const TControl* control)
{
    const auto drags = control->findChildren<QDrag*>();
    if (drags.isEmpty()) return {};
    const QMimeData* data = drags.last()->mimeData();
    return {FromQString(data->text()), data->data("application/x-kv-probe").toStdString()};
}

TEST_F(DragTest, AManualControlTakesItsPressesAsPresses)
{
    Press({20, 20});
    Move({60, 40});
    Release({60, 40});
    EXPECT_EQ(probe->Log, (Log{"down", "click", "up"}));
    EXPECT_EQ(probe->DragMode(), dmManual);
    EXPECT_TRUE(probe->findChildren<QDrag*>().isEmpty());
}

TEST_F(DragTest, AnAutomaticDragStartsOncePastTheThresholdAndCarriesWhatTheControlGives)
{
    probe->SetDragMode(dmAutomatic);
    Press({20, 20});
    EXPECT_TRUE(probe->DragPending());
    Move({24, 23}); // within the 5 pixels
    EXPECT_TRUE(probe->Log.empty());
    Move({25, 20});
    EXPECT_EQ(probe->Log, (Log{"start"}));
    EXPECT_FALSE(probe->DragPending());
    EXPECT_FALSE(probe->Dragging()) << "the drag is over when its loop returns";
    const TCarried carried = Carried(probe);
    EXPECT_EQ(carried.Text, "caf\xE9");
    EXPECT_EQ(carried.Data, std::string("\x01\x00\x02", 3));
    // The drop took the release: nothing is clicked.
    Release({25, 20});
    EXPECT_EQ(probe->Log, (Log{"start", "up"}));
    QApplication::processEvents();
    if (QGuiApplication::platformName() != "offscreen") {
        EXPECT_TRUE(probe->SawDragRunning);
    }
}

TEST_F(DragTest, AnAutomaticPressReleasedWhereItWasIsAPlainClick)
{
    probe->SetDragMode(dmAutomatic);
    Press({20, 20});
    EXPECT_TRUE(probe->Log.empty()) << "the press waits for the pointer to move";
    Move({22, 21});
    Release({22, 21});
    EXPECT_EQ(probe->Log, (Log{"down", "click", "up"}));
    EXPECT_FALSE(probe->DragPending());
    // A double click held back the same way is one when released.
    probe->Log.clear();
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(20, 20), probe->mapToGlobal(QPointF(20, 20)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(probe, &dbl);
    EXPECT_TRUE(probe->Log.empty());
    Release({20, 20});
    EXPECT_EQ(probe->Log, (Log{"double down", "up"}));

    // A control may keep presses from the automatic drag.
    probe->Log.clear();
    probe->HoldBackAtLeftEdge = true;
    Press({4, 20});
    EXPECT_EQ(probe->Log, (Log{"down"}));
    Move({40, 20});
    Release({40, 20});
    EXPECT_EQ(probe->Log, (Log{"down", "click", "up"}));
}

TEST_F(DragTest, ADragAskedForByAPressStartsAtOnceOrWhenThePointerMoves)
{
    probe->PressDrags = TDragProbe::Now;
    Press({20, 20});
    EXPECT_EQ(probe->Log, (Log{"down", "start"}));
    Release({20, 20});

    probe->Log.clear();
    probe->PressDrags = TDragProbe::Later;
    Press({20, 20});
    EXPECT_TRUE(probe->DragPending());
    Move({20, 16});
    EXPECT_EQ(probe->Log, (Log{"down"}));
    Move({20, 15});
    EXPECT_EQ(probe->Log, (Log{"down", "start"}));
    Release({20, 15});

    // Released before the pointer moved far enough: no drag, the click stays.
    probe->Log.clear();
    Press({20, 20});
    Release({21, 20});
    EXPECT_EQ(probe->Log, (Log{"down", "click", "up"}));
    EXPECT_FALSE(probe->DragPending());
}
