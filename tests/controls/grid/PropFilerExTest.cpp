#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QtCore/qtestsupport_core.h>
#include <QtWidgets/qtestsupport_widgets.h>
#include <gtest/gtest.h>

#include "controls/grid/PropFilerEx.h"
#include "platform/rtl/Component.h"
#include "platform/ui/EditBase.h"
#include "platform/ui/Form.h"
#include "platform/ui/Metrics.h"
#include "platform/rtl/UpdateScope.h"

namespace {

using namespace grid;
using rtl::Variant;
using ui::TRect;

class TSettingsForm : public ui::TForm {
    using TForm::TForm;
};

// Stands in for whatever it is given and publishes nothing.
class TPlainInterceptor : public TStoragePropertyInterceptor {
    using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
};

class TRefusingInterceptor : public TStoragePropertyInterceptor {
public:
    using TStoragePropertyInterceptor::TStoragePropertyInterceptor;
    bool AcceptsObject() const override { return false; }
};

const TStoragePropertyInterceptorClass FormClass = InterceptorClass<TFormStoragePropertyInterceptor>();
const TStoragePropertyInterceptorClass PlainClass = InterceptorClass<TPlainInterceptor>();

void SetScreenPixelsPerInch(int value)
{
    ui::TSystemMetrics metrics = ui::Metrics();
    metrics.PixelsPerInch = value;
    ui::SetMetrics(metrics);
}

// A hidden form at 96 pixels per inch, with two edits; the registry as the program has it.
class PropFilerExTest : public ::testing::Test {
protected:
    // The metrics the cases change (the screen's resolution, the work area) come back at the end.
    rtl::TValueScope<ui::TSystemMetrics> metricsScope{ui::Metrics(), ui::Metrics()};

    void SetUp() override
    {
        form = new TSettingsForm;
        form->SetBounds(40, 30, 300, 200);
        first = new ui::TCustomEdit(form);
        first->SetName("FirstEdit");
        first->SetBounds(8, 8, 120, 24);
        second = new ui::TCustomEdit(form);
        second->SetName("SecondEdit");
        second->SetBounds(8, 40, 120, 24);
    }
    void TearDown() override
    {
        delete form;
        RegisterClassPropertyInterceptor("TForm", FormClass);
        UnregisterClassPropertyInterceptor("TSettingsForm", PlainClass);
    }

    std::unique_ptr<TFormStoragePropertyInterceptor> Intercept()
    {
        return std::make_unique<TFormStoragePropertyInterceptor>(form);
    }

    static void Store(TStoragePropertyInterceptor& interceptor, const TRect& r, int pixelsPerInch)
    {
        EXPECT_TRUE(interceptor.SetPropertyValue("PixelsPerInch", pixelsPerInch));
        EXPECT_TRUE(interceptor.SetPropertyValue("Left", r.Left));
        EXPECT_TRUE(interceptor.SetPropertyValue("Top", r.Top));
        EXPECT_TRUE(interceptor.SetPropertyValue("Width", r.Width()));
        EXPECT_TRUE(interceptor.SetPropertyValue("Height", r.Height()));
    }

    static void ShowActive(ui::TForm* f)
    {
        f->Show();
        f->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f));
    }

    ui::TFixedMetricsScope fixedMetrics;
    TSettingsForm* form = nullptr;
    ui::TCustomEdit* first = nullptr;
    ui::TCustomEdit* second = nullptr;
};

TEST_F(PropFilerExTest, BoundsStoredAtOneResolutionAreRescaledToTheScreens)
{
    struct Case {
        int storedPixelsPerInch;
        int screenPixelsPerInch;
        TRect stored;
        TRect expected;
    };
    const std::vector<Case> cases{
        {96, 120, {80, 40, 480, 340}, {100, 50, 600, 425}}, // width 400 becomes 500
        {120, 96, {100, 50, 600, 425}, {80, 40, 480, 340}},
        {96, 96, {13, 17, 346, 217}, {13, 17, 346, 217}},
        {96, 144, {1, 3, 334, 203}, {2, 5, 502, 305}},    // halves round away from zero
        {0, 120, {80, 40, 480, 340}, {80, 40, 480, 340}}, // no resolution stored: no division by 0
        {-96, 120, {80, 40, 480, 340}, {80, 40, 480, 340}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.storedPixelsPerInch) + " -> " + std::to_string(c.screenPixelsPerInch));
        form->SetBounds(0, 0, 200, 100);
        SetScreenPixelsPerInch(c.screenPixelsPerInch);
        auto interceptor = Intercept();
        Store(*interceptor, c.stored, c.storedPixelsPerInch);
        interceptor->ApplyStored();
        EXPECT_EQ(form->BoundsRect(), c.expected);
        EXPECT_EQ(form->WindowState(), ui::wsNormal);
    }
}

