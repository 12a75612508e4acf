#include "controls/grid/DBGridExDataService.h"

#include "controls/grid/DBGridEx.h"
#include "controls/grid/DbUtilsEx.h"

namespace grid {

TDBGridExDataService& DBGridExDataService()
{
    static TDBGridExDataService service;
    return service;
}

void TDBGridExDataService::ApplyFilter(TCustomDBGridEx& Grid)
{
    if (OnApplyFilter) OnApplyFilter(&Grid);
    else DefaultApplyFilter(Grid);
}

void TDBGridExDataService::ApplySorting(TCustomDBGridEx& Grid)
{
    if (OnApplySorting) OnApplySorting(&Grid);
    else DefaultApplySorting(Grid);
}

void TDBGridExDataService::DefaultApplyFilter(TCustomDBGridEx& Grid)
{
    db::TDataSet* dataSet = Grid.DataLink().DataSet();
    if (TDatasetFeaturesEx* features = dataSet ? GetDatasetFeatures(dataSet) : nullptr)
        features->ApplyFilter(&Grid, dataSet, true);
}

void TDBGridExDataService::DefaultApplySorting(TCustomDBGridEx& Grid)
{
    db::TDataSet* dataSet = Grid.DataLink().DataSet();
    if (TDatasetFeaturesEx* features = dataSet ? GetDatasetFeatures(dataSet) : nullptr)
        features->ApplySorting(&Grid, dataSet, true);
}

} // namespace grid
