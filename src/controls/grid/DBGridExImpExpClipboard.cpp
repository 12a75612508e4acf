// The grid's clipboard actions: copy, cut, paste and delete of the selection.
#include <optional>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExImpExp.h"
#include "controls/grid/DBGridExImpExpWalks.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/db/DataSetScopes.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/Dialogs.h"

namespace grid {

namespace {

ui::TClipboardFormat CsvFormat()
{
    static const ui::TClipboardFormat format = ui::RegisterClipboardFormat("Csv");
    return format;
}

ui::TClipboardFormat RtfFormat()
{
    static const ui::TClipboardFormat format = ui::RegisterClipboardFormat("Rich Text Format");
    return format;
}

ui::TClipboardFormat KVDBIFFormat()
{
    static const ui::TClipboardFormat format = ui::RegisterClipboardFormat("KVDBIF");
    return format;
}

// The clipboard open for one action: what is put on it is published together at the end,
// also when the action fails.
class TClipboardOpen {
public:
    TClipboardOpen() : clipboard_(ui::Clipboard()) { clipboard_.Open(); }
    ~TClipboardOpen() { clipboard_.Close(); }
    TClipboardOpen(const TClipboardOpen&) = delete;
    TClipboardOpen& operator=(const TClipboardOpen&) = delete;
    ui::TClipboard& operator*() const { return clipboard_; }

private:
    ui::TClipboard& clipboard_;
};

TDBGridExSelectionType KindOf(const TCustomDBGridEx& grid, bool forWholeGrid)
{
    return forWholeGrid ? gstAll : grid.Selection().SelectionType();
}

bool DataOpen(const TCustomDBGridEx& grid)
{
    return grid.DataLink().DataSet() && grid.DataLink().Active();
}

bool DataEditable(const TCustomDBGridEx& grid)
{
    return DataOpen(grid) && !grid.GetReadOnly() && grid.DataLink().DataSet()->CanModify();
}

// An export under a named format, none when the export wrote nothing. No 0 byte closes a
// block: its length is its end, and readers on this system would take a 0 as data.
template <typename TExport>
void PutBlock(TCustomDBGridEx& grid, bool forWholeGrid, ui::TClipboardFormat format)
{
    rtl::TMemoryStream stream;
    WriteGridToExportStream<TExport>(grid, stream, forWholeGrid);
    if (stream.GetSize() == 0) return;
    ui::Clipboard().SetAsBytes(format, stream.ToString());
}

// Clears the cells of the columns in the current record that may be changed: a lookup
// column's key fields.
void ClearCells(TColumnsExList& columns)
{
    for (TColumnEx* column : columns) {
        if (!column->CanModify(false)) continue;
        db::TField* field = column->Field();
        db::TDataSet& dataSet = *field->DataSet();
        const std::vector<db::TField*> fields =
            field->Lookup() ? dataSet.GetFieldList(field->GetKeyFields()) : std::vector<db::TField*>{field};
        if (!dataSet.CanModify()) continue;
        dataSet.Edit();
        if (dataSet.State() != db::dsEdit && dataSet.State() != db::dsInsert) continue;
        for (db::TField* target : fields) target->Clear();
    }
}

// Clears the selected cells of each record the selection names; the last record cleared
// is posted and the current record is current again.
void ClearSelectedCells(TCustomDBGridEx& grid, db::TDataSet& dataSet, TDBGridExSelectionType kind)
{
    TColumnsExList columns;
    SelectionColumns(grid, kind, columns);
    TCustomDBGridEx::TRecordWalk keep(grid, dataSet, false);
    ForEachSelectedRecord(grid, dataSet, kind, [&] {
        ClearCells(columns);
        return true;
    });
    if (dataSet.State() == db::dsEdit) dataSet.Post();
}

} // namespace

bool CanGridCopy(TCustomDBGridEx& grid, bool ForWholeGrid)
{
    return DataOpen(grid) && KindOf(grid, ForWholeGrid) != gstNon;
}

bool CanGridDelete(TCustomDBGridEx& grid, bool ForWholeGrid)
{
    if (!DataEditable(grid)) return false;
    switch (KindOf(grid, ForWholeGrid)) {
    case gstNon: return false;
    case gstRecordBookmarks:
    case gstAll: return grid.GetAllowedOperations().Contains(alopDeleteEx);
    case gstRectangle:
    case gstColumns: return grid.GetAllowedOperations().Contains(alopUpdateEx);
    }
    return false;
}

bool CanGridCut(TCustomDBGridEx& grid, bool ForWholeGrid)
{
    return CanGridCopy(grid, ForWholeGrid) && CanGridDelete(grid, ForWholeGrid);
}

bool CanGridPaste(TCustomDBGridEx& grid, bool)
{
    if (!DataEditable(grid)) return false;
    const ui::TClipboard& clipboard = ui::Clipboard();
    return clipboard.HasFormat(KVDBIFFormat()) || clipboard.HasFormat(ui::CF_TEXT);
}

void GridCopyAction(TCustomDBGridEx& grid, bool ForWholeGrid)
{
    TClipboardOpen clipboard;
    std::optional<db::TDisableControlsScope> quiet;
    if (db::TDataSet* dataSet = grid.DataLink().DataSet()) quiet.emplace(*dataSet);
    // The text goes even when it is empty.
    rtl::TMemoryStream text;
    WriteGridToExportStream<TDBGridExExportAsText>(grid, text, ForWholeGrid);
    (*clipboard).SetAsText(text.ToString());
    PutBlock<TDBGridExExportAsCSV>(grid, ForWholeGrid, CsvFormat());
    PutBlock<TDBGridExExportAsRTF>(grid, ForWholeGrid, RtfFormat());
    // Nothing selected puts no KVDBIF block, which paste would prefer to the text.
    PutBlock<TDBGridExExportAsKVDBIF>(grid, ForWholeGrid, KVDBIFFormat());
}

void GridCutAction(TCustomDBGridEx& grid, bool ForWholeGrid)
{
    GridCopyAction(grid, ForWholeGrid);
    GridDeleteAction(grid, ForWholeGrid);
}

void GridPasteAction(TCustomDBGridEx& grid, bool ForWholeGrid)
{
    TClipboardOpen clipboard;
    rtl::TMemoryStream stream;
    if ((*clipboard).HasFormat(KVDBIFFormat())) {
        const std::string bytes = (*clipboard).GetAsBytes(KVDBIFFormat());
        stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
        stream.SetPosition(0);
        LoadGridFromImportStream<TDBGridExImportAsKVDBIF>(grid, stream, ForWholeGrid);
    } else if ((*clipboard).HasFormat(ui::CF_TEXT)) {
        std::string text = (*clipboard).AsText();
        // A text block that ends in a 0 byte (as some programs copy one) ends there.
        if (!text.empty() && text.back() == '\0') text.pop_back();
        stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
        stream.SetPosition(0);
        LoadGridFromImportStream<TDBGridExImportAsText>(grid, stream, ForWholeGrid);
    }
}

void GridDeleteAction(TCustomDBGridEx& grid, bool ForWholeGrid)
{
    TDBGridExSelection& selection = grid.Selection();
    const TDBGridExSelectionType kind = KindOf(grid, ForWholeGrid);
    db::TDataSet* dataSet = grid.DataLink().DataSet();
    if (kind == gstNon || !grid.GetDataSource() || !dataSet) return;
    if (grid.GetOptions().Contains(dgConfirmDelete)) {
        const char* question = nullptr;
        if (kind == gstRecordBookmarks)
            question = selection.Rows().Count() > 1 ? msg::DeleteSelectedRecordsQuestion : msg::DeleteRecordQuestion;
        else if (kind == gstRectangle)
            question = msg::ClearSelectedCells;
        if (question && ui::MessageDlg(question, ui::mtConfirmation, ui::mbOKCancel) != ui::mrOk) return;
    }
    switch (kind) {
    case gstRecordBookmarks:
        // From the first: the record left current is the one after the last deleted.
        selection.Rows().DeleteInListOrder();
        selection.Clear();
        break;
    case gstRectangle:
    case gstColumns: ClearSelectedCells(grid, *dataSet, kind); break;
    case gstAll: {
        db::TDisableControlsScope quiet(*dataSet);
        dataSet->First();
        // A delete that leaves as many records as before (refused quietly) ends the loop.
        while (!dataSet->IsEmpty()) {
            const int before = dataSet->RecordCount();
            dataSet->Delete();
            if (dataSet->RecordCount() >= before) break;
        }
        break;
    }
    case gstNon: break;
    }
}

} // namespace grid
