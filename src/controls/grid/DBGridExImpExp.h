#pragma once
// The grid's exports, imports and clipboard actions.
//
// Writers put what the selection holds (or every record) into a stream in one of four
// formats: tab-separated text, CSV, an RTF table and the binary cell format KVDBIF.
// Other programs read these bytes, so each writer produces them exactly: Windows-1252
// text, CR LF line ends. The text format carries cell texts as they are: a cell holding
// a TAB or a line end does not come back as one cell.
//
// Readers put tab-separated text (lines ended by CR LF, LF or CR) or KVDBIF cells back
// into the records and columns the selection names, from the current record on when
// nothing is selected. A KVDBIF block that is not well formed raises its format error
// before anything is changed; a value a field refuses asks whether to go on.
//
// The clipboard actions copy (all four formats), cut, paste (KVDBIF when there, else
// text) and delete the selection, or with ForWholeGrid everything.
#include <memory>
#include <string>
#include <vector>

#include "controls/grid/DBGridExColumns.h"
#include "controls/grid/DBGridExTypes.h"
#include "controls/grid/DBSumList.h"
#include "platform/rtl/Abort.h"
#include "platform/rtl/Stream.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Graphics.h"

namespace grid {

class TTextCellReader;
class TKVDBIFCellReader;

// The character between CSV cells; ";" from start.
extern char CSVSeparator;

// ---- writers

class TDBGridExExport {
public:
    virtual ~TDBGridExExport() = default;

    // The grid exported (not owned).
    TCustomDBGridEx* DBGrid = nullptr;

    // Writes the selection, or every record with IsExportAll; nothing at all when nothing
    // is selected. The grid's current record is the same afterwards, also after a failure.
    virtual void ExportToStream(rtl::TStream& Stream, bool IsExportAll);
    // The same into a new file (replacing one of that name).
    void ExportToFile(const std::string& FileName, bool IsExportAll);

protected:
    virtual void WritePrefix() {}
    virtual void WriteSuffix() {}
    virtual void WriteTitle(TColumnsExList& Columns);
    // Each column's cell of the current record through WriteDataCell.
    virtual void WriteRecord(TColumnsExList& Columns);
    virtual void WriteDataCell(TColumnEx* Column, TColCellParamsEx& CellParams);
    // Each column's cell of footer row FooterNo through WriteFooterCell.
    virtual void WriteFooter(TColumnsExList& Columns, int FooterNo);
    // DataCol is the cell's place among the exported columns.
    virtual void WriteFooterCell(int DataCol, int FooterNo, TColumnEx* Column, ui::TFont& AFont,
                                 ui::TColor Background, rtl::TAlignment Alignment, const std::string& Text);

    rtl::TStream& Stream() const { return *stream_; }
    void Write(const std::string& bytes) { stream_->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size())); }
    void Write(char c) { stream_->WriteBuffer(&c, 1); }
    // Points the writing steps at another stream (the RTF writer's body).
    void SetStream(rtl::TStream& stream) { stream_ = &stream; }

    // A data cell's parameters for the current record: the column's look and text, then
    // the grid's OnGetCellParams and the column's own hook; the background is the one the
    // grid's event left. The font is reset to the column's first.
    void FillCellParams(TColumnEx& Column, ui::TFont& Font, TColCellParamsEx& Params);
    // A footer cell's look and text: totals of sums and counts over the exported records,
    // the grid's own footer text for every other kind, then OnGetFooterParams.
    struct TFooterCell {
        ui::TFont Font;
        ui::TColor Background = ui::clWindow;
        rtl::TAlignment Alignment = rtl::taLeftJustify;
        std::string Text;
    };
    void FillFooterCell(TColumnEx& Column, int Position, int FooterNo, TFooterCell& Cell);
    // The text of a sum or count footer over the exported records.
    std::string FooterTotalText(const TColumnFooterEx& Footer, TColumnEx& Column, int Position, int FooterNo) const;

    TColCellParamsEx& CellParams() { return cellParams_; }
    // The columns being exported, while an export runs.
    const TColumnsExList& ExportColumns() const { return *columns_; }

private:
    void walkRecords(TDBGridExSelectionType kind, TColumnsExList& columns);
    void writeRecordAndSum(TColumnsExList& columns);
    void prepareTotals(const TColumnsExList& columns);

    rtl::TStream* stream_ = nullptr;
    const TColumnsExList* columns_ = nullptr;
    TColCellParamsEx cellParams_;
    ui::TFont cellFont_;
    // The totals of sum and count footers: footer row R, column C at C + R × columns.
    std::vector<TDBSumAmount> footerValues_;
    // What each total adds per record: its place and its field (none for a count).
    struct TTotal {
        int Index;
        const db::TField* Field;
    };
    std::vector<TTotal> totals_;
};

