// The grid's readers: which records and columns each selection kind fills, text cells and
// tabs, KVDBIF tags and every field type through KVDBIF, lookup and key-list columns,
// broken inputs that change nothing, and the question when a field refuses a value.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ImpExpFixture.h"
#include "controls/grid/DBGridExImpExpFormats.h"
#include "controls/grid/GridLibConsts.h"

namespace {

using namespace grid;
using gridtest::ImpExpTest;

using Strings = std::vector<std::string>;

// A KVDBIF block of N columns (visible, no names) and the cell bytes after it.
std::string Kvdbif(int columns, const std::string& cells)
{
    std::string block("KVDBIF\0\x01", 8);
    for (int i = 0; i < 4; ++i) block += static_cast<char>((static_cast<unsigned>(columns) >> (8 * i)) & 0xFF);
    for (int i = 0; i < columns && i < 64; ++i) block += std::string("\x01\0", 2);
    return block + cells;
}

// A KVDBIF cell of tag 4 (a double) or 3 (a 32-bit integer).
std::string FloatCell(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    std::string cell(1, '\x04');
    for (int i = 0; i < 8; ++i) cell += static_cast<char>((bits >> (8 * i)) & 0xFF);
    return cell;
}
std::string IntegerCell(std::int32_t value)
{
    std::string cell(1, '\x03');
    for (int i = 0; i < 4; ++i) cell += static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF);
    return cell;
}

class ImportTest : public ImpExpTest {
protected:
    rtl::TScopedFormatSettings Format{rtl::TFormatSettings::Invariant()};

    void Text(const std::string& text, bool all = false) { Import<TDBGridExImportAsText>(text, all); }
    void Cells(const std::string& block) { Import<TDBGridExImportAsKVDBIF>(block); }
    // The current column.
    void At(int recNo, int column)
    {
        Data.SetRecNo(recNo);
        Grid->SetSelectedIndex(column);
    }
};

TEST_F(ImportTest, SelectedRecordsTakeACopyOfOthersInBookmarkOrder)
{
    ShowColumns({"NAME", "AMOUNT"});
    AddRow(4, "Row 4", 6, 1);
    SelectRecords({2, 1});
    for (const bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        const std::string copy =
            binary ? Export<TDBGridExExportAsKVDBIF>() : Export<TDBGridExExportAsText>().substr(13); // no titles
        Grid->SelectedRows().Clear();
        SelectRecords({4, 3});
        if (binary) Cells(copy);
        else Text(copy);
        EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "Row 2", "Row 1", "Row 2"}));
        EXPECT_EQ(Texts("AMOUNT"), (Strings{"1.5", "3", "1.5", "3"}));
        Data.SetRecNo(3);
        Put("NAME", "Row 3");
        Data.SetRecNo(4);
        Put("NAME", "Row 4");
        Grid->SelectedRows().Clear();
        SelectRecords({1, 2});
    }
}

TEST_F(ImportTest, TextCellsTabsAndLines)
{
    ShowColumns({"ID", "NAME", "FLAG", "NOTE"});
    Grid->SetDrawMemoText(true); // the memo column edits its text
    for (int recNo = 1; recNo <= 3; ++recNo) {
        Data.SetRecNo(recNo);
        Put("FLAG", "old");
    }
    // From the current record and column on: a surplus cell is dropped, two TABs store an
    // empty text, a TAB ending the line and a short line leave the rest as it was.
    At(1, 1);
    Text("a\t\tn1\textra\r\nb\t\r\nc");
    EXPECT_EQ(Texts("NAME"), (Strings{"a", "b", "c"}));
    EXPECT_EQ(Texts("FLAG"), (Strings{"", "old", "old"}));
    EXPECT_EQ(Texts("NOTE"), (Strings{"n1", "", ""}));
    EXPECT_EQ(Texts("ID"), (Strings{"1", "2", "3"}));
    EXPECT_EQ(Data.GetRecNo(), 1);         // the current record is current again
    EXPECT_EQ(Data.State(), db::dsBrowse); // and the last one changed is posted
    EXPECT_FALSE(Data.ControlsDisabled());

    // A line starting with a TAB fills from the first column; a 0 byte is a character.
    At(2, 1);
    Text(std::string("\tz\0", 3));
    EXPECT_EQ(Texts("NAME"), (Strings{"a", "", "c"}));
    EXPECT_EQ(Texts("FLAG"), (Strings{"", std::string("z\0", 2), "old"}));
}

