// The grid's writers: text, CSV, RTF and KVDBIF byte for byte, the records and columns
// each selection kind exports, footer totals over the exported records, and the grid's
// current record kept.
#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "ImpExpFixture.h"
#include "support/TempDir.h"

namespace {

using namespace grid;
using gridtest::ImpExpTest;

// One RTF table row as the writer lays it out: cells of (colour index, right edge), all
// borders, then the cells' text.
std::string RtfRow(const std::vector<std::pair<int, int>>& cells, const std::string& body)
{
    std::string row = "\\trowd\\trgaph40\r\n";
    for (const auto& [shade, edge] : cells)
        row += "\\clbrdrl\\brdrs\\brdrcf0\r\n\\clbrdrt\\brdrs\\brdrcf0\r\n\\clbrdrb\\brdrs\\brdrcf0\r\n"
               "\\clbrdrr\\brdrs\\brdrcf0\r\n\\clcfpat"
               + std::to_string(shade) + "\\clcbpat" + std::to_string(shade) + "\\cellx" + std::to_string(edge) + "\r\n";
    return row + "{\\trrh0\r\n" + body + "\\pard\\intbl\\row}\r\n";
}

const std::string kRtfHead = "{\\rtf0\\ansi\r\n{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;"
                             "\\red192\\green192\\blue192;}\r\n";

class ExportTest : public ImpExpTest {
protected:
    rtl::TScopedFormatSettings Format{rtl::TFormatSettings::Invariant()};

