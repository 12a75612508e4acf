#pragma once
// Stand-ins that a property storage writes and reads in place of an object. An
// interceptor publishes properties of its own, by name with Variant values, and applies
// the values read back to its object once they are all in. A registry pairs a class
// (by name, letter case ignored) with the interceptor class that stands in for objects
// of that class and of its descendants; the nearest registered class wins.
//
// Forms are registered from the start: their normal bounds, window state and active
// control are kept together with the screen resolution they were taken at, and are
// rescaled when read back at another resolution.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QPointer>

#include "platform/rtl/Persistent.h"
#include "platform/rtl/Variant.h"
#include "platform/ui/Form.h"

namespace grid {

class TStoragePropertyInterceptor : public rtl::TPersistent {
public:
    explicit TStoragePropertyInterceptor(rtl::TPersistent* interceptedObject);
    TStoragePropertyInterceptor(const TStoragePropertyInterceptor&) = delete;
    TStoragePropertyInterceptor& operator=(const TStoragePropertyInterceptor&) = delete;

    rtl::TPersistent* InterceptedObject() const { return interceptedObject_; }
    // Whether the interceptor stands in for its object at all.
    virtual bool AcceptsObject() const;
    // Gives the values read back to the object; called once all of them are in.
    virtual void ApplyStored();

    // The published properties, in the order they were published.
    std::vector<std::string> PropertyNames() const;
    bool HasProperty(const std::string& name) const;
    // The value to store; Unassigned for a name that is not published. Names compare
    // with the letter case ignored.
    rtl::Variant GetPropertyValue(const std::string& name) const;
    // Takes a value read back. False, and nothing changes, for a name that is not
    // published or a value the property cannot take (a text that is no number, an
    // unknown name); the storage goes on with the next value.
    bool SetPropertyValue(const std::string& name, const rtl::Variant& value);

protected:
    using TPropertyReader = std::function<rtl::Variant()>;
    // False for a value the property cannot take.
    using TPropertyWriter = std::function<bool(const rtl::Variant& value)>;
    void PublishProperty(std::string name, TPropertyReader read, TPropertyWriter write);
    void PublishIntegerProperty(std::string name, std::function<int()> read, std::function<void(int)> write);

private:
    struct TPublishedProperty {
        std::string Name;
        TPropertyReader Read;
        TPropertyWriter Write;
    };
    const TPublishedProperty* FindProperty(const std::string& name) const;

    rtl::TPersistent* interceptedObject_ = nullptr;
    std::vector<TPublishedProperty> properties_;
};

// An interceptor class: makes an interceptor of its type for an object. One type gives
// one and the same value, so classes compare with ==.
using TStoragePropertyInterceptorClass =
    std::unique_ptr<TStoragePropertyInterceptor> (*)(rtl::TPersistent* interceptedObject);

template <typename Interceptor>
std::unique_ptr<TStoragePropertyInterceptor> CreateStoragePropertyInterceptor(rtl::TPersistent* interceptedObject)
{
    return std::make_unique<Interceptor>(interceptedObject);
}

template <typename Interceptor>
TStoragePropertyInterceptorClass InterceptorClass()
{
    return &CreateStoragePropertyInterceptor<Interceptor>;
}

// Makes interceptorClass the stand-in for objects of the class named targetClassName,
// in place of any class registered for that name before.
void RegisterClassPropertyInterceptor(const std::string& targetClassName,
                                      TStoragePropertyInterceptorClass interceptorClass);
// Removes that pair; another interceptor class registered for the name stays.
void UnregisterClassPropertyInterceptor(const std::string& targetClassName,
                                        TStoragePropertyInterceptorClass interceptorClass);
// The interceptor class registered for the object's own class or its nearest registered
// ancestor; nullptr when there is none.
TStoragePropertyInterceptorClass GetPropertyInterceptorClass(const rtl::TObject& object);
// An interceptor for object of that class; none when no class is registered for it or
// the interceptor does not accept it.
std::unique_ptr<TStoragePropertyInterceptor> CreatePropertyInterceptor(rtl::TPersistent& object);

// Stands in for a form (for any other object it publishes zeros and applies nothing).
// Published: ActiveControl (the control's name), Height, Left, PixelsPerInch, Top,
// Width, WindowState ("wsNormal", "wsMinimized", "wsMaximized").
class TFormStoragePropertyInterceptor : public TStoragePropertyInterceptor {
public:
    // Takes the form's normal bounds, the screen resolution, its window state and its
    // active control.
    explicit TFormStoragePropertyInterceptor(rtl::TPersistent* interceptedObject);

    ui::TControl* GetActiveControl() const { return activeControl_; }
    void SetActiveControl(ui::TControl* control) { activeControl_ = control; }
    // The getters of the bounds read the form's normal bounds as they are now; the
    // setters keep the value for ApplyStored.
    int GetHeight() const;
    void SetHeight(int value) { height_ = value; }
    int GetLeft() const;
    void SetLeft(int value);
    int GetTop() const;
    void SetTop(int value);
    int GetWidth() const;
    void SetWidth(int value) { width_ = value; }
    int GetPixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int value) { pixelsPerInch_ = value; }
    ui::TWindowState GetWindowState() const { return windowState_; }
    void SetWindowState(ui::TWindowState value) { windowState_ = value; }

    // Rescales the bounds from the stored resolution to the screen's, sets the window
    // state, the active control and the normal bounds. A form placed in the centre is
    // put where it was stored once a Left or Top was read back.
    void ApplyStored() override;

private:
    ui::TRect NormalPlacement() const;

    QPointer<ui::TForm> form_;
    QPointer<ui::TControl> activeControl_;
    int height_ = 0;
    int left_ = 0;
    int pixelsPerInch_ = 0;
    bool positionRead_ = false;
    int top_ = 0;
    int width_ = 0;
    ui::TWindowState windowState_ = ui::wsNormal;
};

} // namespace grid
