// The RTF export as programs no one here wrote read it: LibreOffice, unrtf and pandoc turn
// an export of 8-bit texts, braces, backslashes, line breaks and cell colours into HTML,
// whose cells must hold every text whole (and, in LibreOffice, every cell colour). Each
// test skips with a message where its program is not installed (CI does not install them).
#include <optional>
#include <string>
#include <vector>

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include "ImpExpFixture.h"
#include "support/TempDir.h"

namespace {

using namespace grid;
using gridtest::ImpExpTest;

struct THtmlCell {
    std::string Background; // "#rrggbb" of the cell's bgcolor, empty when it has none
    std::string Text;       // a line break as "\n"
};

// A cell's text as the HTML holds it: tags left out, a <br> as a line break, the blanks
// the HTML is laid out with as one space, none at the ends of a line.
std::string CellText(const std::string& html)
{
    std::vector<std::string> lines(1);
    bool blank = false;
    for (std::size_t i = 0; i < html.size(); ++i) {
        const char c = html[i];
        if (c == '<') {
            const std::size_t end = html.find('>', i);
            if (html.compare(i + 1, 2, "br") == 0) {
                lines.emplace_back();
                blank = false;
            }
            i = end == std::string::npos ? html.size() : end;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            blank = true;
        } else {
            if (blank && !lines.back().empty()) lines.back() += ' ';
            blank = false;
            lines.back() += c;
        }
    }
    std::string text;
    for (std::size_t l = 0; l < lines.size(); ++l) text += (l ? "\n" : "") + lines[l];
    return text;
}

std::vector<THtmlCell> HtmlCells(const std::string& html)
{
    std::vector<THtmlCell> cells;
    for (std::size_t at = html.find("<td"); at != std::string::npos; at = html.find("<td", at)) {
        const std::size_t open = html.find('>', at);
        const std::size_t close = html.find("</td>", open);
        if (open == std::string::npos || close == std::string::npos) break;
        THtmlCell cell;
        const std::string tag = html.substr(at, open - at);
        const std::size_t color = tag.find("bgcolor=\"");
        if (color != std::string::npos) cell.Background = tag.substr(color + 9, 7);
        cell.Text = CellText(html.substr(open + 1, close - open - 1));
        cells.push_back(cell);
        at = close;
    }
    return cells;
}

class RtfInOtherPrograms : public ImpExpTest {
protected:
    rtl::TScopedFormatSettings Format{rtl::TFormatSettings::Invariant()};
    testsupport::TempDir Dir;

    // The grid's RTF export of its three records under titles, in export.rtf: texts of the
    // code page, braces, backslashes and line breaks; a yellow column and a red cell.
    std::string WriteExport()
    {
        ShowColumns({"ID", "NAME"});
        Col(0)->SetColor(ui::clYellow);
        Data.SetRecNo(1);
        Put("NAME", "Caf\xE9 \x80 \xDF \xFC \xFF");
        Data.SetRecNo(2);
        Put("NAME", "a{b}\\c");
        Data.SetRecNo(3);
        Put("NAME", "line1\r\nline2\nline3");
        struct TRed : rtl::TObject {
            void Params(rtl::TObject*, TColumnEx* Column, ui::TFont&, ui::TColor& Background, ui::TGridDrawState)
            {
                if (Column->GetFieldName() == "NAME" && Column->Field()->DataSet()->GetRecNo() == 2)
                    Background = ui::clRed;
            }
        };
        static TRed red;
        Grid->OnGetCellParams = {&red, &TRed::Params};
        return Dir.Write("export.rtf", Export<TDBGridExExportAsRTF>(true));
    }

    // What the cells must read: the titles, then ID and NAME of each record; the 8-bit
    // text as UTF-8, or as the character references unrtf writes.
    static std::vector<std::string> ExpectedTexts(bool references = false)
    {
        return {"ID", "NAME", "1",
                references ? "Caf&eacute; &euro; &szlig; &uuml; &yuml;"
                           : "Caf\xC3\xA9 \xE2\x82\xAC \xC3\x9F \xC3\xBC \xC3\xBF",
                "2", "a{b}\\c", "3", "line1\nline2\nline3"};
    }

    static std::vector<std::string> Texts(const std::vector<THtmlCell>& cells)
    {
        std::vector<std::string> texts;
        for (const THtmlCell& cell : cells) texts.push_back(cell.Text);
        return texts;
    }

    // Runs the program with the arguments to its end; its standard output, none when the
    // program is not installed.
    static std::optional<std::string> Run(const char* program, const QStringList& arguments)
    {
        const QString path = QStandardPaths::findExecutable(program);
        if (path.isEmpty()) return std::nullopt;
        QProcess process;
        process.start(path, arguments);
        EXPECT_TRUE(process.waitForFinished(120000)) << program;
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << program;
        EXPECT_EQ(process.exitCode(), 0) << program << ": " << process.readAllStandardError().toStdString();
        return process.readAllStandardOutput().toStdString();
    }
};

TEST_F(RtfInOtherPrograms, LibreOfficeShowsEveryTextAndCellColour)
{
    const std::string file = WriteExport();
    // A profile of its own, so that no other run's LibreOffice is in the way.
    const std::optional<std::string> ran =
        Run("soffice", {"-env:UserInstallation=file://" + QString::fromStdString(Dir.File("profile")), "--headless",
                        "--convert-to", "html", "--outdir", QString::fromStdString(Dir.File("out")),
                        QString::fromStdString(file)});
    if (!ran) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    const std::vector<THtmlCell> cells = HtmlCells(Dir.Read("out/export.html"));
    EXPECT_EQ(Texts(cells), ExpectedTexts());
    std::vector<std::string> colors;
    for (const THtmlCell& cell : cells) colors.push_back(cell.Background);
    EXPECT_EQ(colors, (std::vector<std::string>{"#c0c0c0", "#c0c0c0", "#ffff00", "#ffffff", "#ffff00", "#ff0000",
                                                "#ffff00", "#ffffff"}));
}

TEST_F(RtfInOtherPrograms, UnrtfReadsEveryText)
{
    const std::optional<std::string> html = Run("unrtf", {"--html", QString::fromStdString(WriteExport())});
    if (!html) GTEST_SKIP() << "unrtf is not installed";
    EXPECT_EQ(Texts(HtmlCells(*html)), ExpectedTexts(true));
}

TEST_F(RtfInOtherPrograms, PandocReadsEveryText)
{
    const std::optional<std::string> html =
        Run("pandoc", {"--from", "rtf", "--to", "html", QString::fromStdString(WriteExport())});
    if (!html) GTEST_SKIP() << "pandoc is not installed";
    EXPECT_EQ(Texts(HtmlCells(*html)), ExpectedTexts());
}

} // namespace