    void NoTitles() { Grid->SetOptions(Grid->GetOptions().Exclude(dgTitles)); }
    // The text export of everything.
    std::string All() { return Export<TDBGridExExportAsText>(true); }
};

TEST_F(ExportTest, TextAndCsvLinesCellsAndQuotes)
{
    ShowColumns({"ID", "NAME"});
    NoTitles();
    SelectRecords({2});
    EXPECT_EQ(Export<TDBGridExExportAsText>(), "2\tRow 2"); // no line end after the last line

    Grid->SetOptions(Grid->GetOptions().Include(dgTitles));
    Grid->SelectedRows().Clear();
    SelectRecords({3, 1}); // bookmark order, whatever the order of selecting
    EXPECT_EQ(Export<TDBGridExExportAsText>(), "ID\tNAME\r\n1\tRow 1\r\n3\tRow 3");

    // CSV quotes every text, doubles the quotes inside and leaves its separator in a text.
    Col(1)->Title()->SetCaption("Say \"hi\"");
    Data.SetRecNo(1);
    Put("NAME", "a;\"b\"");
    EXPECT_EQ(Export<TDBGridExExportAsCSV>(), "\"ID\";\"Say \"\"hi\"\"\"\r\n\"1\";\"a;\"\"b\"\"\"\r\n\"3\";\"Row 3\"");
    // The separator is taken when the writer is made.
    CSVSeparator = ',';
    const std::string comma = Export<TDBGridExExportAsCSV>();
    CSVSeparator = ';';
    EXPECT_EQ(comma.substr(0, 17), "\"ID\",\"Say \"\"hi\"\"\"");

    // Nothing selected: nothing at all, in every format.
    Grid->SelectedRows().Clear();
    ASSERT_EQ(Grid->Selection().SelectionType(), gstNon);
    EXPECT_EQ(Export<TDBGridExExportAsText>(), "");
    EXPECT_EQ(Export<TDBGridExExportAsCSV>(), "");
    EXPECT_EQ(Export<TDBGridExExportAsRTF>(), "");
    EXPECT_EQ(Export<TDBGridExExportAsKVDBIF>(), "");
}

TEST_F(ExportTest, FooterTotalsCountTheExportedRecordsOnly)
{
    ShowColumns({"ID", "AMOUNT"});
    Grid->SetFooterRowCount(2);
    Col(0)->Footers()->Add()->SetValueType(fvtCount);
    TColumnFooterEx* text = Col(0)->Footers()->Add();
    text->SetValueType(fvtStaticText);
    text->SetValue("n");
    Col(1)->Footers()->Add()->SetValueType(fvtSum);
    Col(1)->Footers()->Add()->SetValueType(fvtAvg);
    Grid->SumList().SetActive(true);
    SelectRecords({1, 3});
    // Sum and count over records 1 and 3; the average is the grid's, over all three.
    EXPECT_EQ(Export<TDBGridExExportAsText>(), "ID\tAMOUNT\r\n1\t1.5\r\n3\t4.5\r\n2\t6\r\nn\t3");

    // Null values add nothing; the footer hook sees the exported text.
    Data.SetRecNo(3);
    Put("AMOUNT", rtl::Null());
    struct TStar : rtl::TObject {
        void Params(rtl::TObject*, int, int Row, TColumnEx*, ui::TFont&, ui::TColor&, rtl::TAlignment&,
                    ui::TGridDrawState, std::string& Text)
        {
            if (Row == 0) Text += "*";
        }
    } star;
    Grid->OnGetFooterParams = {&star, &TStar::Params};
    EXPECT_EQ(Export<TDBGridExExportAsCSV>(),
              "\"ID\";\"AMOUNT\"\r\n\"1\";\"1.5\"\r\n\"3\";\"\"\r\n\"2*\";\"1.5*\"\r\n\"n\";\"2.25\"");
}

TEST_F(ExportTest, RtfOfOneCellIsExact)
{
    ShowColumns({"NAME"});
    NoTitles();
    Col(0)->SetWidth(64);
    Data.SetRecNo(2);
    Put("NAME", "a{b");
    SelectRecords({2});
    EXPECT_EQ(Export<TDBGridExExportAsRTF>(),
              kRtfHead + "{\\fonttbl\\f0\\fnil Arial;}\r\n"
                  + RtfRow({{1, 960}}, "\\pard\\intbl{\\ql\\sb24\\sa24\\fs16\\f0\\cf0\\cb1 a\\{b\\cell}\r\n") + "}");
}

TEST_F(ExportTest, RtfIsSevenBitWithLineBreaksAsLineWords)
{
    ShowColumns({"NAME"});
    NoTitles();
    Col(0)->SetWidth(64);
    Col(0)->GetFont().SetName("F\xF6nt"); // a font name of the code page too
    Data.SetRecNo(2);
    // é € ß ÿ of Windows-1252; CR LF, a lone LF and a lone CR each break the line once.
    Put("NAME", "Caf\xE9 \x80\r\n\xDF{x}\\y\nz\rq\xFF");
    SelectRecords({2});
    const std::string rtf = Export<TDBGridExExportAsRTF>();
    EXPECT_EQ(rtf, kRtfHead + "{\\fonttbl\\f0\\fnil F\\'f6nt;}\r\n"
                       + RtfRow({{1, 960}}, "\\pard\\intbl{\\ql\\sb24\\sa24\\fs16\\f0\\cf0\\cb1 Caf\\'e9 \\'80\\line "
                                            "\\'df\\{x\\}\\\\y\\line z\\line q\\'ff\\cell}\r\n")
                       + "}");
    EXPECT_EQ(std::count_if(rtf.begin(), rtf.end(), [](char c) { return static_cast<unsigned char>(c) > 127; }), 0);
}

TEST_F(ExportTest, RtfWithoutRecordsStillHasItsTitleRow)
{
    ShowColumns({"NAME"});
    Col(0)->SetWidth(30); // 450 twips at 96 pixels per inch
    Grid->TitleFont().SetName("Tahoma");
    Grid->TitleFont().SetSize(10);
    while (!Data.IsEmpty()) Data.Delete();
    EXPECT_EQ(Export<TDBGridExExportAsRTF>(true),
              kRtfHead + "{\\fonttbl\\f0\\fnil Tahoma;}\r\n"
                  + RtfRow({{2, 450}}, "\\pard\\intbl{\\ql\\sb24\\sa24\\fs20\\f0\\cf0\\cb2 NAME\\cell}\r\n") + "}");
}

TEST_F(ExportTest, RtfCellsCarryTheLookTheHooksGiveThem)
{
    ShowColumns({"ID", "NAME"});
    NoTitles();
    Grid->SetFlat(true);
    Col(0)->SetWidth(10);
    Col(1)->SetWidth(20);
    Col(1)->SetAlignment(rtl::taRightJustify);
    Col(1)->GetFont().SetName("Courier");
    Data.SetRecNo(1);
    Put("NAME", "c:\\x}");
    struct THook : rtl::TObject {
        void Params(rtl::TObject*, TColumnEx* Column, ui::TFont& Font, ui::TColor& Background, ui::TGridDrawState)
        {
            if (Column->GetFieldName() != "NAME") return;
            Background = ui::clRed;
            Font.SetStyle(ui::fsBold | ui::fsItalic | ui::fsUnderline | ui::fsStrikeOut);
            Font.SetColor(ui::clBlue);
        }
    } hook;
    Grid->OnGetCellParams = {&hook, &THook::Params};
    SelectRecords({1});
    // Red is entered for the row's shading, blue for the font; Arial and Courier in use order.
    EXPECT_EQ(Export<TDBGridExExportAsRTF>(),
              "{\\rtf0\\ansi\r\n{\\colortbl\\red0\\green0\\blue0;\\red255\\green255\\blue255;"
              "\\red192\\green192\\blue192;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
              "{\\fonttbl\\f0\\fnil Arial;\\f1\\fnil Courier;}\r\n"
                  + RtfRow({{1, 150}, {3, 450}},
                           "\\pard\\intbl{\\qr\\sb12\\sa12\\fs16\\f0\\cf0\\cb1 1\\cell}\r\n"
                           "\\pard\\intbl{\\qr\\sb12\\sa12\\fs16\\b\\i\\strike\\ul\\f1\\cf4\\cb3 c:\\\\x\\}\\cell}\r\n")
                  + "}");
}

TEST_F(ExportTest, RtfMultiLevelTitlesMergeTheirBands)
{
    ShowColumns({"ID", "NAME", "AMOUNT"});
    Grid->TitleFont().SetName("Tahoma");
    Grid->TitleFont().SetSize(8);
    Col(0)->Title()->SetCaption("A|x");
    Col(1)->Title()->SetCaption("A|y");
    Col(2)->Title()->SetCaption("c");
    for (int i = 0; i < 3; ++i) Col(i)->SetWidth(16); // 240 twips each
    Grid->SetUseMultiTitle(true);
    while (!Data.IsEmpty()) Data.Delete();
    const std::string rtf = Export<TDBGridExExportAsRTF>(true);

    // Band A over x and y, c over both levels: borders inside a block are left out.
    const std::string b = "\\brdrs\\brdrcf0\r\n";
    auto def = [&](const std::string& sides, int edge) {
        std::string out;
        for (char side : sides) out += std::string("\\clbrdr") + side + b;
        return out + "\\clcfpat2\\clcbpat2\\cellx" + std::to_string(edge) + "\r\n";
    };
    auto cell = [](const std::string& text) {
        return "\\pard\\intbl{\\qc\\sb55\\sa55\\fs16\\f0\\cf0\\cb2 " + text + "\\cell}\r\n";
    };
    const std::string covered = "\\pard\\intbl{\\qc\\fs16\\f0\\cf0\\cb2 \\cell}\r\n";
    const std::string top = "\\trowd\\trgaph40\r\n" + def("ltb", 240) + def("tbr", 480) + def("ltr", 720)
                            + "{\\trrh0\r\n" + cell("A") + covered + cell("c") + "\\pard\\intbl\\row}\r\n";
    const std::string leaves = "\\trowd\\trgaph40\r\n" + def("ltbr", 240) + def("ltbr", 480) + def("lbr", 720)
                               + "{\\trrh0\r\n" + cell("x") + cell("y") + covered + "\\pard\\intbl\\row}\r\n";
    EXPECT_EQ(rtf, kRtfHead + "{\\fonttbl\\f0\\fnil Tahoma;}\r\n" + top + leaves + "}");
}

TEST_F(ExportTest, KvdbifBytesAndCellKinds)
{
    ShowColumns({"ID", "NAME"});
    Data.SetRecNo(1);
    Put("ID", 5);
    Put("NAME", "ab");
    SelectRecords({1});
    const std::string expected("KVDBIF\0\x01\x02\0\0\0\x01\0\x01\0\x03\x05\0\0\0\x05\x02\0\0\0ab\0", 29);
    EXPECT_EQ(Export<TDBGridExExportAsKVDBIF>(), expected); // no title, no footer in this format

    // Null is tag 2, a lookup column gives its key (CUST 3, an integer), a column without a
    // field has no value (tag 1), a hidden selected column says so in the column list.
    Grid->Columns().Clear();
    ShowColumns({"FLAG", "WHO", ""});
    Col(2)->SetVisible(false);
    Grid->Selection().Columns().Select(Col(0), false);
    Grid->Selection().Columns().Select(Col(1), true);
    Grid->Selection().Columns().Select(Col(2), true);
    const std::string cells = Export<TDBGridExExportAsKVDBIF>();
    ASSERT_EQ(cells.size(), 12u + 6 + 3 * (1 + 5 + 1) + 1);
    EXPECT_EQ(cells.substr(8, 10), std::string("\x03\0\0\0\x01\0\x01\0\0\0", 10));
    EXPECT_EQ(cells.substr(18, 7), std::string("\x02\x03\x01\0\0\0\x01", 7));
    EXPECT_EQ(cells.back(), '\0');
}

TEST_F(ExportTest, EachSelectionKindWalksItsRecordsAndColumns)
{
    ShowColumns({"ID", "NAME", "AMOUNT"});
    NoTitles();
    // Columns: the selected ones, in column order, over every record.
    Grid->Selection().Columns().Select(Col(2), false);
    Grid->Selection().Columns().Select(Col(0), true);
    EXPECT_EQ(Export<TDBGridExExportAsText>(), "1\t1.5\r\n2\t3\r\n3\t4.5");

    // A rectangle takes the visible columns between its edges.
    Col(1)->SetVisible(false);
    SelectRect(2, 2, 0, 1);
    EXPECT_EQ(Export<TDBGridExExportAsText>(), "1\t1.5\r\n2\t3");
    Col(1)->SetVisible(true);

    // A record shown above an older one: the rectangle runs between the two as shown,
    // whichever way it was drawn, and no further.
    Data.SetRecNo(2);
    Data.Insert();
    F("ID")->SetAsInteger(9);
    F("NAME")->SetAsString("New");
    Data.Post();
    ASSERT_EQ(Texts("NAME"), (std::vector<std::string>{"Row 1", "New", "Row 2", "Row 3"}));
    SelectRect(1, 3, 1, 2);
    EXPECT_EQ(Export<TDBGridExExportAsText>(), "New\r\nRow 2");
    SelectRect(1, 2, 1, 3);
    EXPECT_EQ(Export<TDBGridExExportAsText>(), "New\r\nRow 2");

    // Its bottom record gone: to the end of the data.
    SelectRect(1, 1, 1, 2);
    Data.SetRecNo(2);
    Data.Delete();
    EXPECT_EQ(Export<TDBGridExExportAsText>(), "Row 1\r\nRow 2\r\nRow 3");
}

TEST_F(ExportTest, TheCurrentRecordStaysAlsoWhenTheWalkFails)
{
    ShowColumns({"ID", "NAME"});
    Data.SetRecNo(2);
    EXPECT_EQ(All(), "ID\tNAME\r\n1\tRow 1\r\n2\tRow 2\r\n3\tRow 3");
    EXPECT_EQ(Data.GetRecNo(), 2);
    EXPECT_FALSE(Data.ControlsDisabled());

    struct TFail : rtl::TObject {
        void Params(rtl::TObject*, TColumnEx* Column, ui::TFont&, ui::TColor&, ui::TGridDrawState)
        {
            if (Column->Field()->DataSet()->GetRecNo() == 3) throw rtl::Exception("cell refused");
        }
    } fail;
    Grid->OnGetCellParams = {&fail, &TFail::Params};
    EXPECT_THROW(All(), rtl::Exception);
    EXPECT_EQ(Data.GetRecNo(), 2);
    EXPECT_FALSE(Data.ControlsDisabled());
}

TEST_F(ExportTest, FilesAreReplacedAndAFolderThatIsNotThereFails)
{
    ShowColumns({"ID"});
    testsupport::TempDir dir;
    const std::string path = dir.Write("out.txt", "old contents that are longer");
    TDBGridExExportAsText writer;
    writer.DBGrid = Grid.get();
    writer.ExportToFile(path, true);
    EXPECT_EQ(dir.Read("out.txt"), "ID\r\n1\r\n2\r\n3");
    EXPECT_THROW(writer.ExportToFile(dir.File("none/out.txt"), true), rtl::Exception);
}

} // namespace