TEST_F(ImportTest, LinesEndWithCrLfOrALoneLfOrCr)
{
    ShowColumns({"ID", "NAME", "AMOUNT"});
    // Text from other programs of this system: LF ends its lines, so a number cell does not
    // run on into the next line.
    At(1, 0);
    Text("901\tCaf\xE9\t12.5\n902\tTea\t3\n");
    EXPECT_EQ(Texts("ID"), (Strings{"901", "902", "3"}));
    EXPECT_EQ(Texts("NAME"), (Strings{"Caf\xE9", "Tea", "Row 3"}));
    EXPECT_EQ(Texts("AMOUNT"), (Strings{"12.5", "3", "4.5"}));
    EXPECT_TRUE(Boxes.Requests.empty());

    // A lone CR ends a line, also at the very end; CR LF is one line end.
    At(1, 1);
    Text("a\rb\r\nc\r");
    EXPECT_EQ(Texts("NAME"), (Strings{"a", "b", "c"}));
    // LF then CR are two line ends: the empty line between leaves its record as it was.
    At(1, 1);
    Text("x\n\ry");
    EXPECT_EQ(Texts("NAME"), (Strings{"x", "b", "y"}));
    EXPECT_EQ(Data.RecordCount(), 3);
}

TEST_F(ImportTest, TheRestIsAppendedAtTheEndAndInsertedWhereARecordIsInserted)
{
    ShowColumns({"ID", "NAME"});
    // At the last record: the first line overwrites it, the others come after it.
    At(3, 1);
    Text("x\r\ny\r\nz\r\n");
    EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "Row 2", "x", "y", "z"}));
    EXPECT_EQ(Data.GetRecNo(), 3);

    // Appending not allowed: the surplus lines are dropped.
    Grid->SetAllowedOperations(Grid->GetAllowedOperations().Exclude(alopAppendEx));
    At(5, 1);
    Text("v\r\nw");
    EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "Row 2", "x", "y", "v"}));

    // A record being inserted: every line is inserted there, in order.
    Data.SetRecNo(2);
    Data.Insert();
    Text("p\r\nq", false);
    EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "p", "q", "Row 2", "x", "y", "v"}));
    EXPECT_EQ(Data.State(), db::dsBrowse);
}

TEST_F(ImportTest, ARectangleFillsTheColumnsItsExportWrote)
{
    ShowColumns({"ID", "NAME", "FLAG"});
    Col(1)->SetVisible(false);
    SelectRect(0, 1, 2, 2);
    Text("7\tq\textra\r\n8\tr\r\n9\ts");
    EXPECT_EQ(Texts("ID"), (Strings{"7", "8", "3"}));
    EXPECT_EQ(Texts("FLAG"), (Strings{"q", "r", ""}));
    EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "Row 2", "Row 3"}));
    EXPECT_EQ(Export<TDBGridExExportAsText>(), "ID\tFLAG\r\n7\tq\r\n8\tr");
}

TEST_F(ImportTest, ReadOnlyDataOrGridStaysAsItWas)
{
    ShowColumns({"ID", "NAME"});
    Data.SetReadOnly(true);
    At(3, 1);
    Text("x\r\ny");
    Cells(Kvdbif(1, std::string("\x05\x01\0\0\0k\0", 7)));
    EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "Row 2", "Row 3"}));
    Data.SetReadOnly(false);
    Grid->SetReadOnly(true);
    Text("x\r\ny", true);
    EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "Row 2", "Row 3"}));
    EXPECT_TRUE(Boxes.Requests.empty());
}

