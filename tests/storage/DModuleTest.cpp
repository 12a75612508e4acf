// The data module: opening and the version check, the settings record, the map
// picture and the unit rows.
#include <fstream>
#include <random>

#include "DModuleFixture.h"
#include "device_link/common.h"

using device_link::TDevice;
using storage::TCommonSettings;

namespace {

class DataModule : public dmtest::DModuleTest {
protected:
    // The stored COMMON blob, read through a connection of its own.
    std::string StoredCommon() { return Scalar("select COMMON from CONFIG").GetAsString(); }
    void StoreCommonBytes(const std::string& bytes)
    {
        fbtest::TConnection c(DbPath);
        fb::TIBSQL q(&c.db);
        q.SetSQL("update CONFIG set COMMON = :C");
        q.ParamByName("C").SetAsString(bytes);
        q.ExecQuery();
        c.tr.Commit();
    }

    struct Row {
        std::map<std::string, fb::TSqlValue> Values;
        const fb::TSqlValue& operator[](const std::string& name) const { return Values.at(name); }
    };
    // A DEVICES row as another connection sees it.
    Row DeviceRow(int id)
    {
        fbtest::TConnection c(DbPath);
        fb::TIBSQL q(&c.db);
        q.SetSQL("select * from DEVICES where ID = :ID");
        q.ParamByName("ID").SetAsInteger(id);
        q.ExecQuery();
        Row row;
        if (q.Next())
            for (int k = 0; k < q.GetFieldCount(); ++k) row.Values[q.Fields(k).GetName()] = q.Fields(k).GetValue();
        return row;
    }

    static std::unique_ptr<TDevice> Unit(std::uint8_t kind)
    {
        auto d = std::make_unique<TDevice>(kind, nullptr);
        d->Alias = "Roof";
        d->Password = "ab";
        return d;
    }
};

TCommonSettings Defaults()
{
    TCommonSettings s;
    s.ListDblClickAction = 2;
    s.ConnectAllOnStart = 1;
    s.BackupOnExit = 1;
    s.MapZoom = 100;
    s.MapOpenOnStart = 1;
    s.MapShowDeviceList = 1;
    s.LogSystemEvents = 1;
    s.LogExpireDays = 30;
    return s;
}

} // namespace

// ---------------------------------------------------------------- opening

TEST_F(DataModule, OpensTheDatabaseBesideTheProgram)
{
    Open();
    EXPECT_TRUE(Dm->DBVersionOk);
    EXPECT_EQ(Dm->IBDatabase.DatabaseName, DbPath);
    EXPECT_TRUE(Dm->IBQ_DEVICES_.GetActive());
    EXPECT_EQ(storage::DM, Dm.get());
    Dm.reset();
    EXPECT_EQ(storage::DM, nullptr);
}

TEST_F(DataModule, AnotherVersionReadsNothingElse)
{
    Execute("alter procedure GET_DB_VERSION returns (DBVER integer) as begin DBVER = 2; end", false);
    Open();
    EXPECT_FALSE(Dm->DBVersionOk);
    EXPECT_FALSE(Dm->IBQ_DEVICES_.GetActive());
}

TEST_F(DataModule, AMissingOrBrokenFileIsAClearError)
{
    std::filesystem::remove(DbPath);
    try {
        Open();
        FAIL() << "a missing database opened";
    } catch (const rtl::EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("kv7200.FDB"), std::string::npos) << e.what();
    }

    std::mt19937 random(7);
    std::string noise(64 * 1024, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    Dir.Write("kv7200.FDB", noise);
    try {
        Open();
        FAIL() << "random bytes opened as a database";
    } catch (const rtl::EDatabaseError& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
    }
    EXPECT_EQ(storage::DM, nullptr);
}

// ---------------------------------------------------------------- settings record

TEST_F(DataModule, SettingsRecordBytes)
{
    TCommonSettings s;
    s.MainMaximized = 1;
    s.ListDblClickAction = 3;
    s.OptimizeOnExit = 1;
    s.Reserved6 = {0xAA, 0xBB};
    s.MapZoom = 0x01020304;
    s.MapScrollX = -2;
    s.MapScrollY = 300;
    s.MapDblClickAction = 1;
    s.LogEnabled = 1;
    s.LogExpireDays = 7;
    s.LogExpireAlert = 1;
    s.Reserved29 = {1, 2, 3};
    const auto b = s.ToBytes();
    const TCommonSettings::TBytes expected = {1, 3, 0, 0, 0, 1, 0xAA, 0xBB, 4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF,
                                              0x2C, 1, 0, 0, 0, 0, 0, 0, 1, 0, 1, 7, 1, 1, 2, 3};
    EXPECT_EQ(b, expected);
    EXPECT_EQ(TCommonSettings::FromBytes(b.data()), s);
}

