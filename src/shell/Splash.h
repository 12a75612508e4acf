#pragma once
// The splash window: shown while the program starts and while it shuts down, with a
// status line that names the step under way.
#include <functional>
#include <string>

#include "platform/ui/Form.h"
#include "storage/DModule.h"

namespace views {
class TTextLabel;
}

namespace shell {

class TSplashForm : public ui::TForm, public storage::ISplashStatus {
public:
    TSplashForm();

    // Sets the status line, repaints it at once, processes the pending application
    // messages, then sleeps pauseMs (0: none). Never fails.
    void SetStatus(const std::string& text, int pauseMs) override;
    std::string Status() const;

    // Told every status shown (for a log of the start-up).
    std::function<void(const std::string&)> OnStatus;

    views::TTextLabel* lbTitle;
    views::TTextLabel* lbStatus;

protected:
    void Resize() override;
};

} // namespace shell