TEST_F(ImportTest, KvdbifTagsOneAndTwo)
{
    ShowColumns({"NAME", "AMOUNT", "ID"});
    At(1, 0);
    // Tag 1 leaves NAME, tag 2 clears AMOUNT, ID takes 42; cells beyond the grid's columns
    // are read and dropped; unknown tags are no value.
    Cells(Kvdbif(4, std::string("\x01\x02\x03\x2A\0\0\0\x05\x01\0\0\0x", 13) + std::string("\x09\x09\x09\x09\0", 5)));
    EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "Row 2", "Row 3"}));
    EXPECT_TRUE(F("AMOUNT")->IsNull());
    EXPECT_EQ(F("ID")->GetAsInteger(), 42);
    Data.SetRecNo(2);
    EXPECT_EQ(F("AMOUNT")->GetAsFloat(), 3.0);
}

TEST_F(ImportTest, EveryFieldTypeComesBackThroughKvdbif)
{
    struct TType {
        db::TFieldType Type;
        rtl::Variant First, Second;
        char Tag;
    };
    const rtl::TDateTime day = rtl::EncodeDate(2024, 2, 29);
    const std::vector<TType> types = {
        {db::ftString, "text", "other", 5},
        {db::ftSmallint, -7, 12, 3},
        {db::ftInteger, 2000000000, -3, 3},
        {db::ftWord, 65535, 1, 3},
        {db::ftBoolean, true, false, 5},
        {db::ftFloat, 0.1, -2.5e300, 4},
        {db::ftCurrency, 12.34, 0.0, 4},
        {db::ftBCD, rtl::Currency::FromScaled(123456), rtl::Currency::FromScaled(-1), 4},
        {db::ftDate, rtl::Variant::FromDateTime(day), rtl::Variant::FromDateTime(day + 1), 4},
        {db::ftTime, rtl::Variant::FromDateTime(0.75), rtl::Variant::FromDateTime(0.25), 4},
        {db::ftDateTime, rtl::Variant::FromDateTime(day + 0.5), rtl::Variant::FromDateTime(1.0), 4},
        {db::ftBlob, std::string("\0\xFF\x01", 3), "b", 6},
        {db::ftMemo, "line 1\r\nline 2", "m", 5},
        {db::ftFmtMemo, "{\\rtf1}", "f", 6},
        {db::ftFixedChar, "abc", "xyz", 5},
        {db::ftWideString, "wide \xB5", "w", 6},
        {db::ftLargeint, 9000000000LL, 1LL, 5},
        {db::ftTimeStamp, rtl::Variant::FromDateTime(day + 0.125), rtl::Variant::FromDateTime(2.0), 4},
        {db::ftFMTBcd, rtl::Currency::FromScaled(-98765), rtl::Currency::FromScaled(5), 4},
    };
    db::TMemDataSet kinds;
    for (std::size_t i = 0; i < types.size(); ++i) kinds.AddField(types[i].Type, "F" + std::to_string(i));
    kinds.Open();
    for (const bool first : {true, false}) {
        kinds.Append();
        for (std::size_t i = 0; i < types.size(); ++i)
            kinds.Fields()[static_cast<int>(i)]->SetValue(first ? types[i].First : types[i].Second);
        kinds.Post();
    }
    kinds.Append(); // a third record of nulls
    kinds.Fields()[0]->SetAsString("nulls");
    kinds.Post();
    db::TDataSource source;
    source.SetDataSet(&kinds);
    Grid->SetDataSource(&source);
    Grid->SetDrawMemoText(true); // memo columns edit their text
    ASSERT_EQ(Grid->Columns().Count(), static_cast<int>(types.size()));

    auto copyOnto = [&](int from, int onto) {
        Grid->SelectedRows().Clear();
        kinds.SetRecNo(from);
        Grid->SelectedRows().SetCurrentRowSelected(true);
        const std::string block = Export<TDBGridExExportAsKVDBIF>();
        Grid->SelectedRows().Clear();
        kinds.SetRecNo(onto);
        Grid->SelectedRows().SetCurrentRowSelected(true);
        Import<TDBGridExImportAsKVDBIF>(block);
        return block;
    };
    const std::string block = copyOnto(1, 2);
    // Each cell's tag, in column order.
    std::size_t at = 12 + 2 * types.size();
    for (const TType& type : types) {
        ASSERT_LT(at, block.size());
        EXPECT_EQ(block[at], type.Tag) << "type " << type.Type;
        std::size_t payload = 8;
        if (type.Tag == 3) payload = 4;
        if (type.Tag > 4) payload = 4 + static_cast<unsigned char>(block[at + 1]); // all texts below 256
        at += 1 + payload;
    }
    // A blob column is never changed in the grid (it has no text to edit); the rest take
    // the copied values.
    kinds.SetRecNo(2);
    for (std::size_t i = 0; i < types.size(); ++i) {
        const bool blob = types[i].Type == db::ftBlob;
        EXPECT_TRUE(kinds.Fields()[static_cast<int>(i)]->GetValue() == (blob ? types[i].Second : types[i].First))
            << "type " << types[i].Type;
    }
    // Nulls come back as nulls (the first field keeps its text).
    copyOnto(3, 2);
    kinds.SetRecNo(2);
    for (std::size_t i = 1; i < types.size(); ++i)
        EXPECT_EQ(kinds.Fields()[static_cast<int>(i)]->IsNull(), types[i].Type != db::ftBlob) << "type " << types[i].Type;
    Grid->SetDataSource(nullptr);
}