TEST_F(DataModule, CommonDefaultsLeaveTheReservedBytes)
{
    Open();
    TCommonSettings s;
    s.Reserved6 = {9, 9};
    s.Reserved29 = {8, 8, 8};
    s.MapScrollX = 55;
    s.LogEnabled = 1;
    Dm->CommonDefaults(s);
    TCommonSettings expected = Defaults();
    expected.Reserved6 = {9, 9};
    expected.Reserved29 = {8, 8, 8};
    EXPECT_EQ(s, expected);
}

TEST_F(DataModule, LoadCommonRepairsARecordOfAnotherSize)
{
    for (std::size_t size : {0u, 31u, 33u}) {
        SCOPED_TRACE(size);
        Dm.reset();
        StoreCommonBytes(std::string(size, '\x07'));
        Open();
        TCommonSettings loaded;
        loaded.MapZoom = 1;
        Dm->LoadCommon(loaded);
        EXPECT_EQ(loaded, Defaults());
        EXPECT_EQ(StoredCommon().size(), 32u); // stored and committed at once
        EXPECT_EQ(TCommonSettings::FromBytes(reinterpret_cast<const std::uint8_t*>(StoredCommon().data())),
                  Defaults());
    }
}

TEST_F(DataModule, SaveAndLoadCommon)
{
    Open();
    TCommonSettings s = Defaults();
    s.MapZoom = 250;
    s.MapScrollY = -40;
    s.Reserved29 = {5, 6, 7};
    Dm->SaveCommon(s);
    const auto b = s.ToBytes();
    EXPECT_EQ(StoredCommon(), std::string(b.begin(), b.end()));
    EXPECT_FALSE(Dm->IBQ_CONFIG_.GetActive());

    Dm.reset();
    Open();
    TCommonSettings loaded;
    Dm->LoadCommon(loaded);
    EXPECT_EQ(loaded, s);
}

// ---------------------------------------------------------------- map picture

TEST_F(DataModule, MapPicture)
{
    dmtest::EmptyMachine machine;
    Main.Manager = machine.Manager.get();
    Main.Common.LogEnabled = 1;
    Main.Common.LogSystemEvents = 1;
    Open();

    rtl::TMemoryStream dest;
    Dm->LoadMap(dest);
    EXPECT_EQ(dest.GetSize(), 0); // nothing stored

    std::string picture(5000, '\0');
    for (std::size_t k = 0; k < picture.size(); ++k) picture[k] = static_cast<char>(k * 7 % 251);
    rtl::TMemoryStream raw, packed;
    raw.WriteBuffer(picture.data(), static_cast<std::int64_t>(picture.size()));
    device_link::CompressStream(raw, packed);
    Dm->SaveMap(packed);
    EXPECT_EQ(Scalar("select MAP from CONFIG").GetAsString(), packed.ToString()); // stored unchanged, committed
    Dm->LoadMap(dest);
    EXPECT_EQ(dest.ToString(), picture);
    EXPECT_EQ(dest.GetPosition(), 0);

    // An emptied map.
    rtl::TMemoryStream empty;
    Dm->SaveMap(empty);
    rtl::TMemoryStream none;
    Dm->LoadMap(none);
    EXPECT_EQ(none.GetSize(), 0);

    // Each store is logged as event 1001 with the payload 1.
    fb::TIBSQL q(&Dm->IBDatabase, &Dm->IBTransaction);
    q.SetSQL("select DEVICEID, DATACODE, DATA from EVENT_LOG order by ID");
    q.ExecQuery();
    int records = 0;
    while (q.Next()) {
        ++records;
        EXPECT_EQ(q.Fields(0).GetAsInteger(), 0);
        EXPECT_EQ(q.Fields(1).GetAsInteger(), 1001);
        EXPECT_EQ(q.Fields(2).GetAsString(), "\x01");
    }
    EXPECT_EQ(records, 2);

    // Stored bytes that are no zlib stream are a clear error.
    rtl::TMemoryStream junk;
    junk.WriteBuffer("not zlib", 8);
    Dm->SaveMap(junk);
    EXPECT_THROW(Dm->LoadMap(dest), device_link::EZDecompressionError);
}

