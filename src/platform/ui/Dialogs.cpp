#include "platform/ui/Dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "platform/ui/QtText.h"

namespace ui {

namespace {

// The buttons of a box in the order boxes lay them out; the first one asked for is the
// default.
// clang-format off
struct TChoice { unsigned Bit; const char* Text; QMessageBox::ButtonRole Role; TModalResult Result; };
// clang-format on
const TChoice kChoices[] = {
    {mbYes, "&Yes", QMessageBox::YesRole, mrYes},
    {mbNo, "&No", QMessageBox::NoRole, mrNo},
    {mbOK, "OK", QMessageBox::AcceptRole, mrOk},
    {mbCancel, "Cancel", QMessageBox::RejectRole, mrCancel},
    {mbAbort, "&Abort", QMessageBox::RejectRole, mrAbort},
    {mbRetry, "&Retry", QMessageBox::AcceptRole, mrRetry},
    {mbIgnore, "&Ignore", QMessageBox::AcceptRole, mrIgnore},
    {mbAll, "&All", QMessageBox::YesRole, mrAll},
    {mbNoToAll, "N&o to All", QMessageBox::NoRole, mrNoToAll},
    {mbYesToAll, "Yes to &All", QMessageBox::YesRole, mrYesToAll},
};

TMsgDlgButtons AskedFor(TMsgDlgButtons buttons) { return buttons ? buttons : mbOK; }

class TQtMessageBoxService : public IMessageBoxService {
public:
    TModalResult Show(const TMessageBoxRequest& request) override
    {
        QMessageBox box;
        box.setWindowTitle(ToQString(request.Caption));
        box.setText(ToQString(request.Text));
        switch (request.Type) {
        case mtWarning: box.setIcon(QMessageBox::Warning); break;
        case mtError: box.setIcon(QMessageBox::Critical); break;
        case mtInformation: box.setIcon(QMessageBox::Information); break;
        case mtConfirmation: box.setIcon(QMessageBox::Question); break;
        case mtCustom: break;
        }
        std::vector<std::pair<QAbstractButton*, TModalResult>> buttons;
        const TMsgDlgButtons wanted = AskedFor(request.Buttons);
        for (const TChoice& c : kChoices) {
            if (!(wanted & c.Bit)) continue;
            QPushButton* b = box.addButton(QString::fromLatin1(c.Text), c.Role);
            buttons.emplace_back(b, c.Result);
            if (c.Result == mrCancel) box.setEscapeButton(b);
        }
        if (!buttons.empty()) box.setDefaultButton(static_cast<QPushButton*>(buttons.front().first));
        box.exec();
        for (auto& [button, result] : buttons)
            if (box.clickedButton() == button) return result;
        return mrCancel;
    }

    void Beep() override { QApplication::beep(); }
};

IMessageBoxService*& installed()
{
    static IMessageBoxService* service = nullptr;
    return service;
}

} // namespace

IMessageBoxService& MessageBoxService()
{
    static TQtMessageBoxService qtService;
    return installed() ? *installed() : qtService;
}

void SetMessageBoxService(IMessageBoxService* service) { installed() = service; }

std::string MessageDlgCaption(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return "Warning";
    case mtError: return "Error";
    case mtInformation: return "Information";
    case mtConfirmation: return "Confirm";
    case mtCustom: break;
    }
    return FromQString(QApplication::applicationName());
}

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    return MessageBoxService().Show({MessageDlgCaption(type), text, type, buttons});
}

void ShowMessage(const std::string& text) { MessageDlg(text, mtInformation, mbOK); }

void MessageBeep() { MessageBoxService().Beep(); }

TModalResult DefaultMsgDlgAnswer(TMsgDlgButtons buttons, std::string* caption)
{
    for (const TChoice& c : kChoices)
        if (AskedFor(buttons) & c.Bit) {
            if (caption) {
                *caption = c.Text;
                std::erase(*caption, '&');
            }
            return c.Result;
        }
    if (caption) *caption = "OK";
    return mrOk;
}

} // namespace ui
