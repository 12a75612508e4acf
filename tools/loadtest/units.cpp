// kv7200-units: stores and removes units in a program folder's kv7200.FDB and switches
// the event log on or off, for trying the program without its unit and settings dialogs.
//
// It refuses at once while the program runs (the program's one-instance lock is held,
// or the program's engine holds the database) and holds that lock itself while it
// works, so that the program does not start on the database meanwhile. Its database
// engine runs from a folder of its own, removed at the end: the engine files in the
// program's folder are never touched. A command line it does not take (an unknown
// command, an address that is not a dotted IPv4 address, a port name that is empty or
// starts or ends with white space, a name or alias too long for the database, an id
// that is not a number) is refused with exit status 2 before the database is opened.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QLockFile>

#include "cli/OptionValues.h"
#include "device_link/Device.h"
#include "loadtest/ProgramRig.h"
#include "platform/fb/FbClient.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Thread.h"
#include "shell/OneInstance.h"
#include "storage/DModule.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage =
    "usage: kv7200-units FOLDER list\n"
    "       kv7200-units FOLDER add tcp ADDRESS [ALIAS]   a unit on the network: a dotted IPv4 address, port 843\n"
    "       kv7200-units FOLDER add com PORT [ALIAS]      a unit on a serial port (ttyS0, pts/3 ...)\n"
    "       kv7200-units FOLDER remove ID                 the unit of that id (as list shows it)\n"
    "       kv7200-units FOLDER log on|off                the event log (every item of the units added)\n"
    "FOLDER holds kv7200.FDB (the program's folder). Run it while the program is not running.\n";

// What the unit table holds (its COMPORT and ALIAS columns): longer text would be cut.
constexpr std::size_t kPortNameBytes = 10;
constexpr std::size_t kAliasBytes = 50;

// A command line that is not taken: what is wrong, then the usage; status 2.
int Refuse(const std::string& message)
{
    std::fprintf(stderr, "kv7200-units: %s\n%s", message.c_str(), kUsage);
    return 2;
}

int ProgramRunning()
{
    std::fprintf(stderr, "kv7200-units: the program is running; end it first\n");
    return 1;
}

// The engine's files in a folder of this run, gone with it.
class TEngineFolder {
public:
    TEngineFolder()
    {
        std::string path = (fs::temp_directory_path() / "kv7200-units-XXXXXX").string();
        if (!::mkdtemp(path.data())) throw std::runtime_error("cannot make a folder for the database engine");
        path_ = path;
        rig::StartEngine(path_);
    }
    ~TEngineFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TEngineFolder(const TEngineFolder&) = delete;
    TEngineFolder& operator=(const TEngineFolder&) = delete;

private:
    std::string path_;
};

// What the command line asks for, checked whole before anything is opened.
struct TCommand {
    std::string Folder;
    std::string Verb;
    rig::TStoredUnit Unit;
    std::int32_t Id = 0;
    bool LogOn = false;
};

// "" when the command line is taken, else why not.
std::string Read(int argc, char** argv, TCommand& command)
{
    if (argc < 3) return "no command";
    command.Folder = argv[1];
    command.Verb = argv[2];
    const std::string& verb = command.Verb;
    const int extra = argc - 3;
    if (verb == "list") return extra == 0 ? "" : "list takes nothing more";
    if (verb == "add") {
        if (extra < 2 || extra > 3) return "add takes a kind, an address and an alias";
        const std::string kind = argv[3], address = argv[4];
        command.Unit.Address = address;
        command.Unit.Alias = extra == 3 ? argv[5] : address;
        command.Unit.LogEveryItem = true;
        if (kind == "tcp") {
            command.Unit.Kind = device_link::dkTCP;
            std::array<std::uint8_t, 4> octets{};
            if (!cli::ReadDottedIPv4(address, octets))
                return "not a dotted IPv4 address (four numbers 0 to 255): \"" + address + "\"";
        } else if (kind == "com") {
            command.Unit.Kind = device_link::dkCOM;
            const std::string trimmed = rtl::Trim(address);
            if (trimmed.empty()) return "the serial port name is empty";
            // No port has such a name: the unit could never be opened.
            if (trimmed != address)
                return "the serial port name starts or ends with white space: \"" + address + "\"";
            if (address.size() > kPortNameBytes)
                return "the serial port name is longer than " + std::to_string(kPortNameBytes) + " bytes: \"" + address
                       + "\"";
        } else {
            return "not a kind of unit (tcp or com): \"" + kind + "\"";
        }
        if (command.Unit.Alias.size() > kAliasBytes)
            return "the alias is longer than " + std::to_string(kAliasBytes) + " bytes: \"" + command.Unit.Alias + "\"";
        return "";
    }
    if (verb == "remove") {
        long long id = 0;
        if (extra != 1) return "remove takes the id of a unit";
        if (!cli::ReadWhole(argv[3], 1, 0x7FFFFFFF, id)) return std::string("not the id of a unit: \"") + argv[3] + "\"";
        command.Id = static_cast<std::int32_t>(id);
        return "";
    }
    if (verb == "log") {
        if (extra != 1 || (std::strcmp(argv[3], "on") != 0 && std::strcmp(argv[3], "off") != 0))
            return "log takes on or off";
        command.LogOn = std::strcmp(argv[3], "on") == 0;
        return "";
    }
    return "unknown command \"" + verb + "\"";
}

int Run(const TCommand& command)
{
    const fs::path database = fs::path(command.Folder) / storage::kDatabaseFileName;
    std::error_code ec;
    if (!fs::is_regular_file(database, ec)) {
        std::fprintf(stderr, "kv7200-units: there is no %s in %s\n", storage::kDatabaseFileName, command.Folder.c_str());
        return 1;
    }
    TEngineFolder engine;
    if (command.Verb == "list") {
        for (const auto& line : rig::ListUnits(command.Folder)) std::puts(line.c_str());
    } else if (command.Verb == "add") {
        const auto ids = rig::ConfigureDatabase(command.Folder, {command.Unit});
        std::printf("unit %d stored\n", ids.front());
    } else if (command.Verb == "remove") {
        if (!rig::RemoveUnit(command.Folder, command.Id)) {
            std::fprintf(stderr, "kv7200-units: there is no unit %d\n", command.Id);
            return 1;
        }
        std::printf("unit %d removed\n", command.Id);
    } else {
        const std::uint8_t on = command.LogOn;
        rig::ConfigureDatabase(command.Folder, {}, [on](storage::TCommonSettings& common) {
            common.LogEnabled = on;
            common.LogSystemEvents = on;
        });
        std::printf("event log %s\n", on ? "on" : "off");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    TCommand command;
    if (const std::string refused = Read(argc, argv, command); !refused.empty()) return Refuse(refused);
    // The program's lock, held until this ends; a lock left by a program that died is taken over.
    QLockFile programLock(shell::InstanceLockFile());
    if (!programLock.tryLock(0)) return ProgramRunning();
    // A unit object has a gauge control; no window is shown.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    rtl::MainThread::Init();
    try {
        return Run(command);
    } catch (const std::exception& e) {
        // A program of another temporary folder has its lock elsewhere; its engine holds the file.
        const auto* engine = dynamic_cast<const fb::EIBError*>(&e);
        if (engine && engine->HasErrorCode(isc_already_opened)) return ProgramRunning();
        std::fprintf(stderr, "kv7200-units: %s\n", e.what());
        return 1;
    }
}
