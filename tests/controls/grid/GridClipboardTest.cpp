// The grid's clipboard actions: the four formats a copy puts on the clipboard, paste
// preferring KVDBIF, delete and its questions, cut, whether each can run, and the formats
// as another program on the same display reads them.
#include <cstdlib>
#include <string>
#include <vector>

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include "ImpExpFixture.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/ui/Clipboard.h"
#include "support/ChildRoutine.h"
#include "support/Snapshot.h"
#include "support/TempDir.h"

namespace {

using namespace grid;
using gridtest::ImpExpTest;

using Strings = std::vector<std::string>;

ui::TClipboardFormat Format(const char* name)
{
    return ui::RegisterClipboardFormat(name);
}

class Clipboard : public ImpExpTest {
protected:
    rtl::TScopedFormatSettings Settings{rtl::TFormatSettings::Invariant()};

    void SetUp() override
    {
        ImpExpTest::SetUp();
        ui::Clipboard().Clear();
    }
    static std::string Bytes(const char* name) { return ui::Clipboard().GetAsBytes(Format(name)); }
    static bool Has(const char* name) { return ui::Clipboard().HasFormat(Format(name)); }
    void ConfirmDeletes(bool on)
    {
        Grid->SetOptions(on ? Grid->GetOptions().Include(dgConfirmDelete) : Grid->GetOptions().Exclude(dgConfirmDelete));
    }
};

TEST_F(Clipboard, CopyPutsTheFourFormatsAndPastePrefersKvdbif)
{
    ShowColumns({"ID", "NAME"});
    Col(0)->SetWidth(30);
    Col(1)->SetWidth(80);
    Data.SetRecNo(1);
    Put("NAME", "dB\xB5V"); // a Windows-1252 byte
    SelectRecords({1});
    GridCopyAction(*Grid, false);

    // No block ends in a 0 byte: the length ends it.
    EXPECT_EQ(ui::Clipboard().AsText(), "ID\tNAME\r\n1\tdB\xB5V");
    EXPECT_EQ(Bytes("Csv"), "\"ID\";\"NAME\"\r\n\"1\";\"dB\xB5V\"");
    EXPECT_EQ(Bytes("Rich Text Format"), Export<TDBGridExExportAsRTF>());
    EXPECT_EQ(Bytes("Rich Text Format").back(), '}');
    EXPECT_EQ(Bytes("KVDBIF"), Export<TDBGridExExportAsKVDBIF>());

    // The text on the clipboard says otherwise: the KVDBIF block is what is pasted.
    ui::Clipboard().Open();
    const std::string block = Bytes("KVDBIF");
    ui::Clipboard().SetAsText("9\tfrom text");
    ui::Clipboard().SetAsBytes(Format("KVDBIF"), block);
    ui::Clipboard().Close();
    Grid->SelectedRows().Clear();
    SelectRecords({3});
    Grid->show();
    GridPasteAction(*Grid, false);
    EXPECT_EQ(Texts("NAME"), (Strings{"dB\xB5V", "Row 2", "dB\xB5V"}));
    EXPECT_EQ(Texts("ID"), (Strings{"1", "2", "1"}));
    testsupport::SaveSnapshot(Grid.get(), "grid", "clipboard-paste");
}

TEST_F(Clipboard, CopyingNothingLeavesNoBlockForPasteToPrefer)
{
    ShowColumns({"NAME"});
    ui::Clipboard().SetAsBytes(Format("KVDBIF"), "stale");
    GridCopyAction(*Grid, false);
    EXPECT_FALSE(Has("KVDBIF"));
    EXPECT_FALSE(Has("Csv"));
    EXPECT_FALSE(Has("Rich Text Format"));
    EXPECT_TRUE(ui::Clipboard().HasFormat(ui::CF_TEXT));
    EXPECT_EQ(ui::Clipboard().AsText(), "");

    // A text ending in the 0 byte some programs close a text block with: the 0 is not pasted.
    ui::Clipboard().SetAsText(std::string("a\r\nb\0", 5));
    Data.SetRecNo(2);
    GridPasteAction(*Grid, false);
    EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "a", "b"}));
    Data.SetRecNo(3);
    EXPECT_EQ(F("NAME")->GetAsString().size(), 1u);

    // Nothing to paste: nothing happens.
    ui::Clipboard().Clear();
    GridPasteAction(*Grid, true);
    EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "a", "b"}));
}

