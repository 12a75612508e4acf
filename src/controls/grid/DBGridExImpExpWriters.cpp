// The grid's writers: the walk over the selection that they share, tab-separated text,
// CSV and KVDBIF.
#include <cstring>
#include <optional>

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DBGridExImpExp.h"
#include "controls/grid/DBGridExImpExpFormats.h"
#include "controls/grid/DBGridExImpExpWalks.h"
#include "platform/db/DataSetScopes.h"
#include "platform/rtl/ByteOrder.h"
#include "platform/rtl/SysUtils.h"

namespace grid {

char CSVSeparator = ';';

// ---- the walk

void TDBGridExExport::ExportToFile(const std::string& FileName, bool IsExportAll)
{
    rtl::TFileStream file(FileName, rtl::fmCreate);
    ExportToStream(file, IsExportAll);
}

void TDBGridExExport::ExportToStream(rtl::TStream& Stream, bool IsExportAll)
{
    stream_ = &Stream;
    TCustomDBGridEx& grid = *DBGrid;
    const TDBGridExSelectionType kind = IsExportAll ? gstAll : grid.Selection().SelectionType();
    if (kind == gstNon) return;

    TColumnsExList columns;
    SelectionColumns(grid, kind, columns);
    footerValues_.assign(static_cast<std::size_t>(grid.GetFooterRowCount() * columns.Count()), TDBSumAmount());
    prepareTotals(columns);
    columns_ = &columns;

    WritePrefix();
    if (grid.GetOptions().Contains(dgTitles)) WriteTitle(columns);
    walkRecords(kind, columns);
    // The footers are written with the user's record current again, as the grid shows
    // them (a field value footer shows that record).
    for (int row = 0; row < grid.GetFooterRowCount(); ++row) WriteFooter(columns, row);
    WriteSuffix();
}

void TDBGridExExport::walkRecords(TDBGridExSelectionType kind, TColumnsExList& columns)
{
    TCustomDBGridEx& grid = *DBGrid;
    db::TDataSet* dataSet = grid.DataLink().DataSet();
    if (!dataSet || !grid.DataLink().Active()) return;
    TCustomDBGridEx::TRecordWalk walk(grid, *dataSet, false);
    ForEachSelectedRecord(grid, *dataSet, kind, [&] {
        writeRecordAndSum(columns);
        return true;
    });
}

void TDBGridExExport::prepareTotals(const TColumnsExList& columns)
{
    totals_.clear();
    const db::TDataSet* dataSet = DBGrid->DataLink().DataSet();
    for (int row = 0; row < DBGrid->GetFooterRowCount(); ++row) {
        for (int c = 0; c < columns.Count(); ++c) {
            TColumnEx* column = columns.Items(c);
            const TColumnFooterEx* footer = column->FooterForRow(row);
            const int index = c + row * columns.Count();
            if (footer->GetValueType() == fvtCount) {
                totals_.push_back({index, nullptr});
            } else if (footer->GetValueType() == fvtSum && dataSet) {
                const std::string& own = footer->GetFieldName();
                const db::TField* field = dataSet->FindField(own.empty() ? column->GetFieldName() : own);
                if (field && IsSummedField(*field)) totals_.push_back({index, field});
            }
        }
    }
}

void TDBGridExExport::writeRecordAndSum(TColumnsExList& columns)
{
    WriteRecord(columns);
    static const TDBSumAmount one = TDBSumAmount::FromInteger(1);
    for (const TTotal& total : totals_) {
        TDBSumAmount& value = footerValues_[static_cast<std::size_t>(total.Index)];
        if (!total.Field) value += one;
        else if (!total.Field->IsNull()) value += FieldAmount(*total.Field);
    }
}

void TDBGridExExport::FillCellParams(TColumnEx& Column, ui::TFont& Font, TColCellParamsEx& Params)
{
    Params.Font = &Font;
    Column.FillColCellParams(Params);
    ui::TColor background = Params.Background;
    TCustomDBGridEx& grid = *DBGrid;
    if (grid.OnGetCellParams) grid.OnGetCellParams(&grid, &Column, Font, background, Params.State);
    Column.GetColCellParams(false, Params);
    Params.Background = background;
}

void TDBGridExExport::WriteTitle(TColumnsExList&)
{
}

void TDBGridExExport::WriteDataCell(TColumnEx*, TColCellParamsEx&)
{
}

void TDBGridExExport::WriteFooterCell(int, int, TColumnEx*, ui::TFont&, ui::TColor, rtl::TAlignment,
                                      const std::string&)
{
}

void TDBGridExExport::WriteRecord(TColumnsExList& Columns)
{
    for (TColumnEx* column : Columns) {
        FillCellParams(*column, cellFont_, cellParams_);
        WriteDataCell(column, cellParams_);
    }
}

std::string TDBGridExExport::FooterTotalText(const TColumnFooterEx& Footer, TColumnEx& Column, int Position,
                                             int FooterNo) const
{
    const TDBSumAmount& value = footerValues_[static_cast<std::size_t>(Position + FooterNo * columns_->Count())];
    if (Footer.GetValueType() == fvtCount) return rtl::FloatToStr(value.ToDouble());
    const db::TDataSet* dataSet = DBGrid->DataLink().DataSet();
    const std::string& own = Footer.GetFieldName();
    const db::TField* field = dataSet ? dataSet->FindField(own.empty() ? Column.GetFieldName() : own) : nullptr;
    if (!field) return {};
    // By rule, the footer's own types but for large integers, which, like every other
    // type, export an empty cell (the footer shows "0" for them, SumAmountText).
    switch (field->DataType()) {
    case db::ftSmallint:
    case db::ftInteger:
    case db::ftWord:
    case db::ftAutoInc:
    case db::ftFloat:
    case db::ftCurrency:
    case db::ftBCD:
    case db::ftFMTBcd: return SumAmountText(std::string(), *field, value);
    default: return {};
    }
}

void TDBGridExExport::FillFooterCell(TColumnEx& Column, int Position, int FooterNo, TFooterCell& Cell)
{
    TCustomDBGridEx& grid = *DBGrid;
    TColumnFooterEx& footer = *Column.FooterForRow(FooterNo);
    Cell.Font.Assign(footer.GetFont());
    Cell.Background = footer.GetColor();
    Cell.Alignment = footer.GetAlignment();
    const TFooterValueType kind = footer.GetValueType();
    Cell.Text = kind == fvtSum || kind == fvtCount ? FooterTotalText(footer, Column, Position, FooterNo)
                                                   : grid.GetFooterValue(FooterNo, &Column);
    grid.GetFooterParams(Column.GetIndex(), FooterNo, &Column, Cell.Font, Cell.Background, Cell.Alignment, 0,
                         Cell.Text);
}

void TDBGridExExport::WriteFooter(TColumnsExList& Columns, int FooterNo)
{
    TFooterCell cell;
    for (int c = 0; c < Columns.Count(); ++c) {
        TColumnEx* column = Columns.Items(c);
        FillFooterCell(*column, c, FooterNo, cell);
        WriteFooterCell(c, FooterNo, column, cell.Font, cell.Background, cell.Alignment, cell.Text);
    }
}

// ---- text

void TDBGridExExportAsText::ExportToStream(rtl::TStream& Stream, bool IsExportAll)
{
    FirstRec = true;
    TDBGridExExport::ExportToStream(Stream, IsExportAll);
}

void TDBGridExExportAsText::CheckFirstRec()
{
    if (!FirstRec) Write("\r\n");
    FirstRec = false;
}

void TDBGridExExportAsText::CheckFirstCell()
{
    if (!FirstCell) Write('\t');
    FirstCell = false;
}

void TDBGridExExportAsText::WriteTitle(TColumnsExList& Columns)
{
    CheckFirstRec();
    FirstCell = true;
    for (TColumnEx* column : Columns) {
        CheckFirstCell();
        Write(CellText(column->Title()->GetCaption()));
    }
}

void TDBGridExExportAsText::WriteRecord(TColumnsExList& Columns)
{
    CheckFirstRec();
    FirstCell = true;
    TDBGridExExport::WriteRecord(Columns);
}

void TDBGridExExportAsText::WriteDataCell(TColumnEx*, TColCellParamsEx& CellParams)
{
    CheckFirstCell();
    Write(CellText(CellParams.Text));
}

void TDBGridExExportAsText::WriteFooter(TColumnsExList& Columns, int FooterNo)
{
    CheckFirstRec();
    FirstCell = true;
    TDBGridExExport::WriteFooter(Columns, FooterNo);
}

void TDBGridExExportAsText::WriteFooterCell(int, int, TColumnEx*, ui::TFont&, ui::TColor, rtl::TAlignment,
                                            const std::string& Text)
{
    CheckFirstCell();
    Write(CellText(Text));
}

// ---- CSV

TDBGridExExportAsCSV::TDBGridExExportAsCSV() : Separator(CSVSeparator)
{
}

void TDBGridExExportAsCSV::CheckFirstCell()
{
    if (!FirstCell) Write(Separator);
    FirstCell = false;
}

std::string TDBGridExExportAsCSV::CellText(const std::string& Text) const
{
    return rtl::AnsiQuotedStr(Text, '"');
}

// ---- KVDBIF

namespace {

void PutInt32(std::string& out, std::int32_t value)
{
    std::uint8_t bytes[4];
    rtl::LittleEndianWriter()(bytes, value);
    out.append(reinterpret_cast<const char*>(bytes), 4);
}

void PutDouble(std::string& out, double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    std::uint8_t bytes[8];
    rtl::LittleEndianWriter()(bytes, bits);
    out.append(reinterpret_cast<const char*>(bytes), 8);
}

void PutText(std::string& out, kvdbif::TCellTag tag, const std::string& text)
{
    out += static_cast<char>(tag);
    PutInt32(out, static_cast<std::int32_t>(text.size()));
    out += text;
}

// The cell of a field's value in the current record.
void PutField(std::string& out, const db::TField& field)
{
    if (field.IsNull()) {
        out += static_cast<char>(kvdbif::ctNull);
        return;
    }
    // By rule, whole numbers of up to 32 bits as integer cells; large integers, which
    // an integer cell cannot hold, as text; fractions, BCD, dates and times as doubles.
    switch (field.DataType()) {
    case db::ftSmallint:
    case db::ftInteger:
    case db::ftWord:
    case db::ftAutoInc:
        out += static_cast<char>(kvdbif::ctInteger);
        PutInt32(out, field.GetAsInteger());
        return;
    case db::ftFloat:
    case db::ftCurrency:
    case db::ftBCD:
    case db::ftDate:
    case db::ftTime:
    case db::ftDateTime:
    case db::ftTimeStamp:
    case db::ftFMTBcd:
        out += static_cast<char>(kvdbif::ctFloat);
        PutDouble(out, field.GetAsFloat());
        return;
    case db::ftString:
    case db::ftBoolean:
    case db::ftMemo:
    case db::ftFixedChar:
    case db::ftLargeint:
    case db::ftGuid: PutText(out, kvdbif::ctText, field.GetAsString()); return;
    case db::ftBlob:
    case db::ftFmtMemo:
    case db::ftWideString: PutText(out, kvdbif::ctOther, field.GetAsString()); return;
    case db::ftUnknown: break;
    }
    out += static_cast<char>(kvdbif::ctNoValue);
}

} // namespace

void TDBGridExExportAsKVDBIF::WritePrefix()
{
    const TColumnsExList& columns = ExportColumns();
    std::string header(kvdbif::Signature, sizeof kvdbif::Signature);
    header += static_cast<char>(kvdbif::Version);
    PutInt32(header, columns.Count());
    // Each column's visible flag and an empty name.
    for (const TColumnEx* column : columns) {
        header += static_cast<char>(column->GetVisible() ? 1 : 0);
        header += '\0';
    }
    Write(header);
}

void TDBGridExExportAsKVDBIF::WriteSuffix()
{
    Write(static_cast<char>(kvdbif::ctEnd));
}

void TDBGridExExportAsKVDBIF::WriteDataCell(TColumnEx* Column, TColCellParamsEx&)
{
    std::string cell;
    // A lookup field's cell is its key, which reads back into the key field.
    if (const db::TField* field = CellValueField(*Column)) PutField(cell, *field);
    else cell += static_cast<char>(kvdbif::ctNoValue);
    Write(cell);
}

} // namespace grid
