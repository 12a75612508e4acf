#pragma once
// The grid's link to its data source: it passes the data set's notices to the grid and
// keeps the map from the grid's data columns to the data set's fields.
#include <string>
#include <vector>

#include "platform/db/DataSource.h"

namespace grid {

class TCustomDBGridEx;

class TGridDataLinkEx : public db::TDataLink {
public:
    explicit TGridDataLinkEx(TCustomDBGridEx& grid);

    TCustomDBGridEx& Grid() const { return grid_; }

    // Appends the field of that name to the map: with a sparse map a missing field is
    // kept as -1, else the data set's "Field '%s' not found" is raised.
    bool AddMapping(const std::string& fieldName);
    void ClearMapping();
    // The field of a map entry; none outside the map and for a missing field.
    db::TField* Fields(int index) const;
    int FieldCount() const { return static_cast<int>(fieldMap_.size()); }
    // The field index of a map entry in the data set's Fields; -1 outside the map.
    int FieldIndex(int index) const;
    // The data set makes its own fields (true without a data set, and for a closed one
    // without fields) and, for a sparse map, every name was found.
    bool DefaultFields() const;
    bool GetSparseMap() const { return sparseMap_; }
    void SetSparseMap(bool value) { sparseMap_ = value; }

    // The current record was changed through the grid.
    void Modified() { modified_ = true; }
    bool IsModified() const { return modified_; }
    // Drops the grid's change: a modified record is shown again as the data set holds
    // it, an unmodified one is cancelled.
    void Reset();

    // Writes the grid's pending edit to the field, once: a notice raised while it writes
    // does not write again. The change stays pending when the write fails.
    void UpdateData() override;

    // Entries the map can hold.
    static constexpr int MaxMapSize = 0x0FFFFFFF;

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int distance) override;
    void EditingChanged() override;
    void FocusControl(db::TField*& field) override;
    void LayoutChanged() override;
    void RecordChanged(db::TField* field) override;

private:
    TCustomDBGridEx& grid_;
    std::vector<int> fieldMap_;
    bool inUpdateData_ = false;
    bool modified_ = false;
    bool sparseMap_ = false;
};

} // namespace grid
