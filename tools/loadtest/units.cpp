// kv7200-units: stores units in a program folder's kv7200.FDB and switches the event
// log on or off, for trying the program without its unit and settings dialogs. Run it
// while the program is not running.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>

#include <QApplication>

#include "device_link/Device.h"
#include "loadtest/ProgramRig.h"
#include "platform/rtl/Thread.h"
#include "storage/fb_embedded.h"

namespace {

int Usage()
{
    std::puts(
        "usage: kv7200-units FOLDER list\n"
        "       kv7200-units FOLDER add tcp ADDRESS [ALIAS]   a unit on the network (port 843)\n"
        "       kv7200-units FOLDER add com PORT [ALIAS]      a unit on a serial port (ttyS0, pts/3 ...)\n"
        "       kv7200-units FOLDER log on|off                the event log (every item of the units added)\n"
        "FOLDER holds kv7200.FDB (the program's folder).");
    return 2;
}

int Run(int argc, char** argv)
{
    if (argc < 3) return Usage();
    const std::string folder = argv[1];
    const std::string command = argv[2];
    if (command == "list" && argc == 3) {
        for (const auto& line : rig::ListUnits(folder)) std::puts(line.c_str());
        return 0;
    }
    if (command == "add" && (argc == 5 || argc == 6)) {
        rig::TStoredUnit unit;
        const std::string kind = argv[3];
        if (kind == "tcp") unit.Kind = device_link::dkTCP;
        else if (kind == "com") unit.Kind = device_link::dkCOM;
        else return Usage();
        unit.Address = argv[4];
        unit.Alias = argc == 6 ? argv[5] : argv[4];
        unit.LogEveryItem = true;
        const auto ids = rig::ConfigureDatabase(folder, {unit});
        std::printf("unit %d stored\n", ids.front());
        return 0;
    }
    if (command == "log" && argc == 4 && (!std::strcmp(argv[3], "on") || !std::strcmp(argv[3], "off"))) {
        const std::uint8_t on = !std::strcmp(argv[3], "on");
        rig::ConfigureDatabase(folder, {}, [on](storage::TCommonSettings& common) {
            common.LogEnabled = on;
            common.LogSystemEvents = on;
        });
        std::printf("event log %s\n", on ? "on" : "off");
        return 0;
    }
    return Usage();
}

} // namespace

int main(int argc, char** argv)
{
    // A unit object has a gauge control; no window is shown.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    rtl::MainThread::Init();
    int code = 1;
    try {
        code = Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kv7200-units: %s\n", e.what());
    }
    storage::DeleteServerFiles();
    return code;
}