TEST_F(PropFilerExTest, ADamagedOrEditedPlacementComesBackInsideTheWorkArea)
{
    const TRect area{0, 0, 800, 600};
    ui::TSystemMetrics metrics = ui::Metrics();
    metrics.WorkAreaOverride = area;
    ui::SetMetrics(metrics);
    constexpr int kMax = std::numeric_limits<int>::max();
    constexpr int kMin = std::numeric_limits<int>::min();
    struct Case {
        const char* what;
        int pixelsPerInch;
        int left, top, width, height;
    };
    const std::vector<Case> cases{
        {"left + width past the int range", 96, kMax - 10, 100, 1000, 300},
        {"the int limits", 96, kMin, kMax, kMax, kMin},
        {"a million pixels each way", 96, 20, 20, 1000000, 1000000},
        {"scaled past the int range", 1, 200000000, 5, 100000000, 200},
        {"negative sizes", 96, 100, 100, -50, -7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetScreenPixelsPerInch(120);
        auto interceptor = Intercept();
        EXPECT_TRUE(interceptor->SetPropertyValue("PixelsPerInch", c.pixelsPerInch));
        EXPECT_TRUE(interceptor->SetPropertyValue("Left", c.left));
        EXPECT_TRUE(interceptor->SetPropertyValue("Top", c.top));
        EXPECT_TRUE(interceptor->SetPropertyValue("Width", c.width));
        EXPECT_TRUE(interceptor->SetPropertyValue("Height", c.height));
        interceptor->ApplyStored();
        const TRect bounds = form->BoundsRect();
        EXPECT_TRUE(area.ContainsRect(bounds)) << bounds.Left << "," << bounds.Top << " " << bounds.Width() << "x"
                                               << bounds.Height();
    }
    // A window too large for the area takes all of it.
    SetScreenPixelsPerInch(96);
    auto interceptor = Intercept();
    Store(*interceptor, {20, 20, 1000020, 1000020}, 96);
    interceptor->ApplyStored();
    EXPECT_EQ(form->BoundsRect(), area);
}

TEST_F(PropFilerExTest, TakesTheNormalPlacementResolutionStateAndActiveControlOfTheForm)
{
    second->setFocus(); // the control that takes the focus when the form shows
    auto interceptor = Intercept();
    const std::vector<std::string> published{"ActiveControl", "Height", "Left", "PixelsPerInch", "Top", "Width",
                                             "WindowState"};
    EXPECT_EQ(interceptor->PropertyNames(), published);
    EXPECT_EQ(interceptor->GetPropertyValue("Left"), Variant(40));
    EXPECT_EQ(interceptor->GetPropertyValue("top"), Variant(30));
    EXPECT_EQ(interceptor->GetPropertyValue("WIDTH"), Variant(300));
    EXPECT_EQ(interceptor->GetPropertyValue("Height"), Variant(200));
    EXPECT_EQ(interceptor->GetPropertyValue("PixelsPerInch"), Variant(96));
    EXPECT_EQ(interceptor->GetPropertyValue("WindowState").AsString(), "wsNormal");
    EXPECT_EQ(interceptor->GetPropertyValue("ActiveControl").AsString(), "SecondEdit");

    // The bounds read what the form has now; the values read back wait for ApplyStored.
    EXPECT_TRUE(interceptor->SetPropertyValue("Width", 640));
    EXPECT_EQ(interceptor->GetPropertyValue("Width"), Variant(300));
    form->SetWidth(320);
    EXPECT_EQ(interceptor->GetPropertyValue("Width"), Variant(320));
    interceptor->ApplyStored();
    EXPECT_EQ(form->BoundsRect(), (TRect{40, 30, 680, 230}));

    // Anything but a form: zeros, and nothing to apply.
    rtl::TComponent component(nullptr);
    TFormStoragePropertyInterceptor other(&component);
    EXPECT_EQ(other.GetPropertyValue("Left"), Variant(0));
    EXPECT_EQ(other.GetPropertyValue("Width"), Variant(0));
    EXPECT_EQ(other.GetPropertyValue("PixelsPerInch"), Variant(0));
    EXPECT_EQ(other.GetPropertyValue("ActiveControl").AsString(), "");
    other.ApplyStored();
}

TEST_F(PropFilerExTest, ValuesItCannotTakeAreRefusedAndChangeNothing)
{
    auto interceptor = Intercept();
    Store(*interceptor, {10, 20, 410, 320}, 96);
    EXPECT_FALSE(interceptor->SetPropertyValue("Width", "wide"));
    EXPECT_FALSE(interceptor->SetPropertyValue("Height", Variant::Null()));
    EXPECT_FALSE(interceptor->SetPropertyValue("Top", 1e12));
    EXPECT_FALSE(interceptor->SetPropertyValue("WindowState", "wsHuge"));
    EXPECT_FALSE(interceptor->SetPropertyValue("WindowState", 2));
    EXPECT_FALSE(interceptor->SetPropertyValue("ActiveControl", "NoSuchEdit"));
    EXPECT_FALSE(interceptor->SetPropertyValue("Caption", "Settings"));
    EXPECT_FALSE(interceptor->HasProperty("Caption"));
    EXPECT_TRUE(interceptor->GetPropertyValue("Caption").IsEmpty());
    EXPECT_TRUE(interceptor->SetPropertyValue("Left", "12")); // a text that reads as a number is fine
    interceptor->ApplyStored();
    EXPECT_EQ(form->BoundsRect(), (TRect{12, 20, 412, 320}));
    EXPECT_EQ(form->WindowState(), ui::wsNormal);
}

TEST_F(PropFilerExTest, AMaximizedFormChangesOnlyTheRectangleItReturnsTo)
{
    ShowActive(form);
    form->SetWindowState(ui::wsMaximized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->WindowState() == ui::wsMaximized; }, 2000));
    const TRect maximized = form->BoundsRect();

    auto interceptor = Intercept();
    // What is stored of a maximized form is its normal rectangle.
    EXPECT_EQ(interceptor->GetPropertyValue("Left"), Variant(40));
    EXPECT_EQ(interceptor->GetPropertyValue("Width"), Variant(300));
    EXPECT_EQ(interceptor->GetPropertyValue("WindowState").AsString(), "wsMaximized");

    SetScreenPixelsPerInch(120);
    Store(*interceptor, {80, 40, 480, 240}, 96);
    interceptor->ApplyStored();
    EXPECT_EQ(form->WindowState(), ui::wsMaximized);
    EXPECT_EQ(form->BoundsRect(), maximized);
    EXPECT_EQ(form->NormalBounds(), (TRect{100, 50, 600, 300}));

    form->SetWindowState(ui::wsNormal);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->WindowState() == ui::wsNormal; }, 2000));
    EXPECT_EQ(form->BoundsRect(), (TRect{100, 50, 600, 300}));
}

