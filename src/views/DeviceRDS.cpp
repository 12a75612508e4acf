#include "views/DeviceRDS.h"

#include <vector>

#include "device_link/Device.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Grids.h"
#include "platform/ui/StdControls.h"
#include "platform/ui/Timer.h"
#include "storage/DModule.h"
#include "storage/LogEvents.h"
#include "storage/LogTexts.h"
#include "views/TextLabel.h"

namespace views {

using device_link::TStatus;

namespace {

constexpr int kUnitNameItem = 12;
constexpr int kFirmwareItem = 2;
constexpr int kStatusIntervalMs = 1000;
constexpr int kButtonHeight = 24;
constexpr int kStatusHeight = 20;

// A unit pads its texts with zero bytes; the text ends at the first one.
std::string UnitText(std::string_view payload)
{
    return std::string(payload.substr(0, payload.find('\0')));
}

} // namespace

std::string LinkStateText(TStatus state)
{
    // The log's texts first, so that the list, the views and the log agree.
    std::string text = storage::LogDataText(storage::leDeviceStatus, std::string(1, static_cast<char>(state)));
    if (!text.empty()) return text;
    switch (state) {
    case device_link::stSocketError: return "Socket Error";
    case device_link::stDataReceived: return "Data Received";
    case device_link::stBufferOverrun: return "Buffer Overrun";
    case device_link::stClearBuffer: return "Clear Buffer";
    case device_link::stStrobe: return "Strobe";
    default: return "Unknown";
    }
}

// ---------------------------------------------------------------------------
// The item list: code, name and payload text of every item code seen.

class TRdsItemGrid : public ui::TCustomGrid {
public:
    explicit TRdsItemGrid(TDeviceRDSForm& form) : ui::TCustomGrid(&form), form_(form)
    {
        SetColCount(3);
        SetFixedCols(0);
        SetRowCount(1);
        SetFixedRows(1);
        SetOptions(ui::goFixedVertLine | ui::goFixedHorzLine | ui::goVertLine | ui::goHorzLine);
        // A list to read, not to select in: the cells are drawn without a highlight.
        SetDefaultDrawing(false);
        SetDefaultRowHeight(18);
        SetColWidths(0, 40);
        SetColWidths(1, 170);
        SetColWidths(2, 260);
        SetScrollBars(ui::ssVertical);
    }

    // A new code takes its place in code order.
    void CodesChanged()
    {
        order_.clear();
        for (const auto& [code, row] : form_.items_) order_.push_back(code);
        SetRowCount(1 + static_cast<int>(order_.size()));
        Invalidate();
    }

