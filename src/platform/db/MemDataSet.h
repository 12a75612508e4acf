#pragma once
// TMemDataSet: a data set whose rows live only in memory, for lookups, tests and
// anything that needs editable rows without a database.
//
// Columns come from FieldDefs or, when none are defined, from the persistent data
// fields added in code. Open starts empty; the rows go with Close. Bookmarks stay
// valid while their record exists and order records as they were first posted.
#include "platform/db/DataSet.h"

namespace db {

class TMemDataSet : public TDataSet {
public:
    using TDataSet::TDataSet;

    bool GetReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

protected:
    TRecordProvider* InternalOpen() override;
    bool GetCanModify() const override { return !readOnly_; }

private:
    bool readOnly_ = false;
    bool defsFromFields_ = false; // FieldDefs were made from the fields at the last Open
};

} // namespace db