TEST_F(PropFilerExTest, AStoredWindowStateComesBackWithItsNormalRectangle)
{
    auto interceptor = Intercept();
    Store(*interceptor, {60, 70, 460, 370}, 96);
    EXPECT_TRUE(interceptor->SetPropertyValue("WindowState", "WSMAXIMIZED"));
    interceptor->ApplyStored();
    EXPECT_EQ(form->WindowState(), ui::wsMaximized);
    EXPECT_EQ(form->NormalBounds(), (TRect{60, 70, 460, 370}));
}

TEST_F(PropFilerExTest, ACentredFormKeepsItsPositionModeUnlessLeftOrTopWasRead)
{
    struct Case {
        const char* name;
        ui::TPosition position;
        bool designing;
        std::vector<const char*> readBack;
        ui::TPosition expected;
    };
    const std::vector<Case> cases{
        {"size only", ui::poScreenCenter, false, {"Width", "Height"}, ui::poScreenCenter},
        {"left", ui::poScreenCenter, false, {"Left"}, ui::poDesigned},
        {"top", ui::poDesktopCenter, false, {"Top"}, ui::poDesigned},
        {"designing", ui::poScreenCenter, true, {"Left", "Top"}, ui::poScreenCenter},
        {"owner centred", ui::poOwnerFormCenter, false, {"Left"}, ui::poOwnerFormCenter},
        {"default", ui::poDefault, false, {"Left"}, ui::poDefault},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->SetPosition(c.position);
        form->SetDesigning(c.designing);
        auto interceptor = Intercept();
        for (const char* name : c.readBack) EXPECT_TRUE(interceptor->SetPropertyValue(name, 50));
        interceptor->ApplyStored();
        EXPECT_EQ(form->Position(), c.expected);
    }
    form->SetDesigning(false);
}

