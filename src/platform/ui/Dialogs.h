#pragma once
// Message boxes and the beep, behind a replaceable service: the program shows Qt
// message boxes, tests install a service that answers and records.
#include <string>

#include "platform/ui/UiTypes.h"

namespace ui {

// clang-format off
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
// clang-format on

using TMsgDlgButtons = unsigned;
enum : unsigned {
    // clang-format off
    mbYes = 0x1, mbNo = 0x2, mbOK = 0x4, mbCancel = 0x8, mbAbort = 0x10, mbRetry = 0x20,
    mbIgnore = 0x40, mbAll = 0x80, mbNoToAll = 0x100, mbYesToAll = 0x200,
    // clang-format on
};
constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;

struct TMessageBoxRequest {
    std::string Caption;
    std::string Text;
    TMsgDlgType Type = mtInformation;
    TMsgDlgButtons Buttons = mbOK;
};

class IMessageBoxService {
public:
    virtual ~IMessageBoxService() = default;
    // Shows the box and returns the button chosen (mrCancel when it was closed).
    virtual TModalResult Show(const TMessageBoxRequest& request) = 0;
    virtual void Beep() = 0;
};

IMessageBoxService& MessageBoxService();
// Installs a service (not owned); nullptr restores the Qt message boxes.
void SetMessageBoxService(IMessageBoxService* service);

// The caption a box of this type gets: "Warning", "Error", "Information", "Confirm",
// or the application's name for mtCustom.
std::string MessageDlgCaption(TMsgDlgType type);

// A box with the type's caption and the given buttons ("Yes", "No", "OK", "Cancel",
// "All", ...). Confirmations use mbOKCancel, the import error question mbYes|mbNo|mbAll.
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);
// The answer a box gives to Enter: the first of its buttons in the order boxes lay them
// out (OK when none is asked for); caption, when given, receives that button's caption.
TModalResult DefaultMsgDlgAnswer(TMsgDlgButtons buttons, std::string* caption = nullptr);
// An information box with an OK button.
void ShowMessage(const std::string& text);
// The platform's default sound (a refused key).
void MessageBeep();

} // namespace ui