// ---------------------------------------------------------------- unit rows

TEST_F(DataModule, AddDeviceByKind)
{
    dmtest::EmptyMachine machine;
    Main.Manager = machine.Manager.get();
    Main.Common.LogEnabled = 1;
    Main.Common.LogSystemEvents = 1;
    Open();

    auto tcp = Unit(device_link::dkTCP);
    tcp->SetIPText("192.168.1.20");
    tcp->UserId = "admin";
    tcp->Serial = "";
    tcp->TcpPort = 1234;
    Dm->AddDevice(*tcp);
    ASSERT_GT(tcp->Id, 0);
    Row r = DeviceRow(tcp->Id); // committed by the post
    ASSERT_FALSE(r.Values.empty());
    EXPECT_EQ(r["DEVICETYPE"].GetAsInteger(), 3);
    EXPECT_TRUE(r["PORT"].GetIsNull());
    EXPECT_EQ(r["IP1"].GetAsInteger(), 192);
    EXPECT_EQ(r["IP2"].GetAsInteger(), 168);
    EXPECT_EQ(r["IP3"].GetAsInteger(), 1);
    EXPECT_EQ(r["IP4"].GetAsInteger(), 20);
    EXPECT_EQ(r["POS"].GetAsInteger(), -1);
    EXPECT_EQ(r["MAPX"].GetAsInteger(), 10);
    EXPECT_EQ(r["MAPY"].GetAsInteger(), 10);
    EXPECT_EQ(r["MAPLOCK"].GetAsInteger(), 0);
    EXPECT_TRUE(r["SERIAL"].GetIsNull());
    EXPECT_EQ(r["ALIAS"].GetAsString(), "Roof");
    EXPECT_EQ(r["USERID"].GetAsString(), "admin");
    EXPECT_EQ(r["PASS"].GetAsString(), "ab  ");
    EXPECT_TRUE(r["USBSERIAL"].GetIsNull());
    EXPECT_TRUE(r["COMPORT"].GetIsNull());

    auto usb = Unit(device_link::dkUSB);
    usb->SetUsbSerial("FT12AB");
    usb->Serial = "KV-0042";
    Dm->AddDevice(*usb);
    EXPECT_GT(usb->Id, tcp->Id);
    r = DeviceRow(usb->Id);
    EXPECT_EQ(r["DEVICETYPE"].GetAsInteger(), 1);
    for (const char* c : {"IP1", "IP2", "IP3", "IP4", "PORT"}) EXPECT_EQ(r[c].GetAsInteger(), 0) << c;
    EXPECT_FALSE(r["PORT"].GetIsNull());
    EXPECT_EQ(r["USBSERIAL"].GetAsString(), "FT12AB");
    EXPECT_EQ(r["SERIAL"].GetAsString(), "KV-0042");
    EXPECT_TRUE(r["COMPORT"].GetIsNull());

    auto com = Unit(device_link::dkCOM);
    com->SetComPort("COM3");
    Dm->AddDevice(*com);
    r = DeviceRow(com->Id);
    EXPECT_EQ(r["DEVICETYPE"].GetAsInteger(), 2);
    EXPECT_EQ(r["COMPORT"].GetAsString(), "COM3");
    EXPECT_TRUE(r["USBSERIAL"].GetIsNull());

    // Each addition is logged as a system event with alias and address.
    fb::TIBSQL q(&Dm->IBDatabase, &Dm->IBTransaction);
    q.SetSQL("select DEVICEID, DATA from EVENT_LOG where DATACODE = 1004 order by ID");
    q.ExecQuery();
    std::vector<std::string> payloads;
    while (q.Next()) {
        EXPECT_EQ(q.Fields(0).GetAsInteger(), 0);
        payloads.push_back(q.Fields(1).GetAsString());
    }
    EXPECT_EQ(payloads, (std::vector<std::string>{"Roof:192.168.1.20", "Roof:FT12AB", "Roof:COM3"}));

    // Two units with one alias are two rows.
    EXPECT_EQ(Count("DEVICES where ALIAS = 'Roof'"), 3);
}

