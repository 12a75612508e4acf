#pragma once
// A grid test whose records the test names: IDs from 1, amounts of ID × 1.5.
#include <string>
#include <vector>

#include "GridFixture.h"

namespace gridtest {

class GridRecordsTest : public GridTest {
protected:
    // The records get these names, the first current.
    void SetNames(const std::vector<std::string>& names)
    {
        while (!Data.IsEmpty()) Data.Delete();
        int id = 0;
        for (const std::string& name : names) {
            ++id;
            AddRow(id, name, id * 1.5, 1);
        }
        Data.First();
    }
    // "Row 1" ... "Row count".
    static std::vector<std::string> Numbered(int count)
    {
        std::vector<std::string> names;
        for (int i = 1; i <= count; ++i) names.push_back("Row " + std::to_string(i));
        return names;
    }
    std::string Name() { return F("NAME")->GetAsString(); }
};

} // namespace gridtest
