#pragma once
// Editor tests on a copy of the program's database: a fresh copy of the built empty database
// and a connection to it for every test. The client library and the lock folder are the
// test program's own, set up once for the process (FbEnvironment.cpp). Base is the editor
// fixture the test stands on.
#include "platform/fb/FbTestDatabase.h"
#include "support/TempDir.h"

namespace editorstest {

template <typename Base>
class WithFirebird : public Base {
protected:
    testsupport::TempDir dir;
    fbtest::TConnection connection{fbtest::CopyBuiltDatabase(dir.Path())};
};

} // namespace editorstest