TEST_F(Clipboard, DeleteAsksAsTheSelectionSays)
{
    ShowColumns({"ID", "NAME", "AMOUNT"});
    AddRow(4, "Row 4", 6, 1);
    ConfirmDeletes(true);
    Boxes.Answer = ui::mrCancel;
    SelectRecords({2});
    GridDeleteAction(*Grid, false);
    SelectRecords({3});
    GridDeleteAction(*Grid, false);
    ASSERT_EQ(Boxes.Requests.size(), 2u);
    EXPECT_EQ(Boxes.Requests[0].Text, msg::DeleteRecordQuestion);
    EXPECT_EQ(Boxes.Requests[1].Text, msg::DeleteSelectedRecordsQuestion);
    EXPECT_EQ(Boxes.Requests[1].Type, ui::mtConfirmation);
    EXPECT_EQ(Boxes.Requests[1].Buttons, ui::mbOKCancel);
    EXPECT_EQ(Texts("ID"), (Strings{"1", "2", "3", "4"}));

    Boxes.Answer = ui::mrOk;
    GridDeleteAction(*Grid, false);
    EXPECT_EQ(Texts("ID"), (Strings{"1", "4"}));
    EXPECT_EQ(Grid->Selection().SelectionType(), gstNon);

    // Cells: cleared where they may be, the last record posted, the current record kept.
    SelectRect(1, 1, 2, 2);
    Data.SetRecNo(1);
    GridDeleteAction(*Grid, false);
    EXPECT_EQ(Boxes.Requests.back().Text, msg::ClearSelectedCells);
    EXPECT_EQ(Texts("NAME"), (Strings{"", ""}));
    EXPECT_EQ(Texts("AMOUNT"), (Strings{"", ""}));
    EXPECT_EQ(Texts("ID"), (Strings{"1", "4"}));
    EXPECT_EQ(Data.State(), db::dsBrowse);
    EXPECT_EQ(Data.GetRecNo(), 1);
}

TEST_F(Clipboard, ColumnsAndEverything)
{
    ShowColumns({"ID", "NAME", "WHO"});
    ConfirmDeletes(true);
    const std::size_t asked = Boxes.Requests.size();
    // A column selection asks nothing; a lookup column clears its key; a read-only data
    // set changes nothing.
    Grid->Selection().Columns().Select(Col(2), false);
    Data.SetReadOnly(true);
    GridDeleteAction(*Grid, false);
    EXPECT_EQ(Texts("CUST"), (Strings{"1", "2", "3"}));
    Data.SetReadOnly(false);
    GridDeleteAction(*Grid, false);
    EXPECT_EQ(Texts("CUST"), (Strings{"", "", ""}));
    EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "Row 2", "Row 3"}));
    EXPECT_EQ(Boxes.Requests.size(), asked);

    // Everything goes without a question; a data set that keeps one record whatever is
    // deleted ends the loop instead of running it forever.
    struct TKeepOne : rtl::TObject {
        void AfterDelete(db::TDataSet* DataSet)
        {
            if (!DataSet->IsEmpty()) return;
            DataSet->Append();
            DataSet->FieldByName("NAME")->SetAsString("kept");
            DataSet->Post();
        }
    } keep;
    Data.AfterDelete = {&keep, &TKeepOne::AfterDelete};
    GridDeleteAction(*Grid, true);
    Data.AfterDelete = {};
    EXPECT_EQ(Texts("NAME"), Strings{"kept"});
    EXPECT_EQ(Boxes.Requests.size(), asked);
    GridDeleteAction(*Grid, true);
    EXPECT_TRUE(Data.IsEmpty());
}