TEST_F(ImportTest, KvdbifDayNumbersOutsideTheCalendarAreBrokenInput)
{
    db::TMemDataSet days;
    days.AddField<db::TDateTimeField>("WHEN");
    days.AddField<db::TFloatField>("X");
    days.Open();
    for (int i = 0; i < 2; ++i) {
        days.Append();
        days.FieldByName("WHEN")->SetAsDateTime(rtl::EncodeDate(2024, 1, 1 + i));
        days.FieldByName("X")->SetAsFloat(i);
        days.Post();
    }
    db::TDataSource source;
    source.SetDataSet(&days);
    Grid->SetDataSource(&source);
    AddColumn("WHEN");
    AddColumn("X");
    auto whens = [&] {
        std::vector<double> values;
        for (days.First(); !days.Eof(); days.Next()) values.push_back(days.FieldByName("WHEN")->GetAsFloat());
        return values;
    };
    const std::vector<double> before = whens();
    days.First();
    // The second record's day number is beyond the calendar: nothing is written, not even
    // the first record's.
    const std::string good = FloatCell(rtl::EncodeDate(2030, 5, 6)) + FloatCell(1e20);
    for (const std::string& bad : {FloatCell(1e20), FloatCell(rtl::MinDateTime - 1), FloatCell(std::nan("")),
                                   IntegerCell(3000000), IntegerCell(-700000)}) {
        try {
            Cells(Kvdbif(2, good + bad + FloatCell(7) + std::string(1, '\0')));
            ADD_FAILURE() << "no error";
        } catch (const rtl::Exception& e) {
            EXPECT_EQ(e.Message, InvalidKVDBIFFormatMessage());
        }
        EXPECT_EQ(whens(), before);
        EXPECT_EQ(days.FieldByName("X")->GetAsFloat(), 1.0);
        EXPECT_TRUE(Boxes.Requests.empty());
        days.First();
    }
    // The same numbers in a float column, and days of the calendar, go in.
    Cells(Kvdbif(2, good + FloatCell(rtl::MaxDateTime) + IntegerCell(3000000) + std::string(1, '\0')));
    EXPECT_EQ(whens(), (std::vector<double>{rtl::EncodeDate(2030, 5, 6), rtl::MaxDateTime}));
    days.First();
    EXPECT_EQ(days.FieldByName("X")->GetAsFloat(), 1e20);
    Grid->SetDataSource(nullptr);
}

