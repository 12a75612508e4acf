#pragma once
// Editor tests on a copy of the program's database: the client library and a lock folder
// of the test program's own for the suite, a fresh copy of the built kv7200.FDB and a
// connection to it for every test. Base is the editor fixture the test stands on.
#include <filesystem>
#include <string>

#include "platform/fb/FbClient.h"
#include "platform/fb/FbTestDatabase.h"
#include "support/TempDir.h"

namespace editorstest {

template <typename Base>
class WithFirebird : public Base {
protected:
    static void SetUpTestSuite()
    {
        lockFolder_ = fbtest::UsePrivateLockFolder();
        fb::LoadClientLibrary();
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        std::filesystem::remove_all(lockFolder_, ignored);
    }

    static inline std::string lockFolder_;
    testsupport::TempDir dir;
    fbtest::TConnection connection{fbtest::CopyBuiltDatabase(dir.Path())};
};

} // namespace editorstest
