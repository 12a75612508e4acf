#pragma once
// A data module on a fresh copy of the database in a folder of its own, with a main
// window stand-in (program path, settings record, unit manager on an empty machine)
// and a splash that records what it is shown.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "FakeMainForm.h"
#include "StorageTestEngine.h"
#include "device_link/Device.h"
#include "device_link/DeviceManager.h"
#include "platform/fb/IBSQL.h"
#include "platform/io/UsbBridge.h"
#include "platform/rtl/Component.h"
#include "storage/DModule.h"
#include "support/TempDir.h"

namespace dmtest {

class RecordingSplash : public storage::ISplashStatus {
public:
    void SetStatus(const std::string& text, int pauseMs) override { Shown.emplace_back(text, pauseMs); }
    std::vector<std::pair<std::string, int>> Shown;
};

// A unit manager that finds nothing attached: its sysfs and /dev roots are an empty folder.
class EmptyMachine {
public:
    EmptyMachine()
    {
        io::SetUsbBridgeRoots(dir_.Str(), dir_.Str());
        device_link::SetSerialPortRoots(dir_.Str(), dir_.Str());
        Manager = std::make_unique<device_link::TDeviceManager>(&owner_);
    }
    ~EmptyMachine()
    {
        Manager.reset();
        io::SetUsbBridgeRoots("/sys", "/dev");
        device_link::SetSerialPortRoots("/sys", "/dev");
    }
    EmptyMachine(const EmptyMachine&) = delete;
    EmptyMachine& operator=(const EmptyMachine&) = delete;

    // Merges a stored TCP unit with database id.
    device_link::TDevice* AddTcpUnit(int id, const std::string& ip = "127.0.0.1")
    {
        device_link::TDeviceInfo row;
        row.DeviceType = device_link::dkTCP;
        row.IP = ip;
        row.Id = id;
        row.Pos = id;
        return Manager->AddDevice(row);
    }

private:
    testsupport::TempDir dir_;
    rtl::TComponent owner_{nullptr};

public:
    std::unique_ptr<device_link::TDeviceManager> Manager;
};

// Engine up, database copied; Open() makes the data module.
class DModuleTest : public ::testing::Test {
protected:
    DModuleTest()
    {
        storagetest::EngineFolder();
        DbPath = fbtest::CopyBuiltDatabase(Dir.Path());
        Main.ProgramFile = Dir.File("kv7200");
    }

    storage::TDM& Open()
    {
        Dm = std::make_unique<storage::TDM>(nullptr, Main);
        Dm->Splash = &Splash;
        return *Dm;
    }

    // A value of the first row of a query, through a connection of its own.
    fb::TSqlValue Scalar(const std::string& sql)
    {
        fbtest::TConnection c(DbPath);
        fb::TIBSQL q(&c.db);
        q.SetSQL(sql);
        q.ExecQuery();
        if (!q.Next()) return {};
        return q.Fields(0).GetValue();
    }
    int Count(const std::string& from) { return Scalar("select count(*) from " + from).GetAsInteger(); }

    // Runs statements through a connection of its own and commits.
    void Execute(const std::string& sql, bool paramCheck = true) { fbtest::ExecuteSql(DbPath, sql, paramCheck); }

    testsupport::TempDir Dir;
    std::string DbPath;
    FakeMainForm Main;
    RecordingSplash Splash;
    std::unique_ptr<storage::TDM> Dm;
};

} // namespace dmtest