TEST_F(ImportTest, BrokenInputsRaiseTheirErrorAndChangeNothing)
{
    ShowColumns({"NAME", "AMOUNT"});
    const std::string cell = std::string("\x05\x01\0\0\0k\x02", 7); // "k", null
    struct TCase {
        const char* What;
        std::string Bytes;
    };
    const TCase cases[] = {
        {"empty", ""},
        {"short header", std::string("KVDBIF\0\x01\x01\0", 10)},
        {"wrong signature", std::string("KVDBIX\0\x01\x01\0\0\0\x01\0\x00", 15)},
        {"column list cut short", std::string("KVDBIF\0\x01\x02\0\0\0\x01\0\x01", 15)},
        {"no end tag", Kvdbif(2, cell)},
        {"second record cut short", Kvdbif(2, cell + cell.substr(0, 3))},
        {"negative length", Kvdbif(2, std::string("\x05\xFF\xFF\xFF\xFFk\x02\0", 8))},
        {"length beyond the data", Kvdbif(2, std::string("\x06\xFF\xFF\xFF\x7Fk\x02\0", 8))},
        {"double cut short", Kvdbif(2, std::string("\x04\0\0\0", 4))},
        {"no columns but cells", Kvdbif(0, std::string("\x03\x01\0\0\0\0", 6))},
        {"negative column count", Kvdbif(-3, std::string("\x02\0", 2))},
    };
    At(1, 0);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        try {
            Cells(c.Bytes);
            ADD_FAILURE() << "no error";
        } catch (const rtl::Exception& e) {
            EXPECT_EQ(e.Message, InvalidKVDBIFFormatMessage());
        }
        EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "Row 2", "Row 3"}));
        EXPECT_EQ(Texts("AMOUNT"), (Strings{"1.5", "3", "4.5"}));
        EXPECT_EQ(Data.GetRecNo(), 1);
        EXPECT_FALSE(Data.ControlsDisabled());
    }
    // No columns and nothing after: nothing to do.
    Cells(Kvdbif(0, std::string(1, '\0')));
    EXPECT_EQ(Texts("NAME"), (Strings{"Row 1", "Row 2", "Row 3"}));
    // Bytes after the end tag are not read.
    Cells(Kvdbif(2, cell + std::string("\0junk", 5)));
    EXPECT_EQ(Texts("NAME"), (Strings{"k", "Row 2", "Row 3"}));
}

TEST_F(ImportTest, ARefusedValueAsksWhetherToGoOn)
{
    ShowColumns({"NAME", "AMOUNT"});
    const std::string lines = "n1\tx\r\nn2\t7\r\nn3\ty";
    At(1, 0);
    Boxes.Answer = ui::mrYes; // each refused cell is passed over
    Text(lines);
    ASSERT_EQ(Boxes.Requests.size(), 2u);
    const std::string& question = Boxes.Requests[0].Text;
    EXPECT_EQ(question.rfind(std::string(msg::ErrorDuringInsertValue) + "\n'x' ", 0), 0u) << question;
    EXPECT_EQ(question.substr(question.size() - 15), "\n\nIgnore error?");
    EXPECT_EQ(Boxes.Requests[0].Type, ui::mtError);
    EXPECT_EQ(Boxes.Requests[0].Buttons, ui::mbYes | ui::mbNo | ui::mbAll);
    EXPECT_EQ(Texts("NAME"), (Strings{"n1", "n2", "n3"}));
    EXPECT_EQ(Texts("AMOUNT"), (Strings{"1.5", "7", "4.5"}));

    Boxes.Requests.clear();
    Boxes.Answer = ui::mrAll; // asked once
    Text("a1\tx\r\na2\ty");
    EXPECT_EQ(Boxes.Requests.size(), 1u);
    EXPECT_EQ(Texts("NAME"), (Strings{"a1", "a2", "n3"}));

    // No stops silently: the record the refusal came in keeps nothing of the line.
    Boxes.Requests.clear();
    Boxes.Answer = ui::mrNo;
    EXPECT_THROW(Text("b1\t8\r\nb2\tx\r\nb3\t9"), rtl::EAbort);
    EXPECT_EQ(Boxes.Requests.size(), 1u);
    EXPECT_EQ(Texts("NAME"), (Strings{"b1", "a2", "n3"}));
    EXPECT_EQ(Texts("AMOUNT"), (Strings{"8", "7", "4.5"}));
    EXPECT_EQ(Data.GetRecNo(), 1);
    EXPECT_EQ(Data.State(), db::dsBrowse);
    EXPECT_FALSE(Data.ControlsDisabled());
}

