// Class ancestry by name from the type information.
#include <gtest/gtest.h>

#include "platform/rtl/ClassInfo.h"
#include "platform/rtl/Component.h"

namespace {
struct TMixin {
    virtual ~TMixin() = default;
};
class TPlainComponent : public rtl::TComponent {
public:
    TPlainComponent() : rtl::TComponent(nullptr) {}
};
// Two bases: both lines of ancestors are walked, nearest first.
class TMixedComponent : public TPlainComponent, public TMixin {};
} // namespace

TEST(ClassInfo, AncestryAndDistancesFollowEveryBaseNearestFirst)
{
    EXPECT_EQ(rtl::ClassAncestry(typeid(TPlainComponent)),
              (std::vector<std::string>{"TPlainComponent", "TComponent", "TPersistent", "TObject"}));
    TMixedComponent mixed;
    EXPECT_EQ(rtl::ClassAncestry(typeid(mixed)),
              (std::vector<std::string>{"TMixedComponent", "TPlainComponent", "TMixin", "TComponent", "TPersistent",
                                        "TObject"}));
    EXPECT_EQ(rtl::ClassDistance(mixed, "TMixedComponent"), 0);
    EXPECT_EQ(rtl::ClassDistance(mixed, "tmixin"), 1);
    EXPECT_EQ(rtl::ClassDistance(mixed, "TObject"), 4);
    EXPECT_EQ(rtl::ClassDistance(mixed, "TStringList"), -1);
    // Through a base pointer the object's own class counts.
    const rtl::TObject& base = mixed;
    EXPECT_EQ(rtl::ClassDistance(base, "TPlainComponent"), 1);
    EXPECT_TRUE(rtl::SameClassName("TDataSet", "tDATAset"));
    EXPECT_FALSE(rtl::SameClassName("TDataSet", "TDataSets"));
}