TEST_F(PropFilerExTest, RegisteringAgainForAClassReplacesItsInterceptor)
{
    TSettingsForm settings;
    ui::TForm plainForm;
    rtl::TComponent component(nullptr);
    // Forms are registered from the start, for their descendants as well.
    EXPECT_EQ(GetPropertyInterceptorClass(plainForm), FormClass);
    EXPECT_EQ(GetPropertyInterceptorClass(settings), FormClass);
    EXPECT_EQ(GetPropertyInterceptorClass(component), nullptr);
    EXPECT_NE(dynamic_cast<TFormStoragePropertyInterceptor*>(CreatePropertyInterceptor(settings).get()), nullptr);
    EXPECT_EQ(CreatePropertyInterceptor(component), nullptr);

    RegisterClassPropertyInterceptor("tform", PlainClass);
    EXPECT_EQ(GetPropertyInterceptorClass(plainForm), PlainClass);
    // Removing a pair that is no longer registered leaves the one that is.
    UnregisterClassPropertyInterceptor("TForm", FormClass);
    EXPECT_EQ(GetPropertyInterceptorClass(plainForm), PlainClass);

    RegisterClassPropertyInterceptor("TForm", FormClass);
    RegisterClassPropertyInterceptor("TSettingsForm", PlainClass);
    EXPECT_EQ(GetPropertyInterceptorClass(settings), PlainClass); // the nearest class wins
    EXPECT_EQ(GetPropertyInterceptorClass(plainForm), FormClass);
    UnregisterClassPropertyInterceptor("TSettingsForm", PlainClass);
    EXPECT_EQ(GetPropertyInterceptorClass(settings), FormClass);

    UnregisterClassPropertyInterceptor("TForm", FormClass);
    EXPECT_EQ(GetPropertyInterceptorClass(settings), nullptr);
    EXPECT_EQ(CreatePropertyInterceptor(settings), nullptr);

    // An interceptor that does not accept its object is not handed out.
    RegisterClassPropertyInterceptor("TForm", InterceptorClass<TRefusingInterceptor>());
    EXPECT_EQ(CreatePropertyInterceptor(settings), nullptr);
}

TEST_F(PropFilerExTest, FocusGoesBackToTheStoredActiveControl)
{
    ShowActive(form);
    second->SetFocus();
    auto interceptor = Intercept();
    EXPECT_EQ(interceptor->GetPropertyValue("ActiveControl").AsString(), "SecondEdit");
    first->SetFocus();
    interceptor->ApplyStored();
    EXPECT_TRUE(second->Focused());
    EXPECT_EQ(form->ActiveControl(), second);

    // By name, as a storage reads it back.
    EXPECT_TRUE(interceptor->SetPropertyValue("ActiveControl", "firstedit"));
    interceptor->ApplyStored();
    EXPECT_EQ(form->ActiveControl(), first);
}

TEST_F(PropFilerExTest, FocusGoesToTheStoredActiveControlWhenTheFormShows)
{
    auto interceptor = Intercept();
    EXPECT_TRUE(interceptor->SetPropertyValue("ActiveControl", "SecondEdit"));
    interceptor->ApplyStored();
    ShowActive(form);
    EXPECT_TRUE(second->Focused());
}

TEST_F(PropFilerExTest, FocusCannotGoToAStoredControlThatCannotTakeItAndNothingIsRaised)
{
    ShowActive(form);
    first->SetFocus();
    auto interceptor = Intercept();
    Store(*interceptor, {60, 70, 460, 370}, 96);
    EXPECT_TRUE(interceptor->SetPropertyValue("ActiveControl", "SecondEdit"));

    second->SetEnabled(false);
    EXPECT_NO_THROW(interceptor->ApplyStored());
    EXPECT_EQ(form->BoundsRect(), (TRect{60, 70, 460, 370})); // the rest still comes back
    EXPECT_TRUE(first->Focused());

    second->SetEnabled(true);
    second->Hide();
    EXPECT_NO_THROW(interceptor->ApplyStored());
    EXPECT_TRUE(first->Focused());

    delete second; // gone before the values are applied
    second = nullptr;
    EXPECT_NO_THROW(interceptor->ApplyStored());
    EXPECT_TRUE(first->Focused());

    // A form that is gone: nothing to apply.
    delete form;
    form = nullptr;
    EXPECT_NO_THROW(interceptor->ApplyStored());
}

} // namespace