TEST_F(ImportTest, ATextTheGridWouldNotShowStaysTheFieldsError)
{
    ShowColumns({"NAME", "AMOUNT", "ID"});
    F("AMOUNT")->SetCurrency(true); // shown as "$1,234.50", "($0.25)"
    Col(2)->SetDisplayFormat("#,##0 'pcs'");
    At(1, 0);
    Boxes.Answer = ui::mrYes;
    // Shown forms and plain forms read; a misplaced separator or a stray sign does not.
    Text("a\t$1,234.50\t1,200 pcs\r\nb\t$1,23.4\t12 pc\r\nc\t($0.25)\t-7");
    EXPECT_EQ(Texts("AMOUNT"), (Strings{"1234.5", "3", "-0.25"}));
    EXPECT_EQ(Texts("ID"), (Strings{"1200", "2", "-7"}));
    ASSERT_EQ(Boxes.Requests.size(), 2u);
    EXPECT_NE(Boxes.Requests[0].Text.find("'$1,23.4' is not a valid floating point value for field 'AMOUNT'"),
              std::string::npos)
        << Boxes.Requests[0].Text;
    EXPECT_NE(Boxes.Requests[1].Text.find("'12 pc' is not a valid integer value"), std::string::npos)
        << Boxes.Requests[1].Text;
    Boxes.Requests.clear();
    Text("d\t12$\r\ne\t-$0.25-");
    EXPECT_EQ(Texts("AMOUNT"), (Strings{"1234.5", "3", "-0.25"}));
    EXPECT_EQ(Boxes.Requests.size(), 2u);
}

TEST_F(ImportTest, LookupAndKeyListColumnsTakeTheKeyOfTheText)
{
    ShowColumns({"WHO", "FLAG"});
    Col(1)->GetPickList().SetText("Yes\nNo\nMaybe");
    Col(1)->GetKeyList().SetText("Y\nN");
    At(1, 0);
    // Found case-insensitively or by its beginning; not found: unchanged; empty: no key.
    // A pick-list line without a key (Maybe) and a text not listed clear the key.
    Text("bob\tNo\r\nzed\tMaybe\r\n\tnope");
    EXPECT_EQ(Texts("CUST"), (Strings{"2", "2", ""}));
    EXPECT_EQ(Texts("FLAG"), (Strings{"N", "", ""}));
    Text("c\tyes");
    EXPECT_EQ(Texts("CUST"), (Strings{"3", "2", ""}));
    EXPECT_EQ(Texts("FLAG"), (Strings{"Y", "", ""}));

    // A lookup over two key fields: the text fills both; KVDBIF has no cell for it.
    db::TMemDataSet codes;
    codes.AddField<db::TIntegerField>("K1");
    codes.AddField<db::TIntegerField>("K2");
    codes.AddField<db::TStringField>("LABEL", db::fkData, 10);
    codes.Open();
    for (int k : {1, 2}) {
        codes.Append();
        codes.FieldByName("K1")->SetAsInteger(k);
        codes.FieldByName("K2")->SetAsInteger(k * 10);
        codes.FieldByName("LABEL")->SetAsString(k == 1 ? "first" : "second");
        codes.Post();
    }
    db::TMemDataSet pairs;
    pairs.AddField<db::TIntegerField>("A");
    pairs.AddField<db::TIntegerField>("B");
    db::TField* label = pairs.AddField<db::TStringField>("L", db::fkLookup, 10);
    label->SetKeyFields("A;B");
    label->SetLookupDataSet(&codes);
    label->SetLookupKeyFields("K1;K2");
    label->SetLookupResultField("LABEL");
    pairs.Open();
    pairs.Append();
    pairs.FieldByName("A")->SetAsInteger(1);
    pairs.FieldByName("B")->SetAsInteger(10);
    pairs.Post();
    db::TDataSource source;
    source.SetDataSet(&pairs);
    Grid->Columns().Clear();
    Grid->SetDataSource(&source);
    AddColumn("L");
    Text("SEC");
    EXPECT_EQ(pairs.FieldByName("A")->GetAsInteger(), 2);
    EXPECT_EQ(pairs.FieldByName("B")->GetAsInteger(), 20);
    Grid->SelectedRows().SetCurrentRowSelected(true);
    const std::string block = Export<TDBGridExExportAsKVDBIF>();
    EXPECT_EQ(block.substr(14), std::string("\x01\0", 2));
    Cells(Kvdbif(1, std::string("\x03\x01\0\0\0\0", 6)));
    EXPECT_EQ(pairs.FieldByName("A")->GetAsInteger(), 2);
    Grid->SetDataSource(nullptr);
}

} // namespace
