// Clipboard, message boxes, pop-ups and hints, work area, themes, bitmaps and image
// lists, timers and forms.
#include "UiTestSupport.h"

#include <QClipboard>
#include <QAbstractButton>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>

#include "support/TempDir.h"
#include "platform/rtl/Exception.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/EditBase.h"
#include "platform/ui/Form.h"
#include "platform/ui/Popup.h"
#include "platform/ui/Themes.h"
#include "platform/ui/Timer.h"

using namespace ui;

namespace {
class ServicesTest : public uitest::UiTest {};

std::string AllBytes()
{
    std::string s;
    for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
    return s;
}
} // namespace

TEST_F(ServicesTest, EveryClipboardFormatRoundTripsItsBytes)
{
    const TClipboardFormat csv = RegisterClipboardFormat("Csv");
    const TClipboardFormat rtf = RegisterClipboardFormat("Rich Text Format");
    const TClipboardFormat bin = RegisterClipboardFormat("KVDBIF");
    EXPECT_EQ(RegisterClipboardFormat("KVDBIF"), bin);
    EXPECT_EQ(ClipboardFormatMimeType(csv), "text/csv");
    EXPECT_EQ(ClipboardFormatMimeType(rtf), "text/rtf");
    EXPECT_EQ(ClipboardFormatMimeType(bin), "application/x-kvdbif");
    EXPECT_THROW(ClipboardFormatMimeType(0xBEEF), rtl::Exception);

    const std::string bytes = AllBytes();
    for (TClipboardFormat f : {csv, rtf, bin}) {
        Clipboard().SetAsBytes(f, bytes);
        EXPECT_TRUE(Clipboard().HasFormat(f));
        EXPECT_EQ(Clipboard().GetAsBytes(f), bytes) << ClipboardFormatMimeType(f);
    }
    // Plain text: every byte but NUL survives the trip through Unicode.
    const std::string text = bytes.substr(1);
    Clipboard().SetAsText(text);
    EXPECT_EQ(Clipboard().AsText(), text);
    Clipboard().SetAsText("dB\xB5V");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("dB\xC2\xB5V"));
    EXPECT_FALSE(Clipboard().HasFormat(csv)); // a Set outside a bracket replaces everything
}

TEST_F(ServicesTest, AnOpenClipboardCollectsSeveralFormatsAndPublishesThemAtClose)
{
    const TClipboardFormat csv = RegisterClipboardFormat("Csv");
    const TClipboardFormat bin = RegisterClipboardFormat("KVDBIF");
    Clipboard().SetAsText("old");
    Clipboard().Open();
    Clipboard().SetAsText("a\tb");
    Clipboard().SetAsBytes(csv, "\"a\";\"b\"");
    Clipboard().SetAsBytes(bin, std::string("\0\1\2", 3));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString("old"));
    Clipboard().Close();
    EXPECT_EQ(Clipboard().AsText(), "a\tb");
    EXPECT_EQ(Clipboard().GetAsBytes(csv), "\"a\";\"b\"");
    EXPECT_EQ(Clipboard().GetAsBytes(bin), std::string("\0\1\2", 3));
    Clipboard().Clear();
    EXPECT_FALSE(Clipboard().HasFormat(bin));
    EXPECT_EQ(Clipboard().GetAsBytes(bin), "");
}

TEST_F(ServicesTest, MessageBoxesGoThroughTheInstalledService)
{
    Boxes.Answer = mrAll;
    EXPECT_EQ(MessageDlg("Ignore error?", mtConfirmation, mbYes | mbNo | mbAll), mrAll);
    ShowMessage("Done");
    MessageDlg("Broken", mtError, mbOK);
    MessageBeep();
    ASSERT_EQ(Boxes.Requests.size(), 3u);
    EXPECT_EQ(Boxes.Requests[0].Caption, "Confirm");
    EXPECT_EQ(Boxes.Requests[0].Buttons, mbYes | mbNo | mbAll);
    EXPECT_EQ(Boxes.Requests[1].Caption, "Information");
    EXPECT_EQ(Boxes.Requests[1].Buttons, static_cast<unsigned>(mbOK));
    EXPECT_EQ(Boxes.Requests[2].Caption, "Error");
    EXPECT_EQ(Boxes.Beeps, 1);
}

TEST_F(ServicesTest, TheRealMessageBoxAnswersWithTheButtonPressed)
{
    SetMessageBoxService(nullptr);
    TModalResult result = mrNone;
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w))
                for (QAbstractButton* b : box->buttons())
                    if (b->text() == "&All") b->click();
    });
    result = MessageDlg("Error during insert value:", mtConfirmation, mbYes | mbNo | mbAll);
    EXPECT_EQ(result, mrAll);
}

