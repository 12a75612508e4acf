// Several controls hear the changes of one image list.
#include <gtest/gtest.h>

#include "platform/ui/Bitmap.h"

namespace {

struct TListener {
    void Changed(rtl::TObject* sender)
    {
        ++Calls;
        Sender = sender;
    }
    int Calls = 0;
    rtl::TObject* Sender = nullptr;
};

TEST(ImageListListeners, EveryListenerHearsEachChangeAndAddingAgainRemoves)
{
    ui::TImageList list(4, 4);
    TListener a;
    TListener b;
    int single = 0;
    list.OnChange = rtl::TNotifyEvent::FromFunction([&](rtl::TObject*) { ++single; });
    EXPECT_TRUE(list.ChangeListeners().Add({&a, &TListener::Changed}));
    EXPECT_TRUE(list.ChangeListeners().Add({&b, &TListener::Changed}));
    ui::TBitmap image(4, 4);
    list.Add(image);
    EXPECT_EQ(a.Calls, 1);
    EXPECT_EQ(b.Calls, 1);
    EXPECT_EQ(single, 1);
    EXPECT_EQ(a.Sender, static_cast<rtl::TObject*>(&list));

    EXPECT_FALSE(list.ChangeListeners().Add({&a, &TListener::Changed}));
    list.Clear();
    EXPECT_EQ(a.Calls, 1);
    EXPECT_EQ(b.Calls, 2);
    list.ChangeListeners().Remove({&b, &TListener::Changed});
    list.SetSize(8, 8);
    EXPECT_EQ(b.Calls, 2);
    EXPECT_EQ(single, 3);
}

} // namespace