// Tab-separated text: a line per title, record and footer row, separated by CR LF (none
// after the last); cells separated by TAB, written unchanged.
class TDBGridExExportAsText : public TDBGridExExport {
public:
    void ExportToStream(rtl::TStream& Stream, bool IsExportAll) override;

protected:
    void WriteTitle(TColumnsExList& Columns) override;
    void WriteRecord(TColumnsExList& Columns) override;
    void WriteDataCell(TColumnEx* Column, TColCellParamsEx& CellParams) override;
    void WriteFooter(TColumnsExList& Columns, int FooterNo) override;
    void WriteFooterCell(int DataCol, int FooterNo, TColumnEx* Column, ui::TFont& AFont, ui::TColor Background,
                         rtl::TAlignment Alignment, const std::string& Text) override;
    // The line end before every line but the first.
    virtual void CheckFirstRec();
    // The separator before every cell of a line but the first.
    virtual void CheckFirstCell();
    // A cell's text as the format writes it.
    virtual std::string CellText(const std::string& Text) const { return Text; }

    bool FirstRec = true;
    bool FirstCell = true;
};

// CSV: as the text, with the separator character between cells and every text in double
// quotes (a quote inside doubled).
class TDBGridExExportAsCSV : public TDBGridExExportAsText {
public:
    TDBGridExExportAsCSV();

protected:
    void CheckFirstCell() override;
    std::string CellText(const std::string& Text) const override;

    char Separator;
};

// An RTF table: a colour and a font table, then a row per title level, record and footer
// row, each cell with its borders, colour, alignment and character look. The document is
// 7-bit: the bytes above 127 are written as Windows-1252 escapes, which every reader
// takes the same way.
class TDBGridExExportAsRTF : public TDBGridExExport {
public:
    void ExportToStream(rtl::TStream& Stream, bool IsExportAll) override;

protected:
    void WriteSuffix() override;
    void WriteTitle(TColumnsExList& Columns) override;
    void WriteRecord(TColumnsExList& Columns) override;
    void WriteDataCell(TColumnEx* Column, TColCellParamsEx& CellParams) override;
    void WriteFooter(TColumnsExList& Columns, int FooterNo) override;
    void WriteFooterCell(int DataCol, int FooterNo, TColumnEx* Column, ui::TFont& AFont, ui::TColor Background,
                         rtl::TAlignment Alignment, const std::string& Text) override;

    // The place of a colour or a font name in its table, entered when new.
    int ColorIndex(ui::TColor Color);
    int FontIndex(const std::string& Name);

private:
    struct TCellBorders {
        bool Left = true, Top = true, Bottom = true, Right = true;
    };
    void writeRowStart(const TColumnsExList& columns, const std::vector<ui::TColor>& shading,
                       const std::vector<TCellBorders>* borders = nullptr);
    void writeRowEnd();
    // "\pard\intbl{", the alignment, the spacing above and below (none when empty), the
    // character words, the text (\ { } escaped, 8-bit bytes as \'hh, line breaks as
    // \line), "\cell}".
    void writeCell(rtl::TAlignment alignment, const ui::TFont& font, ui::TColor background, const std::string& text,
                   const std::string& spacing);
    void writePlainTitle(TColumnsExList& columns);
    void writeMultiTitle(TColumnsExList& columns);
    // Twips of a width in pixels at the screen's pixels per inch.
    int twips(int pixels) const;

    // The spacing of a cell: 12 twips in the flat look, else 24.
    std::string spacing_;
    // Plain colours (0x00BBGGRR) and font names, in the order of their first use.
    std::vector<ui::TColor> colorTable_;
    rtl::TStringList fontTable_;
    // Each column's right cell edge in twips, the same in every row of one export (a
    // column without a width of its own measures its font for it).
    std::vector<std::string> cellEdges_;
    // The cells of the record being written.
    std::vector<ui::TFont> rowFonts_;
    std::vector<TColCellParamsEx> rowParams_;
};

// KVDBIF: the header and column list, the cells of every record, the end tag. No title,
// no footer.
class TDBGridExExportAsKVDBIF : public TDBGridExExport {
protected:
    void WritePrefix() override;
    void WriteSuffix() override;
    void WriteDataCell(TColumnEx* Column, TColCellParamsEx& CellParams) override;
};

// Exports the grid with a writer of the class, which is freed afterwards (also on failure).
template <typename TExport>
void WriteGridToExportStream(TCustomDBGridEx& Grid, rtl::TStream& Stream, bool IsExportAll)
{
    TExport exporter;
    exporter.DBGrid = &Grid;
    exporter.ExportToStream(Stream, IsExportAll);
}

// ---- readers

class TDBGridExImport {
public:
    virtual ~TDBGridExImport() = default;

    // The grid imported into (not owned).
    TCustomDBGridEx* DBGrid = nullptr;

