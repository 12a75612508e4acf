#include "shell/Splash.h"

#include <chrono>
#include <thread>

#include <QGuiApplication>
#include <QScreen>

#include "platform/ui/Application.h"
#include "views/TextLabel.h"

namespace shell {

TSplashForm::TSplashForm() : ui::TForm(nullptr)
{
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    SetColor(ui::clWindow);
    lbTitle = new views::TTextLabel(this);
    lbTitle->SetAlignment(ui::taCenter);
    lbTitle->Font().SetSize(16);
    lbTitle->SetCaption("KV7200 Device Manager");
    lbStatus = new views::TTextLabel(this);
    lbStatus->SetAlignment(ui::taCenter);
    SetBounds(0, 0, 380, 140);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        SetBounds(area.x() + (area.width() - Width()) / 2, area.y() + (area.height() - Height()) / 2, Width(),
                  Height());
    }
}

void TSplashForm::SetStatus(const std::string& text, int pauseMs)
{
    ui::Guarded([&] {
        lbStatus->SetCaption(text);
        if (lbStatus->isVisible()) lbStatus->Repaint();
        if (OnStatus) OnStatus(text);
        ui::ProcessMessages();
    });
    if (pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
}

std::string TSplashForm::Status() const { return lbStatus->Caption(); }

void TSplashForm::Resize()
{
    ui::TForm::Resize();
    lbTitle->SetBounds(8, 20, std::max(0, ClientWidth() - 16), 50);
    lbStatus->SetBounds(8, ClientHeight() - 40, std::max(0, ClientWidth() - 16), 24);
}

} // namespace shell