    void CodeChanged(int code)
    {
        if (!isVisible()) return;
        for (std::size_t i = 0; i < order_.size(); ++i)
            if (order_[i] == code) InvalidateRow(static_cast<int>(i) + 1);
    }

protected:
    void DrawCell(int col, int row, const ui::TRect& rect, ui::TGridDrawState) override
    {
        std::string text;
        if (row == 0) {
            static const char* const titles[] = {"Code", "Item", "Value"};
            text = titles[col];
        } else if (row - 1 < static_cast<int>(order_.size())) {
            const int code = order_[static_cast<std::size_t>(row - 1)];
            const auto& item = form_.items_.at(code);
            // clang-format off
            text = col == 0 ? std::to_string(code) : col == 1 ? item.Name : item.Text;
            // clang-format on
        }
        auto& canvas = Canvas();
        canvas.Brush().SetColor(row == 0 ? FixedColor() : ui::clWindow);
        canvas.FillRect(rect);
        canvas.Font().SetColor(ui::clWindowText);
        ui::TRect r = rect;
        r.Inflate(-2, 0);
        canvas.Brush().SetStyle(ui::bsClear);
        canvas.DrawText(text, r, ui::DT_SINGLELINE | ui::DT_VCENTER | ui::DT_END_ELLIPSIS | ui::DT_NOPREFIX);
        canvas.Brush().SetStyle(ui::bsSolid);
    }

private:
    TDeviceRDSForm& form_;
    std::vector<int> order_;
};

// ---------------------------------------------------------------------------

TDeviceRDSForm::TDeviceRDSForm() : ui::TForm(nullptr)
{
    SetCaption("RDS");
    btnPreset1 = new ui::TSpeedButton(this);
    btnPreset2 = new ui::TSpeedButton(this);
    btnPreset3 = new ui::TSpeedButton(this);
    lvItems = new TRdsItemGrid(*this);
    sbStatus = new TTextLabel(this);
    tmStatus = new ui::TTimer(this);
    tmStatus->SetInterval(kStatusIntervalMs);
    tmStatus->SetOnTimer(rtl::TNotifyEvent(this, &TDeviceRDSForm::tmStatusTimer));
    SetBounds(100, 100, 500, 400);
    RefreshStatus();
}

TDeviceRDSForm::~TDeviceRDSForm() = default;

void TDeviceRDSForm::SetDevice(device_link::TDevice* device)
{
    device_ = device;
    UpdateCaption();
    RefreshStatus();
}

void TDeviceRDSForm::UpdateCaption()
{
    if (!device_) {
        SetCaption("RDS");
        return;
    }
    std::string caption = "RDS - " + device_->GetTypeText() + " " + device_->GetAddressText();
    if (!device_->Alias.empty()) caption += " (" + device_->Alias + ")";
    SetCaption(caption);
}

void TDeviceRDSForm::ApplySettings()
{
    if (!device_) return;
    device_link::TDeviceSettings settings;
    device_->GetSettings(settings);
    const std::uint16_t presets[] = {settings.Preset1, settings.Preset2, settings.Preset3};
    ui::TSpeedButton* buttons[] = {btnPreset1, btnPreset2, btnPreset3};
    for (int i = 0; i < 3; ++i) buttons[i]->SetCaption(rtl::Format("%3.1f", presets[i] / 10.0));
    UpdateCaption();
}

std::string TDeviceRDSForm::PresetCaption(int index) const
{
    const ui::TSpeedButton* buttons[] = {btnPreset1, btnPreset2, btnPreset3};
    return index >= 0 && index < 3 ? buttons[index]->Caption() : std::string();
}

void TDeviceRDSForm::ProcessFrame(device_link::TProtocolPacket& frame)
{
    bool newCodes = false, identity = false;
    for (const auto& item : frame.Commands) {
        const int code = item.Code;
        if (device_ && (code == kUnitNameItem || code == kFirmwareItem)) {
            std::string& field = code == kUnitNameItem ? device_->UnitName : device_->Firmware;
            std::string value = UnitText(item.Text);
            identity |= value != field;
            field = std::move(value);
        }
        newCodes |= !HasItem(code);
        ShowItem(code, item.Text);
        if (device_ && storage::DM) {
            storage::DM->AddToLogBytes(device_->Id, code, item.Data.data(), static_cast<int>(item.Data.size()) - 1);
        }
    }
    if (newCodes) lvItems->CodesChanged();
    if (identity) RefreshStatus();
}

void TDeviceRDSForm::ShowItem(int code, std::string_view payload)
{
    auto& row = items_[code];
    // Most items repeat frame after frame: an unchanged one costs no texts.
    if (row.Shown && row.Payload == payload) return;
    row.Shown = true;
    row.Payload = payload;
    std::string name = storage::LogCodeText(code, payload);
    std::string text = storage::LogDataText(code, payload);
    if (name == row.Name && text == row.Text) return;
    row.Name = std::move(name);
    row.Text = std::move(text);
    lvItems->CodeChanged(code);
}

std::string TDeviceRDSForm::ItemName(int code) const
{
    const auto it = items_.find(code);
    return it == items_.end() ? std::string() : it->second.Name;
}

std::string TDeviceRDSForm::ItemText(int code) const
{
    const auto it = items_.find(code);
    return it == items_.end() ? std::string() : it->second.Text;
}

void TDeviceRDSForm::ShowState(TStatus state) { ShowStatus(state); }

void TDeviceRDSForm::RefreshStatus()
{
    if (device_) ShowStatus(device_->State);
    else sbStatus->SetCaption("");
}

void TDeviceRDSForm::ShowStatus(TStatus state)
{
    if (!device_) return;
    sbStatus->SetCaption(LinkStateText(state) + "   Unit: " + device_->GetUnitName() + "   Firmware: "
                         + device_->GetFirmware());
}

std::string TDeviceRDSForm::StatusText() const { return sbStatus->Caption(); }

void TDeviceRDSForm::SetStatusInterval(int ms) { tmStatus->SetInterval(ms); }

void TDeviceRDSForm::tmStatusTimer(rtl::TObject*) { RefreshStatus(); }

void TDeviceRDSForm::Resize()
{
    ui::TForm::Resize();
    const int w = ClientWidth(), h = ClientHeight();
    const int bw = 70;
    btnPreset1->SetBounds(4, 4, bw, kButtonHeight);
    btnPreset2->SetBounds(8 + bw, 4, bw, kButtonHeight);
    btnPreset3->SetBounds(12 + 2 * bw, 4, bw, kButtonHeight);
    const int top = 8 + kButtonHeight;
    lvItems->SetBounds(4, top, std::max(0, w - 8), std::max(0, h - top - kStatusHeight - 6));
    sbStatus->SetBounds(4, h - kStatusHeight - 2, std::max(0, w - 8), kStatusHeight);
}

void RegisterDeviceRDSView()
{
    device_link::RegisterDeviceRDSViewFactory([] { return std::make_unique<TDeviceRDSForm>(); });
}

} // namespace views