// Enter on the real box gives what a box nobody sees is answered with.
TEST_F(ServicesTest, EnterOnTheRealMessageBoxGivesTheDefaultAnswer)
{
    SetMessageBoxService(nullptr);
    struct TCase {
        TMsgDlgButtons Buttons;
        TModalResult Answer;
        const char* Caption;
    };
    const TCase cases[] = {
        {mbYes | mbNo | mbAll, mrYes, "Yes"},
        {mbOK | mbCancel, mrOk, "OK"},
        {0, mrOk, "OK"},
        {mbCancel | mbRetry, mrCancel, "Cancel"},
        {mbNoToAll | mbYesToAll, mrNoToAll, "No to All"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Caption);
        std::string caption;
        EXPECT_EQ(DefaultMsgDlgAnswer(c.Buttons, &caption), c.Answer);
        EXPECT_EQ(caption, c.Caption);
        QTimer::singleShot(0, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w)) QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(MessageDlg("Go on?", mtConfirmation, c.Buttons), c.Answer);
    }
}

TEST_F(ServicesTest, ANoActivatePopupLeavesTheFocusWhereItWas)
{
    TForm form;
    form.SetBounds(100, 100, 200, 100);
    auto* edit = new TCustomEdit(&form);
    uitest::ShowActive(&form);
    edit->SetFocus();
    ASSERT_TRUE(edit->Focused());
    TPopupWindow popup(edit);
    popup.SetBounds(0, 0, 80, 60);
    popup.ShowAt(120, 130);
    QCoreApplication::processEvents();
    EXPECT_TRUE(popup.isVisible());
    EXPECT_EQ(popup.geometry().topLeft(), QPoint(120, 130));
    EXPECT_TRUE(edit->Focused());
    EXPECT_EQ(QApplication::activeWindow(), &form);
    EXPECT_FALSE(popup.CanFocus());
    popup.Hide();
    EXPECT_TRUE(edit->Focused());
}

TEST_F(ServicesTest, AHintWindowSizesToItsTextAndHidesItself)
{
    THintWindow hint;
    TRect r = hint.CalcHintRect(300, "Value out of range");
    TCanvas measure;
    EXPECT_EQ(r.Width(), measure.TextWidth("Value out of range") + 6);
    EXPECT_EQ(r.Height(), measure.TextHeight("V") + 6);
    TRect wrapped = hint.CalcHintRect(measure.TextWidth("Value out") + 1, "Value out of range");
    EXPECT_EQ(wrapped.Height(), 2 * measure.TextHeight("V") + 6);
    hint.HidePause = 20;
    r.Offset(10, 10);
    hint.ActivateHint(r, "Value out of range");
    EXPECT_TRUE(hint.isVisible());
    QImage img = uitest::Render(&hint);
    EXPECT_EQ(uitest::PixelAt(img, 0, 0), SysColors()[COLOR_WINDOWFRAME]);
    EXPECT_EQ(uitest::PixelAt(img, 1, 1), SysColors()[COLOR_INFOBK]);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return !hint.isVisible(); }, 2000));
}

TEST_F(ServicesTest, TheWorkAreaIsThatOfTheMonitorUnderTheRectangle)
{
    QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    TRect area = MonitorWorkArea({10, 10, 50, 50});
    EXPECT_EQ(area, (TRect{available.left(), available.top(), available.left() + available.width(),
                           available.top() + available.height()}));
    EXPECT_EQ(MonitorWorkArea({-5000, -5000, -4000, -4000}), area); // off every screen: the nearest
    const uitest::TWorkAreaScope workArea({0, 0, 640, 480});
    EXPECT_EQ(MonitorWorkArea({10, 10, 50, 50}), (TRect{0, 0, 640, 480}));
}