TEST_F(Clipboard, CutCopiesThenDeletesAndEachActionKnowsWhenItCanRun)
{
    ShowColumns({"ID", "NAME"});
    ConfirmDeletes(false);
    EXPECT_FALSE(CanGridCopy(*Grid, false));
    EXPECT_TRUE(CanGridCopy(*Grid, true));
    EXPECT_FALSE(CanGridDelete(*Grid, false));
    SelectRecords({2});
    EXPECT_TRUE(CanGridCut(*Grid, false));
    ui::Clipboard().Clear();
    EXPECT_FALSE(CanGridPaste(*Grid, false));

    GridCutAction(*Grid, false);
    EXPECT_EQ(ui::Clipboard().AsText(), "ID\tNAME\r\n2\tRow 2");
    EXPECT_EQ(Texts("ID"), (Strings{"1", "3"}));
    EXPECT_TRUE(CanGridPaste(*Grid, false));

    // Records need alopDeleteEx, cells alopUpdateEx; a read-only grid cuts and pastes nothing.
    SelectRecords({1});
    Grid->SetAllowedOperations(Grid->GetAllowedOperations().Exclude(alopDeleteEx));
    EXPECT_FALSE(CanGridDelete(*Grid, false));
    EXPECT_TRUE(CanGridCopy(*Grid, false));
    SelectRect(0, 1, 1, 2);
    EXPECT_TRUE(CanGridDelete(*Grid, false));
    Grid->SetReadOnly(true);
    EXPECT_FALSE(CanGridCut(*Grid, false));
    EXPECT_FALSE(CanGridPaste(*Grid, false));
    EXPECT_TRUE(CanGridCopy(*Grid, false));
}

TEST_F(Clipboard, PasteAtTheLastRecordOverwritesItHoweverItWasReached)
{
    ShowColumns({"ID", "NAME"});
    Grid->SetEditActions({geaPasteEx});
    uitest::ShowActive(Grid.get());
    auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(Grid.get(), k, modifiers);
    };
    // Ctrl+End leaves the data set at its end; the paste still starts at the last record.
    key(Qt::Key_End, Qt::ControlModifier);
    ASSERT_EQ(Data.GetRecNo(), 3);
    ui::Clipboard().SetAsText("7\tx\r\n8\ty\r\n9\tz");
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Texts("ID"), (Strings{"1", "2", "7", "8", "9"}));
    EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "Row 2", "x", "y", "z"}));
    EXPECT_EQ(Data.GetRecNo(), 3);

    // Reached by Down, the same.
    key(Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 4; ++i) key(Qt::Key_Down);
    ASSERT_EQ(Data.GetRecNo(), 5);
    ui::Clipboard().SetAsText("4\ta\r\n5\tb\r\n6\tc");
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Texts("ID"), (Strings{"1", "2", "7", "8", "4", "5", "6"}));
    EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "Row 2", "x", "y", "a", "b", "c"}));
    EXPECT_EQ(Data.GetRecNo(), 5);
    testsupport::SaveSnapshot(Grid.get(), "grid", "clipboard-paste-at-end");
}

// Settings unlike the invariant ones: decimal comma, the euro after the amount, day first.
rtl::TFormatSettings EuroSettings()
{
    rtl::TFormatSettings fs = rtl::TFormatSettings::Invariant();
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = '.';
    fs.CurrencyString = "\x80"; // the euro sign of the code page
    fs.CurrencyFormat = 3;      // "1 €"
    fs.NegCurrFormat = 8;       // "-1 €"
    fs.DateSeparator = '.';
    fs.ShortDateFormat = "dd/mm/yyyy";
    fs.LongTimeFormat = "hh:nn:ss";
    return fs;
}