    // Reads records into the selection's records and columns; with IsImportAll into every
    // record from the first, first visible column on. Without a selection the records from
    // the current one on are overwritten and the rest appended (when appending is
    // allowed); while a record is being inserted every record read is inserted there.
    virtual void ImportFromStream(rtl::TStream& Stream, bool IsImportAll);
    void ImportFromFile(const std::string& FileName, bool IsImportAll);

protected:
    virtual void ReadPrefix() {}
    virtual void ReadSuffix() {}
    // ReadValue for each listed column.
    virtual void ReadRecord(TColumnsExList& Columns);
    virtual void ReadValue(TColumnEx* Column);

    rtl::TStream& Stream() const { return *stream_; }
    // The columns being read into, while an import runs (from ReadPrefix on).
    const TColumnsExList& ImportColumns() const { return *columns_; }
    // Runs store; a failure asks "Error during insert value:" with Yes (go on), No (stop
    // the import silently) and All (go on and ask no more).
    template <typename Fn>
    void StoreValue(Fn&& store)
    {
        try {
            store();
        } catch (const rtl::EAbort&) {
            throw;
        } catch (const rtl::Exception& e) {
            valueFailed(e);
        }
    }
    // Puts the target's data set into edit state when it may be changed; whether it is
    // then editing or inserting.
    static bool EditTarget(db::TField& Target);

    bool EndOfData = false;

private:
    void valueFailed(const rtl::Exception& e);
    void addTheRest(TColumnsExList& columns, bool atEnd);

    rtl::TStream* stream_ = nullptr;
    const TColumnsExList* columns_ = nullptr;
    bool ignoreAllErrors_ = false;
};

// Tab-separated text: each line a record, each cell a column's text.
class TDBGridExImportAsText : public TDBGridExImport {
public:
    TDBGridExImportAsText();
    ~TDBGridExImportAsText() override;
    void ImportFromStream(rtl::TStream& Stream, bool IsImportAll) override;

protected:
    void ReadPrefix() override;
    void ReadRecord(TColumnsExList& Columns) override;
    // A lookup column finds the text in its lookup data set and takes the key found; a
    // key-list column takes the key of the text's pick-list line (none found: Null);
    // any other column takes the value the grid shows as the text (a display format, a
    // currency symbol), else the text as its field reads it.
    void ReadValue(TColumnEx* Column) override;

private:
    std::unique_ptr<TTextCellReader> reader_;
    std::string cellText_;
};

// KVDBIF: the header's columns in order, each cell's value into its column's field.
class TDBGridExImportAsKVDBIF : public TDBGridExImport {
public:
    TDBGridExImportAsKVDBIF();
    ~TDBGridExImportAsKVDBIF() override;
    void ImportFromStream(rtl::TStream& Stream, bool IsImportAll) override;

protected:
    // The header and the first value; a block whose day numbers for a date or time column
    // lie outside the calendar raises the format error first, as a broken block does.
    void ReadPrefix() override;
    void ReadRecord(TColumnsExList& Columns) override;
    // Tag 1 leaves the field as it is, tag 2 clears it; the next value is read in any case.
    void ReadValue(TColumnEx* Column) override;

private:
    std::unique_ptr<TKVDBIFCellReader> reader_;
};

// Imports into the grid with a reader of the class, which is freed afterwards (also on
// failure).
template <typename TImport>
void LoadGridFromImportStream(TCustomDBGridEx& Grid, rtl::TStream& Stream, bool IsImportAll)
{
    TImport importer;
    importer.DBGrid = &Grid;
    importer.ImportFromStream(Stream, IsImportAll);
}

// ---- clipboard actions

// Whether each action can run now: the grid's data is open and there is something to act
// on; cut and delete also need a grid and data set that may be changed, paste also
// KVDBIF or text on the clipboard.
bool CanGridCopy(TCustomDBGridEx& grid, bool ForWholeGrid);
bool CanGridCut(TCustomDBGridEx& grid, bool ForWholeGrid);
bool CanGridPaste(TCustomDBGridEx& grid, bool ForWholeGrid);
bool CanGridDelete(TCustomDBGridEx& grid, bool ForWholeGrid);

// The text, "Csv", "Rich Text Format" and "KVDBIF" exports on the clipboard, each block
// exactly the export's bytes (no closing 0 byte); a format whose export is empty is left
// out (the text always goes).
void GridCopyAction(TCustomDBGridEx& grid, bool ForWholeGrid);
// Copy, then delete.
void GridCutAction(TCustomDBGridEx& grid, bool ForWholeGrid);
// Imports the clipboard's KVDBIF block, else its text (one trailing 0 byte dropped).
void GridPasteAction(TCustomDBGridEx& grid, bool ForWholeGrid);
// Deletes the selected records, or clears the selected cells; asks first with
// dgConfirmDelete ("Delete record?", "Delete all selected records?", "Clear selected
// cells?"). Everything selected deletes every record without a question.
void GridDeleteAction(TCustomDBGridEx& grid, bool ForWholeGrid);

} // namespace grid
