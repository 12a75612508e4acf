#pragma once
// The program-wide service through which grids have their filter and their sort
// markers applied to the data set: a handler when one is set, else the feature object
// registered for the data set's class, else nothing.
#include "controls/grid/DBGridExTypes.h"
#include "platform/rtl/Delegate.h"
#include "platform/rtl/Persistent.h"

namespace grid {

class TDBGridExDataService : public rtl::TPersistent {
public:
    using TGridEvent = rtl::Delegate<void(TCustomDBGridEx* Grid)>;

    // OnApplyFilter when set, else DefaultApplyFilter.
    virtual void ApplyFilter(TCustomDBGridEx& Grid);
    // OnApplySorting when set, else DefaultApplySorting.
    virtual void ApplySorting(TCustomDBGridEx& Grid);
    // The data-set feature object of the grid's data set applies them; without a data set
    // or a registered feature object nothing happens.
    virtual void DefaultApplyFilter(TCustomDBGridEx& Grid);
    virtual void DefaultApplySorting(TCustomDBGridEx& Grid);

    TGridEvent OnApplySorting;
    TGridEvent OnApplyFilter;
};

TDBGridExDataService& DBGridExDataService();

} // namespace grid