TEST_F(Clipboard, CopiedTextPastesBackEveryValueOfEveryTypeTheTextCarries)
{
    using rtl::Variant;
    const auto day = [](int y, int m, int d, int h = 0, int n = 0, int sec = 0) {
        return Variant::FromDateTime(y < 1900 && h ? rtl::EncodeDate(y, m, d) - rtl::EncodeTime(h, n, sec, 0)
                                                   : rtl::EncodeDate(y, m, d) + rtl::EncodeTime(h, n, sec, 0));
    };
    struct TKind {
        db::TFieldType Type;
        const char* FieldFormat;  // the field's DisplayFormat
        const char* ColumnFormat; // the column's
        bool Currency;
        std::vector<Variant> Values; // one per record
    };
    const std::vector<TKind> kinds = {
        // A text cannot tell an empty string from none, so the string kinds have a text each.
        {db::ftString, "", "", false, {"Caf\xE9 au lait", "x;\"y\"", "-"}},
        {db::ftFixedChar, "", "", false, {"abc", "  z", "0"}},
        {db::ftWideString, "", "", false, {"wide \xB5", "w", "9"}},
        {db::ftSmallint, "", "", false, {-7, 32767, rtl::Null()}},
        {db::ftInteger, "#,##0", "", false, {1234567, -5, 0}},
        {db::ftWord, "", "", false, {65535, 0, 12}},
        {db::ftLargeint, "", "", false, {9000000000LL, -1LL, rtl::Null()}},
        {db::ftBoolean, "", "", false, {true, false, rtl::Null()}},
        {db::ftFloat, "", "", false, {0.1, -2.5e-7, 1e300}},
        {db::ftFloat, "#,##0.00", "", false, {1234567.5, -0.25, 79.19}},
        {db::ftFloat, "", "0.00 'kg';-0.00 'kg'", false, {12.5, -3.0, 0.0}},
        {db::ftCurrency, "", "", true, {79.19, -1234.5, 0.0}},
        {db::ftBCD, "", "", true, {rtl::Currency::FromScaled(12345700), rtl::Currency::FromScaled(-100), rtl::Currency::FromInt(1000000)}},
        {db::ftBCD, "", "", false, {rtl::Currency::FromScaled(1234567), rtl::Currency::FromScaled(-1), rtl::Null()}},
        {db::ftFMTBcd, "#,##0.0000", "", false, {rtl::Currency::FromScaled(123456), rtl::Currency::FromScaled(-987654321), rtl::Null()}},
        {db::ftDate, "dd mmm yyyy", "", false, {day(2024, 2, 29), day(55, 2, 17), day(9999, 12, 31)}},
        {db::ftTime, "", "", false, {day(1899, 12, 30, 14, 5, 9), day(1899, 12, 30), day(1899, 12, 30, 23, 59, 59)}},
        {db::ftDateTime, "yyyy-mm-dd hh:nn:ss", "", false, {day(2024, 2, 29, 12, 34, 56), day(1, 1, 1), day(1899, 12, 29, 6)}},
        {db::ftDateTime, "", "d mmmm yy, h:nn am/pm", false, {day(2024, 3, 5, 14, 30), day(2030, 12, 31, 0, 5), day(2001, 1, 1, 12)}},
        {db::ftTimeStamp, "", "", false, {day(2024, 2, 29), day(2024, 2, 29, 9, 8, 7), rtl::Null()}},
        // The last cell of a line, when empty, is not pasted at all: no null here.
        {db::ftMemo, "", "", false, {"memo text", "\xFF", "m"}},
    };
    const int n = static_cast<int>(kinds.size());
    for (const rtl::TFormatSettings& settings : {rtl::TFormatSettings::Invariant(), EuroSettings()}) {
        rtl::TScopedFormatSettings scoped(settings);
        SCOPED_TRACE(settings.CurrencyString);
        // Each kind twice: the copy's source, then the paste's target, each holding other
        // values first.
        db::TMemDataSet data;
        for (const char* side : {"S", "T"})
            for (int i = 0; i < n; ++i) {
                db::TField* field = data.AddField(kinds[i].Type, side + std::to_string(i));
                field->SetDisplayFormat(kinds[i].FieldFormat);
                if (kinds[i].Currency) field->SetCurrency(true);
            }
        data.Open();
        for (int r = 0; r < 3; ++r) {
            data.Append();
            for (int i = 0; i < n; ++i) {
                data.FieldByName("S" + std::to_string(i))->SetValue(kinds[i].Values[r]);
                data.FieldByName("T" + std::to_string(i))->SetValue(kinds[i].Values[(r + 1) % 3]);
            }
            data.Post();
        }
        db::TDataSource source;
        source.SetDataSet(&data);
        Grid->Columns().Clear();
        Grid->SetDataSource(&source);
        Grid->SetDrawMemoText(true);
        Grid->SetOptions(Grid->GetOptions().Exclude(dgTitles));
        for (int c = 0; c < 2 * n; ++c) Col(c)->SetDisplayFormat(kinds[c % n].ColumnFormat);

        for (int c = 0; c < n; ++c) Grid->Selection().Columns().Select(Col(c), c > 0);
        GridCopyAction(*Grid, false);
        const std::string text = ui::Clipboard().AsText();
        // As another program would paste it: the text only.
        ui::Clipboard().Clear();
        ui::Clipboard().SetAsText(text);
        Grid->Selection().Clear();
        data.First();
        Grid->SetSelectedIndex(n);
        GridPasteAction(*Grid, false);

        EXPECT_TRUE(Boxes.Requests.empty()) << (Boxes.Requests.empty() ? "" : Boxes.Requests[0].Text);
        Boxes.Requests.clear();
        int r = 0;
        for (data.First(); !data.Eof(); data.Next(), ++r)
            for (int i = 0; i < n; ++i) {
                const db::TField* copied = data.FieldByName("S" + std::to_string(i));
                const db::TField* pasted = data.FieldByName("T" + std::to_string(i));
                EXPECT_TRUE(pasted->GetValue() == copied->GetValue())
                    << "record " << r << ", kind " << i << ": \"" << Col(i)->DisplayText() << "\" pasted as \""
                    << pasted->GetAsString() << "\"";
            }
        EXPECT_EQ(r, 3);
        Grid->SetDataSource(nullptr);
    }
}

