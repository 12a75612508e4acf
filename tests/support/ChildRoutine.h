#pragma once
// A test that needs a process of its own (to kill it, say) starts its own program
// with ChildSwitch(name): the shared main then runs the routine registered under that
// name instead of the tests, and exits with what it returns.
#include <string>

namespace testsupport {

using TChildRoutine = int (*)();

// Registers routine under name; meant for a namespace-scope constant of the test file.
// Returns true.
bool RegisterChildRoutine(const char* name, TChildRoutine routine);

// The command-line switch that starts the routine: "--child=" + name.
std::string ChildSwitch(const std::string& name);

// For the shared main: when the arguments hold a child switch, runs that routine and
// sets exitCode (2 for a name nobody registered); false when there is none.
bool RunChildRoutine(int argc, char** argv, int& exitCode);

} // namespace testsupport
