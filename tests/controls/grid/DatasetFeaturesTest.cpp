#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "controls/grid/DbUtilsEx.h"
#include "platform/db/MemDataSet.h"

namespace {

using namespace grid;

class TKeyedMemDataSet : public db::TMemDataSet {
    using TMemDataSet::TMemDataSet;
};
class TSortedKeyedMemDataSet : public TKeyedMemDataSet {
    using TKeyedMemDataSet::TKeyedMemDataSet;
};

// Knows its name; counts the live feature objects.
class TNamedFeatures : public TDatasetFeaturesEx {
public:
    TNamedFeatures(std::string name, int& alive) : Name(std::move(name)), alive_(alive) { ++alive_; }
    ~TNamedFeatures() override { --alive_; }
    const std::string Name;

private:
    int& alive_;
};

class DatasetFeaturesTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (const char* name : {"TDataSet", "TKeyedMemDataSet", "TSortedKeyedMemDataSet", "TIBQuery"})
            UnregisterDatasetFeaturesEx(name);
    }

    void Register(const std::string& className, const std::string& name)
    {
        RegisterDatasetFeaturesEx(className, std::make_unique<TNamedFeatures>(name, alive));
    }

    // The name of the features serving dataSet; "" for none.
    static std::string FeaturesOf(const db::TDataSet* dataSet)
    {
        auto* features = dynamic_cast<TNamedFeatures*>(GetDatasetFeatures(dataSet));
        return features ? features->Name : "";
    }

    int alive = 0;
    db::TMemDataSet plain{nullptr};
    TSortedKeyedMemDataSet sorted{nullptr};
};

TEST_F(DatasetFeaturesTest, NothingIsRegisteredUntilSomeoneRegisters)
{
    EXPECT_EQ(GetDatasetFeatures(&plain), nullptr);
    EXPECT_EQ(GetDatasetFeatures(&sorted), nullptr);
    EXPECT_EQ(GetDatasetFeatures(nullptr), nullptr);
    RegisterDatasetFeaturesEx("TDataSet", nullptr);
    EXPECT_EQ(GetDatasetFeatures(&plain), nullptr);
}

TEST_F(DatasetFeaturesTest, TheNearestRegisteredAncestorClassServesADataSet)
{
    Register("TDataSet", "any");
    Register("tkeyedmemdataset", "keyed"); // class names compare without letter case
    Register("TKeyedMemDataSet", "keyed-again");
    Register("TIBQuery", "query");
    EXPECT_EQ(alive, 4);
    EXPECT_EQ(FeaturesOf(&sorted), "keyed"); // one step up; the first registered on a tie
    EXPECT_EQ(FeaturesOf(&plain), "any");

    Register("TSortedKeyedMemDataSet", "sorted");
    EXPECT_EQ(FeaturesOf(&sorted), "sorted"); // its own class is nearer still

    // Unregistering frees the objects of that class name.
    UnregisterDatasetFeaturesEx("TKEYEDMEMDATASET");
    EXPECT_EQ(alive, 3);
    UnregisterDatasetFeaturesEx("TSortedKeyedMemDataSet");
    EXPECT_EQ(alive, 2);
    EXPECT_EQ(FeaturesOf(&sorted), "any");
    UnregisterDatasetFeaturesEx("TDataSet");
    EXPECT_EQ(FeaturesOf(&sorted), "");
    EXPECT_EQ(alive, 1);
}

} // namespace
