// Dragging a control: the request, the wait for the pointer to move past the threshold,
// the automatic drag of a press, and Qt's drag that carries what the control gives it.
#include <cstdlib>

#include <QByteArray>
#include <QDrag>
#include <QMimeData>
#include <QPointer>

#include "platform/ui/Control.h"
#include "platform/ui/Metrics.h"
#include "platform/ui/QtText.h"

namespace ui {

std::string TDragObject::Data(const std::string& mimeType) const
{
    auto it = data_.find(mimeType);
    return it == data_.end() ? std::string() : it->second;
}

void TControl::BeginDrag(bool Immediate, int Threshold)
{
    if (dragging_) return;
    if (Immediate) {
        startDrag();
        return;
    }
    dragPending_ = true;
    dragThreshold_ = Threshold < 0 ? Metrics().DragThreshold : Threshold;
}

bool TControl::AutoDragPress(TShiftState, int, int) { return dragMode_ == dmAutomatic; }

void TControl::DoStartDrag(TDragObject& dragObject)
{
    if (OnStartDrag) OnStartDrag(this, dragObject);
}

bool TControl::dragPress(TMouseButton button, TShiftState shift, TPoint p)
{
    pressPoint_ = p;
    dragPending_ = false;
    heldPress_.reset();
    if (button != mbLeft || dragMode_ != dmAutomatic || !AutoDragPress(shift, p.X, p.Y)) return false;
    heldPress_ = shift;
    clickPending_ = !(shift & ssDouble);
    BeginDrag(false);
    return true;
}

bool TControl::dragMove(bool leftHeld, TPoint p)
{
    if (!leftHeld) {
        // The button went up where the control did not see it.
        dragPending_ = false;
        heldPress_.reset();
        return false;
    }
    if (std::abs(p.X - pressPoint_.X) < dragThreshold_ && std::abs(p.Y - pressPoint_.Y) < dragThreshold_) return true;
    startDrag();
    return true;
}

void TControl::dropPendingDrag()
{
    dragPending_ = false;
    if (!heldPress_) return;
    const TShiftState shift = *heldPress_;
    heldPress_.reset();
    // The pointer never moved far enough: the press was a plain one after all.
    QPointer<TControl> self(this);
    if (shift & ssDouble) {
        DblClick();
        if (!self) return;
    }
    MouseDown(mbLeft, shift, pressPoint_.X, pressPoint_.Y);
}

void TControl::startDrag()
{
    dragPending_ = false;
    heldPress_.reset();
    // The drop takes the release: no click follows.
    clickPending_ = false;
    QPointer<TControl> self(this);
    TDragObject object;
    DoStartDrag(object);
    if (!self) return;
    if (MouseCapture()) SetMouseCapture(false);
    auto* data = new QMimeData;
    if (!object.Text().empty()) data->setText(ToQString(object.Text()));
    for (const auto& [type, bytes] : object.AllData())
        data->setData(QString::fromStdString(type), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    // Qt frees the drag once it is over.
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    dragging_ = true;
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    if (self) dragging_ = false;
}

} // namespace ui
