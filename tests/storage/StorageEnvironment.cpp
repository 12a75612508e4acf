// Removes the engine and lock folders of this test program when it ends.
#include <gtest/gtest.h>

#include "StorageTestEngine.h"

namespace {

class StorageEnvironment : public ::testing::Environment {
public:
    void TearDown() override { storagetest::RemoveEngineFolders(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new StorageEnvironment);

} // namespace