TEST_F(DataModule, UpdateDevice)
{
    Open();
    auto tcp = Unit(device_link::dkTCP);
    tcp->SetIPText("10.0.0.1");
    tcp->Serial = "KV-1";
    tcp->UserId = "u1";
    tcp->TcpPort = 99;
    Dm->AddDevice(*tcp);
    auto usb = Unit(device_link::dkUSB);
    usb->SetUsbSerial("FTA");
    usb->Serial = "KV-2";
    Dm->AddDevice(*usb);
    const Row usbBefore = DeviceRow(usb->Id);

    tcp->SetIPText("10.0.0.2");
    tcp->Serial = ""; // keeps the stored serial
    tcp->Alias = "Mast";
    tcp->UserId = "u2";
    tcp->Password = "wxyz9";
    tcp->Pos = 4;
    tcp->MapX = 120;
    tcp->MapY = -5;
    tcp->MapLock = 1;
    device_link::TDeviceSettings settings;
    settings.Preset1 = 1000;
    tcp->SetSettings(settings);
    tcp->GetSettingsStream().SetPosition(37); // the whole stream is stored, wherever it stands
    Dm->UpdateDevice(*tcp);

    Row r = DeviceRow(tcp->Id); // committed
    EXPECT_EQ(r["IP4"].GetAsInteger(), 2);
    EXPECT_EQ(r["SERIAL"].GetAsString(), "KV-1");
    EXPECT_EQ(r["ALIAS"].GetAsString(), "Mast");
    EXPECT_EQ(r["USERID"].GetAsString(), "u2");
    EXPECT_EQ(r["PASS"].GetAsString(), "wxyz");
    EXPECT_EQ(r["POS"].GetAsInteger(), 4);
    EXPECT_EQ(r["MAPX"].GetAsInteger(), 120);
    EXPECT_EQ(r["MAPY"].GetAsInteger(), -5);
    EXPECT_EQ(r["MAPLOCK"].GetAsInteger(), 1);
    const auto bytes = settings.ToBytes();
    EXPECT_EQ(r["CONFIG"].GetAsString(), std::string(bytes.begin(), bytes.end()));
    EXPECT_TRUE(r["PORT"].GetIsNull()); // never written

    // A USB unit: the address columns and the type are never rewritten.
    usb->SetUsbSerial("FTB");
    usb->Serial = "KV-3";
    usb->Alias = "Cellar";
    Dm->UpdateDevice(*usb);
    r = DeviceRow(usb->Id);
    EXPECT_EQ(r["USBSERIAL"].GetAsString(), "FTA");
    EXPECT_EQ(r["SERIAL"].GetAsString(), "KV-3");
    EXPECT_EQ(r["ALIAS"].GetAsString(), "Cellar");
    EXPECT_EQ(r["DEVICETYPE"].GetAsInteger(), usbBefore["DEVICETYPE"].GetAsInteger());
    EXPECT_EQ(r["PORT"].GetAsInteger(), 0);

    // A unit without a row changes nothing.
    auto stranger = Unit(device_link::dkTCP);
    stranger->Id = 9999;
    stranger->Alias = "Ghost";
    Dm->UpdateDevice(*stranger);
    EXPECT_EQ(Count("DEVICES"), 2);
    EXPECT_EQ(Count("DEVICES where ALIAS = 'Ghost'"), 0);
}

TEST_F(DataModule, RowsStayInListOrder)
{
    Open();
    std::vector<std::unique_ptr<TDevice>> units;
    for (int pos : {2, 0, 1}) {
        units.push_back(Unit(device_link::dkCOM));
        units.back()->SetComPort("COM" + std::to_string(pos + 1));
        Dm->AddDevice(*units.back());
        units.back()->Pos = pos;
        Dm->UpdateDevice(*units.back());
    }
    // Reopened, the unit rows read in list order, as the shell merges them.
    Dm.reset();
    Open();
    std::vector<std::string> ports;
    for (Dm->IBQ_DEVICES_.First(); !Dm->IBQ_DEVICES_.Eof(); Dm->IBQ_DEVICES_.Next())
        ports.push_back(Dm->IBQ_DEVICES_.FieldByName("COMPORT")->GetAsString());
    EXPECT_EQ(ports, (std::vector<std::string>{"COM1", "COM2", "COM3"}));
}
