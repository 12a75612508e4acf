// Every test of this program uses the system's client library and a lock folder of
// its own.
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/fb/FbClient.h"
#include "platform/fb/FbTestDatabase.h"

namespace {

class FbEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        lockFolder_ = fbtest::UsePrivateLockFolder();
        fb::LoadClientLibrary();
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(lockFolder_, ignored);
    }

private:
    std::string lockFolder_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FbEnvironment);

} // namespace
