#include "controls/grid/PropFilerEx.h"

#include <array>
#include <optional>

#include "platform/rtl/ClassInfo.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Metrics.h"

namespace grid {

// ---- interceptor base

TStoragePropertyInterceptor::TStoragePropertyInterceptor(rtl::TPersistent* interceptedObject)
{
    interceptedObject_ = interceptedObject;
}

bool TStoragePropertyInterceptor::AcceptsObject() const { return true; }

void TStoragePropertyInterceptor::ApplyStored() {}

void TStoragePropertyInterceptor::PublishProperty(std::string name, TPropertyReader read, TPropertyWriter write)
{
    properties_.push_back({std::move(name), std::move(read), std::move(write)});
}

void TStoragePropertyInterceptor::PublishIntegerProperty(std::string name, std::function<int()> read,
                                                         std::function<void(int)> write)
{
    PublishProperty(
        std::move(name), [read = std::move(read)] { return rtl::Variant(read()); },
        [write = std::move(write)](const rtl::Variant& value) {
            int number = 0;
            try {
                number = value.AsInteger();
            } catch (const rtl::EConvertError&) {
                return false;
            } catch (const rtl::EVariantError&) {
                return false;
            }
            write(number);
            return true;
        });
}

const TStoragePropertyInterceptor::TPublishedProperty* TStoragePropertyInterceptor::FindProperty(
    const std::string& name) const
{
    for (const TPublishedProperty& property : properties_)
        if (rtl::SameText(property.Name, name)) return &property;
    return nullptr;
}

std::vector<std::string> TStoragePropertyInterceptor::PropertyNames() const
{
    std::vector<std::string> names;
    for (const TPublishedProperty& property : properties_) names.push_back(property.Name);
    return names;
}

bool TStoragePropertyInterceptor::HasProperty(const std::string& name) const { return FindProperty(name) != nullptr; }

rtl::Variant TStoragePropertyInterceptor::GetPropertyValue(const std::string& name) const
{
    const TPublishedProperty* property = FindProperty(name);
    return property ? property->Read() : rtl::Variant();
}

bool TStoragePropertyInterceptor::SetPropertyValue(const std::string& name, const rtl::Variant& value)
{
    const TPublishedProperty* property = FindProperty(name);
    return property && property->Write(value);
}

// ---- registry

namespace {

rtl::TClassRegistry<TStoragePropertyInterceptorClass>& InterceptorRegistry()
{
    static rtl::TClassRegistry<TStoragePropertyInterceptorClass> registry = [] {
        rtl::TClassRegistry<TStoragePropertyInterceptorClass> forms;
        forms.Register("TForm", InterceptorClass<TFormStoragePropertyInterceptor>());
        return forms;
    }();
    return registry;
}

} // namespace

void RegisterClassPropertyInterceptor(const std::string& targetClassName,
                                      TStoragePropertyInterceptorClass interceptorClass)
{
    InterceptorRegistry().Unregister(targetClassName);
    InterceptorRegistry().Register(targetClassName, interceptorClass);
}

void UnregisterClassPropertyInterceptor(const std::string& targetClassName,
                                        TStoragePropertyInterceptorClass interceptorClass)
{
    InterceptorRegistry().Unregister(targetClassName, interceptorClass);
}

TStoragePropertyInterceptorClass GetPropertyInterceptorClass(const rtl::TObject& object)
{
    const TStoragePropertyInterceptorClass* found = InterceptorRegistry().Find(object);
    return found ? *found : nullptr;
}

std::unique_ptr<TStoragePropertyInterceptor> CreatePropertyInterceptor(rtl::TPersistent& object)
{
    const TStoragePropertyInterceptorClass interceptorClass = GetPropertyInterceptorClass(object);
    if (!interceptorClass) return nullptr;
    std::unique_ptr<TStoragePropertyInterceptor> interceptor = interceptorClass(&object);
    return interceptor && interceptor->AcceptsObject() ? std::move(interceptor) : nullptr;
}

// ---- form interceptor

namespace {

constexpr std::array<const char*, 3> kWindowStateNames{"wsNormal", "wsMinimized", "wsMaximized"};

std::optional<ui::TWindowState> WindowStateNamed(const rtl::Variant& value)
{
    if (!value.IsStr()) return std::nullopt;
    for (std::size_t i = 0; i < kWindowStateNames.size(); ++i)
        if (rtl::SameText(value.AsString(), kWindowStateNames[i])) return static_cast<ui::TWindowState>(i);
    return std::nullopt;
}

// A control among the components that root owns, directly or further down, by name.
ui::TControl* FindControlNamed(const rtl::TComponent& root, const std::string& name)
{
    for (int i = 0; i < root.GetComponentCount(); ++i) {
        rtl::TComponent* component = root.GetComponents(i);
        auto* control = dynamic_cast<ui::TControl*>(component);
        if (control && rtl::SameText(control->GetName(), name)) return control;
        if (ui::TControl* found = FindControlNamed(*component, name)) return found;
    }
    return nullptr;
}

} // namespace

TFormStoragePropertyInterceptor::TFormStoragePropertyInterceptor(rtl::TPersistent* interceptedObject)
    : TStoragePropertyInterceptor(interceptedObject)
{
    form_ = dynamic_cast<ui::TForm*>(interceptedObject);
    if (form_) {
        const ui::TRect placement = form_->NormalBounds();
        left_ = placement.Left;
        top_ = placement.Top;
        width_ = placement.Width();
        height_ = placement.Height();
        // Forms are built at the screen's resolution.
        pixelsPerInch_ = ui::Metrics().PixelsPerInch;
        windowState_ = form_->WindowState();
        activeControl_ = form_->ActiveControl();
    }

    PublishProperty(
        "ActiveControl",
        [this] { return rtl::Variant(activeControl_ ? activeControl_->GetName() : std::string()); },
        [this](const rtl::Variant& value) {
            const std::string name = rtl::VarToStr(value);
            if (name.empty()) {
                activeControl_ = nullptr;
                return true;
            }
            ui::TControl* control = form_ ? FindControlNamed(*form_, name) : nullptr;
            if (!control) return false;
            activeControl_ = control;
            return true;
        });
    // clang-format off
    PublishIntegerProperty("Height", [this] { return GetHeight(); }, [this](int v) { SetHeight(v); });
    PublishIntegerProperty("Left", [this] { return GetLeft(); }, [this](int v) { SetLeft(v); });
    PublishIntegerProperty(
        "PixelsPerInch", [this] { return GetPixelsPerInch(); }, [this](int v) { SetPixelsPerInch(v); });
    PublishIntegerProperty("Top", [this] { return GetTop(); }, [this](int v) { SetTop(v); });
    PublishIntegerProperty("Width", [this] { return GetWidth(); }, [this](int v) { SetWidth(v); });
    // clang-format on
    PublishProperty(
        "WindowState", [this] { return rtl::Variant(kWindowStateNames[windowState_]); },
        [this](const rtl::Variant& value) {
            const std::optional<ui::TWindowState> state = WindowStateNamed(value);
            if (state) windowState_ = *state;
            return state.has_value();
        });
}

ui::TRect TFormStoragePropertyInterceptor::NormalPlacement() const { return form_ ? form_->NormalBounds() : ui::TRect{}; }

int TFormStoragePropertyInterceptor::GetHeight() const { return NormalPlacement().Height(); }
int TFormStoragePropertyInterceptor::GetLeft() const { return NormalPlacement().Left; }
int TFormStoragePropertyInterceptor::GetTop() const { return NormalPlacement().Top; }
int TFormStoragePropertyInterceptor::GetWidth() const { return NormalPlacement().Width(); }

void TFormStoragePropertyInterceptor::SetLeft(int value)
{
    left_ = value;
    positionRead_ = true;
}

void TFormStoragePropertyInterceptor::SetTop(int value)
{
    top_ = value;
    positionRead_ = true;
}

void TFormStoragePropertyInterceptor::ApplyStored()
{
    ui::TForm* form = form_;
    if (!form) return;
    // A resolution of 0 or less was never really stored: the values stay as they are.
    const int screenPixelsPerInch = ui::Metrics().PixelsPerInch;
    auto scaled = [&](int value) -> long long {
        return pixelsPerInch_ > 0 ? rtl::MulDiv64(value, screenPixelsPerInch, pixelsPerInch_) : value;
    };
    // A store may be damaged or edited by hand: whatever it holds, the window comes back
    // inside the work area.
    const ui::TRect bounds = ui::FitIntoWorkArea(scaled(left_), scaled(top_), scaled(width_), scaled(height_));

    form->SetWindowState(windowState_);
    // A stored control that cannot take the focus (any more) is passed over: the rest of
    // the form's state still comes back.
    if (ui::TControl* control = activeControl_; form->CanActivate(control)) form->SetActiveControl(control);

    // While maximized or minimized only the rectangle the form returns to changes.
    form->SetNormalBounds(bounds);

    const ui::TPosition position = form->Position();
    if ((position == ui::poScreenCenter || position == ui::poDesktopCenter)
        && !form->HasState(rtl::csDesigning) && positionRead_)
        form->SetPosition(ui::poDesigned);
}

} // namespace grid
