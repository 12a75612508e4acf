#pragma once
// TDataSource joins a data set to its data-aware controls; each control holds a
// TDataLink on the data source and hears the data set's notices through the link's
// virtual operations. TFieldDataLink is a link bound to one field by name.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/db/DBTypes.h"
#include "platform/rtl/Component.h"

namespace db {

class TDataSource : public rtl::TComponent {
public:
    explicit TDataSource(rtl::TComponent* owner = nullptr) : rtl::TComponent(owner) {}
    ~TDataSource() override;

    TDataSet* GetDataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);
    TDataSetState State() const { return state_; }
    // Edit puts the data set into edit state only when AutoEdit is set (default).
    bool GetAutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool autoEdit) { autoEdit_ = autoEdit; }
    void Edit();

    const std::vector<TDataLink*>& Links() const { return links_; }

private:
    friend class TDataSet;
    friend class TDataLink;
    void dataEvent(TDataEvent event, std::intptr_t info);
    void addLink(TDataLink* link);
    void removeLink(TDataLink* link);

    TDataSet* dataSet_ = nullptr;
    TDataSetState state_ = dsInactive;
    bool autoEdit_ = true;
    std::vector<TDataLink*> links_;
};

// A control's connection to a data source. The link has its own window of
// BufferCount records inside the data set's window; ActiveRecord and RecordCount
// are counted in that window, and DataSetScrolled reports how far it moved.
class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* GetDataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* dataSource);
    TDataSet* DataSet() const;
    // Data source, data set and an open data set.
    bool Active() const { return active_; }
    // The data set edits or inserts and the link is not read-only.
    bool Editing() const { return editing_; }
    bool GetReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    bool GetDataSourceFixed() const { return dataSourceFixed_; }
    void SetDataSourceFixed(bool fixed) { dataSourceFixed_ = fixed; }
    bool GetVisualControl() const { return visualControl_; }
    void SetVisualControl(bool visual) { visualControl_ = visual; }

    int GetBufferCount() const { return bufferCount_; }
    void SetBufferCount(int count);
    int GetActiveRecord() const;
    // Makes the fields read another record of the link's window (restore it afterwards).
    void SetActiveRecord(int index);
    int RecordCount() const;
    bool Bof() const;
    bool Eof() const;
    int MoveBy(int distance);

    // Puts the data set into edit state through the data source (unless read-only);
    // returns Editing.
    bool Edit();
    // Asks this link's control for its pending value (UpdateData), guarded against re-entry.
    void UpdateRecord();

    // Called by the data source for each notice of the data set.
    virtual void DataEvent(TDataEvent event, std::intptr_t info);

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    // clang-format off
    virtual void DataSetScrolled(int distance) { (void)distance; DataSetChanged(); }
    // clang-format on
    virtual void EditingChanged() {}
    // The control showing Field takes the focus and sets Field to null to say so.
    virtual void FocusControl(TField*& field) { (void)field; }
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* field) { (void)field; }
    virtual void UpdateData() {}

    // Recomputes Active and Editing from the data source (notices on change).
    void UpdateState();

private:
    friend class TDataSource;
    friend class TDataSet;
    void updateRange();
    void setActive(bool active);
    void setEditing(bool editing);

    TDataSource* dataSource_ = nullptr;
    bool active_ = false;
    bool editing_ = false;
    bool readOnly_ = false;
    bool dataSourceFixed_ = false;
    bool visualControl_ = false;
    bool updating_ = false;
    int bufferCount_ = 1;
    int firstRecord_ = 0; // in the data set's window
};

// A link bound to the field named FieldName (re-resolved when the data set opens or
// its layout changes; a missing field raises "Field '%s' not found", prefixed with
// ControlName when one is set). Its events carry the link.
class TFieldDataLink : public TDataLink {
public:
    using TLinkEvent = rtl::Delegate<void(TFieldDataLink*)>;

    TField* Field() const { return field_; }
    const std::string& GetFieldName() const { return fieldName_; }
    void SetFieldName(std::string name);
    const std::string& GetControlName() const { return controlName_; }
    void SetControlName(std::string name) { controlName_ = std::move(name); }
    // The field can be changed through this link.
    bool CanModify() const;
    // The control's text differs from the field since the last data change.
    bool GetModified() const { return modified_; }
    void Modified() { modified_ = true; }
    // Drops the control's changes: the control is told the record changed.
    void Reset() { RecordChanged(nullptr); }
    // Editing and the field can be modified.
    bool FieldEditing() const { return fieldEditing_; }

    TLinkEvent OnDataChange, OnEditingChange, OnUpdateData, OnActiveChange;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    void updateField();
    void updateFieldEditing();

    TField* field_ = nullptr;
    std::string fieldName_;
    std::string controlName_;
    bool modified_ = false;
    bool fieldEditing_ = false;
};

} // namespace db
