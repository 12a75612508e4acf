#include "support/ChildRoutine.h"

#include <cstdio>
#include <map>
#include <string_view>

namespace testsupport {

namespace {

constexpr std::string_view kSwitch = "--child=";

std::map<std::string, TChildRoutine>& Routines()
{
    static std::map<std::string, TChildRoutine> routines;
    return routines;
}

} // namespace

bool RegisterChildRoutine(const char* name, TChildRoutine routine)
{
    Routines()[name] = routine;
    return true;
}

std::string ChildSwitch(const std::string& name) { return std::string(kSwitch) + name; }

bool RunChildRoutine(int argc, char** argv, int& exitCode)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, kSwitch.size()) != kSwitch) continue;
        const std::string name(arg.substr(kSwitch.size()));
        const auto found = Routines().find(name);
        if (found == Routines().end()) {
            std::fprintf(stderr, "no child routine named '%s'\n", name.c_str());
            exitCode = 2;
        } else {
            exitCode = found->second();
        }
        return true;
    }
    return false;
}

} // namespace testsupport
