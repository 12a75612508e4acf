#pragma once
// Shared pieces of the export, import and clipboard tests: the people grid with stored
// columns, selections made through the grid's selection, and exports and imports as
// byte strings.
#include <string>
#include <vector>

#include "GridFixture.h"
#include "controls/grid/DBGridExImpExp.h"
#include "controls/grid/DBGridExSelection.h"

namespace gridtest {

class ImpExpTest : public GridTest {
protected:
    void SetUp() override
    {
        GridTest::SetUp();
        Grid->Font().SetName("Arial");
        Grid->Font().SetSize(8);
    }

    // The grid bound with one stored column per field named.
    void ShowColumns(const std::vector<std::string>& fields)
    {
        for (const std::string& name : fields) AddColumn(name);
        Bind();
    }
    grid::TColumnEx* Col(int index) { return Grid->Columns().Items(index); }

    template <typename TExport>
    std::string Export(bool all = false)
    {
        rtl::TMemoryStream stream;
        grid::WriteGridToExportStream<TExport>(*Grid, stream, all);
        return stream.ToString();
    }
    template <typename TImport>
    void Import(const std::string& bytes, bool all = false)
    {
        rtl::TMemoryStream stream;
        stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
        stream.SetPosition(0);
        grid::LoadGridFromImportStream<TImport>(*Grid, stream, all);
    }

    db::TBookmark MarkOf(int recNo)
    {
        Data.SetRecNo(recNo);
        return Data.GetBookmark();
    }
    // Selects the records with these record numbers; the first record is current after.
    void SelectRecords(const std::vector<int>& recNos)
    {
        for (int recNo : recNos) {
            Data.SetRecNo(recNo);
            Grid->SelectedRows().SetCurrentRowSelected(true);
        }
        Data.First();
    }
    // A rectangle from one cell (data column, record number) to another.
    void SelectRect(int col1, int rec1, int col2, int rec2)
    {
        const db::TBookmark from = MarkOf(rec1);
        const db::TBookmark to = MarkOf(rec2);
        Data.First();
        Grid->Selection().Rect().Select(col1, from, false);
        Grid->Selection().Rect().Select(col2, to, true);
    }

    // A field's texts over the records, in the order shown.
    std::vector<std::string> Texts(const std::string& field)
    {
        std::vector<std::string> texts;
        const db::TBookmark current = Data.GetBookmark();
        for (Data.First(); !Data.Eof(); Data.Next()) texts.push_back(F(field)->GetAsString());
        if (!current.empty()) Data.GotoBookmark(current);
        return texts;
    }
};

} // namespace gridtest