TEST_F(ServicesTest, FlatFrameControlsDrawClassicButtonsArrowsAndCheckBoxes)
{
    QImage img = uitest::WhiteImage(60, 20);
    {
        uitest::TImageCanvas c(img);
        ThemeServices().DrawPart(c.Canvas, tpDropDown, {0, 0, 17, 17}, tsNormal);
        ThemeServices().DrawPart(c.Canvas, tpDropDown, {20, 0, 37, 17}, tsPressed);
        ThemeServices().DrawPart(c.Canvas, tpCheckBox, {40, 0, 53, 13}, tsNormal, csChecked);
    }
    const TSysColorTable& sys = SysColors();
    EXPECT_EQ(uitest::PixelAt(img, 0, 0), sys[COLOR_3DLIGHT]);
    EXPECT_EQ(uitest::PixelAt(img, 16, 16), sys[COLOR_3DDKSHADOW]);
    // A four-row arrow, seven pixels at its widest, centred at (8, 8).
    EXPECT_EQ(uitest::PixelAt(img, 5, 6), sys[COLOR_BTNTEXT]);
    EXPECT_EQ(uitest::PixelAt(img, 11, 6), sys[COLOR_BTNTEXT]);
    EXPECT_EQ(uitest::PixelAt(img, 4, 6), sys[COLOR_BTNFACE]);
    EXPECT_EQ(uitest::PixelAt(img, 8, 9), sys[COLOR_BTNTEXT]);
    EXPECT_EQ(uitest::PixelAt(img, 7, 9), sys[COLOR_BTNFACE]);
    // Pressed: a thin shadow frame and the arrow one pixel down and right.
    EXPECT_EQ(uitest::PixelAt(img, 20, 0), sys[COLOR_BTNSHADOW]);
    EXPECT_EQ(uitest::PixelAt(img, 29, 10), sys[COLOR_BTNTEXT]);
    // Check box: sunken edge, window colour inside, a mark.
    EXPECT_EQ(uitest::PixelAt(img, 40, 0), sys[COLOR_BTNSHADOW]);
    EXPECT_EQ(uitest::PixelAt(img, 42, 2), sys[COLOR_WINDOW]);
    QRect mark = uitest::InkBounds(img.copy(42, 2, 9, 9));
    EXPECT_EQ(mark, QRect(1, 1, 7, 7));
}

TEST_F(ServicesTest, ThemedPartsShowTheirStates)
{
    ThemeServices().SetThemesEnabled(true);
    auto draw = [](TThemedPart part, unsigned state, TCheckState check = csUnchecked) {
        QImage img = uitest::WhiteImage(20, 20);
        uitest::TImageCanvas c(img);
        ThemeServices().DrawPart(c.Canvas, part, {2, 2, 18, 18}, state, check);
        c.End();
        return img;
    };
    const QImage blank = uitest::WhiteImage(20, 20);
    for (TThemedPart part : {tpDropDown, tpSpinUp, tpSpinDown, tpPushButton, tpCheckBox})
        EXPECT_NE(draw(part, tsNormal), blank) << part;
    EXPECT_NE(draw(tpCheckBox, tsNormal, csChecked), draw(tpCheckBox, tsNormal, csUnchecked));
    EXPECT_NE(draw(tpCheckBox, tsNormal, csGrayed), draw(tpCheckBox, tsNormal, csChecked));
    EXPECT_NE(draw(tpSpinUp, tsNormal), draw(tpSpinDown, tsNormal));
    EXPECT_NE(draw(tpPushButton, tsPressed), draw(tpPushButton, tsNormal));
    EXPECT_NE(draw(tpToolButton, tsHot | tsPressed), draw(tpToolButton, tsNormal));
}

TEST_F(ServicesTest, ImageListsDrawWithTheTransparentColourAndTheSelectedBlend)
{
    TBitmap strip(8, 4);
    strip.Canvas().Brush().SetColor(clFuchsia);
    strip.Canvas().FillRect({0, 0, 8, 4});
    strip.Canvas().Brush().SetColor(clLime);
    strip.Canvas().FillRect({0, 0, 2, 2});
    strip.Canvas().Brush().SetColor(clBlue);
    strip.Canvas().FillRect({4, 0, 6, 2});
    TImageList list(4, 4);
    EXPECT_EQ(list.AddMasked(strip, clFuchsia), 0);
    EXPECT_EQ(list.Count(), 2);

    QImage img = uitest::WhiteImage(20, 10);
    {
        uitest::TImageCanvas c(img);
        list.Draw(c.Canvas, 0, 0, 0);
        list.Draw(c.Canvas, 5, 0, 1);
        list.DrawEx(c.Canvas, 10, 0, 0, clNone, clDefault, ILD_SELECTED);
        list.DrawEx(c.Canvas, 15, 0, 1, clYellow, clDefault, ILD_NORMAL);
        list.Draw(c.Canvas, 0, 5, 99); // no such image: nothing
    }
    EXPECT_EQ(uitest::PixelAt(img, 0, 0), clLime);
    EXPECT_EQ(uitest::PixelAt(img, 3, 3), clWhite); // transparent colour left out
    EXPECT_EQ(uitest::PixelAt(img, 5, 0), clBlue);
    // Selected: half lime, half the highlight colour (0, 0, 128).
    TColor blended = uitest::PixelAt(img, 10, 0);
    EXPECT_NEAR(GetGValue(blended), 128, 2);
    EXPECT_NEAR(GetBValue(blended), 64, 2);
    EXPECT_EQ(uitest::PixelAt(img, 13, 3), clWhite);
    EXPECT_EQ(uitest::PixelAt(img, 18, 3), clYellow); // background behind the masked part
    EXPECT_EQ(uitest::InkBounds(img.copy(0, 5, 20, 5)), QRect());
    EXPECT_THROW(list.Delete(5), rtl::EListError);
}

