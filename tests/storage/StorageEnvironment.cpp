// Removes the engine and lock folders of this test program when it ends.
#include <filesystem>

#include <gtest/gtest.h>

#include "StorageTestEngine.h"

namespace {

class StorageEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(storagetest::EnginePath(), ignored);
        if (const char* lock = std::getenv("FIREBIRD_LOCK"))
            std::filesystem::remove_all(lock, ignored);
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new StorageEnvironment);

} // namespace
