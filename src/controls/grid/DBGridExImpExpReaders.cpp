// The grid's readers: the walk that puts records read from a stream into the selection's
// records, tab-separated text and KVDBIF.
#include <optional>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExImpExp.h"
#include "controls/grid/DBGridExImpExpFormats.h"
#include "controls/grid/DBGridExImpExpWalks.h"
#include "controls/grid/GridLibConsts.h"
#include "platform/db/DataSetScopes.h"
#include "platform/db/FieldTypes.h"
#include "platform/rtl/Abort.h"
#include "platform/ui/Dialogs.h"

namespace grid {

// ---- the walk

void TDBGridExImport::ImportFromFile(const std::string& FileName, bool IsImportAll)
{
    rtl::TFileStream file(FileName, rtl::fmOpenRead);
    ImportFromStream(file, IsImportAll);
}

void TDBGridExImport::ReadRecord(TColumnsExList& Columns)
{
    for (TColumnEx* column : Columns) ReadValue(column);
}

void TDBGridExImport::ReadValue(TColumnEx*)
{
}

bool TDBGridExImport::EditTarget(db::TField& Target)
{
    db::TDataSet* dataSet = Target.DataSet();
    if (!dataSet || !dataSet->CanModify()) return false;
    dataSet->Edit();
    return dataSet->State() == db::dsEdit || dataSet->State() == db::dsInsert;
}

void TDBGridExImport::valueFailed(const rtl::Exception& e)
{
    if (ignoreAllErrors_) return;
    const std::string question =
        std::string(msg::ErrorDuringInsertValue) + "\n" + e.Message + "\n\n" + msg::IgnoreError;
    switch (ui::MessageDlg(question, ui::mtError, ui::mbYes | ui::mbNo | ui::mbAll)) {
    case ui::mrYes: return;
    case ui::mrAll: ignoreAllErrors_ = true; return;
    default: rtl::Abort();
    }
}

void TDBGridExImport::addTheRest(TColumnsExList& columns, bool atEnd)
{
    db::TDataSet& dataSet = *DBGrid->DataLink().DataSet();
    // Records are added only where the grid and its data set may be changed.
    if (DBGrid->GetReadOnly() || !dataSet.CanModify()) return;
    while (!EndOfData) {
        if (atEnd) dataSet.Append();
        else dataSet.Insert();
        ReadRecord(columns);
        dataSet.Post();
        if (!atEnd) dataSet.Next();
    }
}

void TDBGridExImport::ImportFromStream(rtl::TStream& Stream, bool IsImportAll)
{
    stream_ = &Stream;
    EndOfData = false;
    ignoreAllErrors_ = false;
    TCustomDBGridEx& grid = *DBGrid;
    db::TDataSet* dataSet = grid.DataLink().DataSet();
    if (!dataSet || !grid.DataLink().Active()) return;
    if (IsImportAll) {
        grid.Selection().Clear();
        dataSet->First();
        if (grid.VisibleColumns().Count() > 0) grid.SetSelectedIndex(grid.VisibleColumns().Items(0)->GetIndex());
    }
    const bool wasAtEnd = dataSet->Eof();
    const bool inserting = dataSet->State() == db::dsInsert;
    const db::TBookmark current = inserting ? db::TBookmark() : dataSet->GetBookmark();
    // While inserting, the records read are inserted there and the last stays current.
    std::optional<TCustomDBGridEx::TRecordWalk> walk;
    std::optional<db::TDisableControlsScope> quiet;
    if (inserting) quiet.emplace(*dataSet);
    else walk.emplace(grid, *dataSet, false);

    const TDBGridExSelectionType kind = grid.Selection().SelectionType();
    TColumnsExList columns;
    // Without a selection the columns from the current one on.
    if (kind == gstNon) VisibleColumnsBetween(grid, grid.SelectedIndex(), grid.Columns().Count() - 1, columns);
    else SelectionColumns(grid, kind, columns);
    columns_ = &columns;
    try {
        ReadPrefix();
        if (inserting) {
            addTheRest(columns, wasAtEnd);
        } else if (kind == gstNon) {
            // From the current record itself, also when the data set stands at its end
            // after a move to the last record: the first record read overwrites it.
            if (!current.empty() && dataSet->BookmarkValid(current)) dataSet->GotoBookmark(current);
            while (!dataSet->Eof() && !EndOfData) {
                ReadRecord(columns);
                dataSet->Next();
            }
            // The walk has reached the end of the data: what is left is appended there.
            if (grid.GetAllowedOperations().Contains(alopAppendEx)) addTheRest(columns, true);
        } else if (!EndOfData) {
            ForEachSelectedRecord(grid, *dataSet, kind, [&] {
                ReadRecord(columns);
                return !EndOfData;
            });
        }
        // The last record changed is posted, not left in edit state.
        if (!inserting && dataSet->State() == db::dsEdit) dataSet->Post();
        ReadSuffix();
    } catch (...) {
        // The record the failure came in keeps nothing of it; the records before it stay.
        if (dataSet->State() == db::dsEdit || dataSet->State() == db::dsInsert) dataSet->Cancel();
        throw;
    }
}

// ---- text

TDBGridExImportAsText::TDBGridExImportAsText() = default;
TDBGridExImportAsText::~TDBGridExImportAsText() = default;

void TDBGridExImportAsText::ImportFromStream(rtl::TStream& Stream, bool IsImportAll)
{
    reader_ = std::make_unique<TTextCellReader>(Stream);
    TDBGridExImport::ImportFromStream(Stream, IsImportAll);
}

void TDBGridExImportAsText::ReadPrefix()
{
    reader_->CheckState();
    EndOfData = reader_->EndOfData();
}

void TDBGridExImportAsText::ReadRecord(TColumnsExList& Columns)
{
    reader_->ReadRecord([&](int position, const std::string& text) {
        if (position >= Columns.Count()) return;
        cellText_ = text;
        ReadValue(Columns.Items(position));
    });
    EndOfData = reader_->EndOfData();
}

void TDBGridExImportAsText::ReadValue(TColumnEx* Column)
{
    if (!Column || !Column->CanModify(false)) return;
    db::TField* field = Column->Field();
    if (field->Lookup()) {
        const std::string& keys = field->GetKeyFields();
        db::TDataSet* lookup = field->GetLookupDataSet();
        if (keys.empty() || !lookup) return;
        db::TDataSet& dataSet = *field->DataSet();
        StoreValue([&] {
            if (!EditTarget(*dataSet.GetFieldList(keys).front())) return;
            // An empty cell is no key, not the first record of the lookup.
            if (cellText_.empty()) {
                for (db::TField* key : dataSet.GetFieldList(keys)) key->Clear();
            } else if (lookup->Locate(field->GetLookupResultField(), rtl::Variant(cellText_),
                                      db::loCaseInsensitive | db::loPartialKey)) {
                dataSet.SetFieldValues(keys, lookup->GetFieldValues(field->GetLookupKeyFields()));
            }
        });
        return;
    }
    StoreValue([&] {
        if (!EditTarget(*field)) return;
        if (Column->KeyListCount() == 0) {
            // What the grid itself shows for a value reads back as that value.
            rtl::Variant shown;
            if (Column->FormattedTextToValue(cellText_, shown)) field->SetValue(shown);
            else field->SetText(cellText_);
            return;
        }
        // A pick-list line without a key is no key either.
        const int index = Column->GetPickList().IndexOf(cellText_);
        if (index < 0 || index >= Column->KeyListCount()) field->Clear();
        else field->SetText(Column->GetKeyList()[index]);
    });
}

// ---- KVDBIF

TDBGridExImportAsKVDBIF::TDBGridExImportAsKVDBIF() = default;
TDBGridExImportAsKVDBIF::~TDBGridExImportAsKVDBIF() = default;

void TDBGridExImportAsKVDBIF::ImportFromStream(rtl::TStream& Stream, bool IsImportAll)
{
    // A broken block changes nothing.
    TKVDBIFCellReader::Check(Stream);
    reader_ = std::make_unique<TKVDBIFCellReader>(Stream);
    TDBGridExImport::ImportFromStream(Stream, IsImportAll);
}

void TDBGridExImportAsKVDBIF::ReadPrefix()
{
    const TColumnsExList& columns = ImportColumns();
    TKVDBIFCellReader::Check(Stream(), [&](int position, const rtl::Variant& value) {
        if (!value.IsNumeric() || position >= columns.Count()) return true;
        db::TField* target = CellValueField(*columns.Items(position));
        return !dynamic_cast<db::TDateTimeField*>(target) || rtl::IsValidDateTime(value.AsFloat());
    });
    reader_->ReadPrefix();
    EndOfData = reader_->EndOfData();
}

void TDBGridExImportAsKVDBIF::ReadRecord(TColumnsExList& Columns)
{
    for (int i = 0; i < reader_->ColumnCount(); ++i) ReadValue(i < Columns.Count() ? Columns.Items(i) : nullptr);
}

void TDBGridExImportAsKVDBIF::ReadValue(TColumnEx* Column)
{
    const rtl::Variant& value = reader_->Value();
    if (!value.IsEmpty() && Column && Column->CanModify(false)) {
        if (db::TField* target = CellValueField(*Column)) {
            StoreValue([&] {
                if (EditTarget(*target)) target->SetValue(value);
            });
        }
    }
    reader_->ReadValue();
    EndOfData = reader_->EndOfData();
}

} // namespace grid