TEST_F(ServicesTest, BitmapsDrawTransparentlyAndLoadFiles)
{
    TBitmap b(3, 3);
    b.Canvas().Brush().SetColor(clRed);
    b.Canvas().FillRect({0, 0, 3, 3});
    b.Canvas().SetPixel(1, 1, clBlue);
    EXPECT_EQ(b.Pixel(1, 1), clBlue);
    EXPECT_EQ(b.TransparentColor(), clRed); // the bottom-left pixel
    b.SetTransparent(true);
    QImage img = uitest::WhiteImage(5, 5);
    {
        uitest::TImageCanvas c(img);
        c.Canvas.Draw(1, 1, b);
    }
    EXPECT_EQ(uitest::PixelAt(img, 1, 1), clWhite);
    EXPECT_EQ(uitest::PixelAt(img, 2, 2), clBlue);

    testsupport::TempDir dir;
    const std::string path = dir.File("glyph.png");
    ASSERT_TRUE(b.Image().save(QString::fromStdString(path)));
    TBitmap loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Width(), 3);
    EXPECT_EQ(loaded.Pixel(1, 1), clBlue);
    EXPECT_THROW(loaded.LoadFromFile(dir.File("missing.bmp")), rtl::Exception);
}

TEST_F(ServicesTest, FontsPensAndBrushesAnnounceChangesOnce)
{
    TFont f;
    int notices = 0;
    f.OnChange = TNotifyEvent::FromFunction([&](TObject*) { ++notices; });
    f.SetHeight(f.Height());
    EXPECT_EQ(notices, 0);
    f.SetSize(10);
    EXPECT_EQ(f.Height(), -13);
    EXPECT_EQ(f.Size(), 10);
    f.SetStyle(fsBold | fsItalic);
    EXPECT_EQ(notices, 2);
    EXPECT_TRUE(f.ToQFont().bold());
    EXPECT_EQ(f.ToQFont().pixelSize(), 13);
    TFont g;
    g.Assign(f);
    EXPECT_TRUE(g.SameAs(f));
    f.Assign(g);
    EXPECT_EQ(notices, 2);

    TBrush brush;
    brush.SetStyle(bsClear);
    brush.SetColor(clRed);
    EXPECT_EQ(brush.Style(), bsSolid); // a colour makes a clear brush solid
}

TEST_F(ServicesTest, TimersRunOnlyEnabledWithAHandlerAndFailuresGoToTheHandler)
{
    TTimer timer;
    timer.SetInterval(5);
    EXPECT_FALSE(timer.Running());
    int ticks = 0;
    timer.SetOnTimer(TNotifyEvent::FromFunction([&](TObject*) {
        if (++ticks == 2) throw rtl::Exception("tick failed");
    }));
    EXPECT_TRUE(timer.Running());
    ASSERT_TRUE(testsupport::WaitUntil([&] { return ticks >= 3; }, 2000));
    EXPECT_EQ(Exceptions, (std::vector<std::string>{"tick failed"}));
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Running());
}

TEST_F(ServicesTest, AModalFormEndsWithItsModalResultAndCloseAsksFirst)
{
    TForm form;
    form.SetBounds(0, 0, 100, 80);
    QTimer::singleShot(0, [&] { form.SetModalResult(mrYes); });
    EXPECT_EQ(form.ShowModal(), mrYes);
    EXPECT_FALSE(form.Visible());

    bool allow = false;
    std::vector<TCloseAction> closed;
    form.OnCloseQuery = TCloseQueryEvent::FromFunction([&](TObject*, bool& can) { can = allow; });
    form.OnClose = TCloseEvent::FromFunction([&](TObject*, TCloseAction& a) { closed.push_back(a); });
    form.Show();
    form.Close();
    EXPECT_TRUE(form.Visible());
    allow = true;
    form.Close();
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(closed, (std::vector<TCloseAction>{caHide}));

    QTimer::singleShot(0, [&] { form.Close(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
}