// ---- another program reads the clipboard (on a real window system only)

const char* const kReaderChild = "clipboard-reader";
const char* const kMimeTypes[] = {"text/plain", "text/csv", "text/rtf", "application/x-kvdbif"};

// Writes each format on the clipboard into a file of the folder named by KV_CLIPBOARD_DIR.
int ReadTheClipboard()
{
    const char* dir = std::getenv("KV_CLIPBOARD_DIR");
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!dir || !data) return 3;
    for (int i = 0; i < 4; ++i) {
        const QByteArray bytes = data->data(kMimeTypes[i]);
        FILE* out = std::fopen((std::string(dir) + "/" + std::to_string(i)).c_str(), "wb");
        if (!out) return 4;
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), out);
        std::fclose(out);
    }
    return 0;
}

const bool kReaderRegistered = testsupport::RegisterChildRoutine(kReaderChild, ReadTheClipboard);

class ClipboardAcrossPrograms : public Clipboard {};

TEST_F(ClipboardAcrossPrograms, AnotherProgramReadsEveryFormat)
{
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X display";
    ShowColumns({"ID", "NAME"});
    Data.SetRecNo(2);
    Put("NAME", "a{b}\xB5");
    SelectRecords({2});
    GridCopyAction(*Grid, false);

    testsupport::TempDir dir;
    QProcess reader;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KV_CLIPBOARD_DIR", QString::fromStdString(dir.Str()));
    reader.setProcessEnvironment(env);
    reader.start(QCoreApplication::applicationFilePath(),
                 {QString::fromStdString(testsupport::ChildSwitch(kReaderChild))});
    ASSERT_TRUE(reader.waitForStarted());
    // This program owns the clipboard: it answers the reader's requests meanwhile.
    ASSERT_TRUE(testsupport::WaitUntil([&] { return reader.state() == QProcess::NotRunning; }, 20000));
    ASSERT_EQ(reader.exitCode(), 0);

    EXPECT_EQ(dir.Read("0"), "ID\tNAME\r\n2\ta{b}\xC2\xB5"); // text as UTF-8
    EXPECT_EQ(dir.Read("1"), Export<TDBGridExExportAsCSV>());
    EXPECT_EQ(dir.Read("2"), Export<TDBGridExExportAsRTF>());
    EXPECT_EQ(dir.Read("3"), Export<TDBGridExExportAsKVDBIF>());
}

} // namespace
