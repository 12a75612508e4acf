// A grid's footers over a query of log records, as the log view shows them, against the
// engine's own totals of the same records: SELECT SUM(...), COUNT(*) and the average.
#include <cstdint>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "controls/grid/DBGridEx.h"
#include "platform/db/DataSource.h"
#include "platform/fb/FbTestDatabase.h"
#include "platform/fb/IBQuery.h"
#include "platform/fb/IBSQL.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/UiTestSupport.h"
#include "support/TempDir.h"

namespace {

using namespace grid;

constexpr int kRecords = 3000;

class QuerySums : public uitest::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        // DT with three decimals (exact at the footers' four), units 0 to 2, codes 1 to 170.
        fb::TIBSQL fill(&c.db);
        fill.SetParamCheck(false);
        fill.SetSQL("execute block as declare i integer = 0; begin "
                    "while (i < "
                    + std::to_string(kRecords) + ") do begin "
                                                 "execute procedure ADD_TO_LOG(45000 + :i * 7 / 1000.0, mod(:i, 3), 'payload', mod(:i * 37, 170) + 1);"
                                                 " i = i + 1; end end");
        fill.ExecQuery();
        c.tr.CommitRetaining();

        query.SetDatabase(&c.db);
        query.SetSQL("select * from get_log");
        source.SetDataSet(&query);
        grid = std::make_unique<TDBGridEx>();
        grid->SetDataSource(&source);
        codes = Footer("DATACODE", fvtSum);
        times = Footer("DT", fvtSum);
        averageTime = Footer("DT", fvtAvg);
        units = Footer("DEVICEID", fvtAvg);
        count = Footer("ID", fvtCount);
        grid->SumList().SetActive(true);
        query.Open();
    }

    TColumnEx* Footer(const std::string& fieldName, TFooterValueType valueType)
    {
        TColumnEx* column = grid->Columns().Add();
        column->SetFieldName(fieldName);
        column->Footer()->SetValueType(valueType);
        return column;
    }
    // The first value of the engine's answer, through a statement of its own.
    fb::TSqlValue Scalar(const std::string& sql)
    {
        fb::TIBSQL q(&c.db);
        q.SetSQL(sql);
        q.ExecQuery();
        EXPECT_TRUE(q.Next());
        return q.Fields(0).GetValue();
    }
    const TDBSumAmount& Total(TColumnEx* column)
    {
        return column->Footer()->Sum()->SumValue();
    }
    // The footers show the engine's totals of the records that where selects.
    void ExpectEngineTotals(const std::string& where)
    {
        const std::string from = " from EVENT_LOG" + where;
        const std::int64_t codeSum = Scalar("select sum(DATACODE)" + from).GetAsInt64();
        EXPECT_EQ(grid->GetFooterValue(0, codes), std::to_string(codeSum));
        const fb::TSqlValue timeSum = Scalar("select sum(cast(DT as numeric(18, 4)))" + from);
        ASSERT_EQ(timeSum.GetScale(), -4);
        EXPECT_EQ(Total(times).ToCurrency().Scaled, timeSum.GetScaledValue());
        EXPECT_NEAR(Total(times).ToDouble(), Scalar("select sum(DT)" + from).GetAsDouble(), 1e-6);
        const std::int64_t records = Scalar("select count(*)" + from).GetAsInt64();
        EXPECT_EQ(grid->GetFooterValue(0, count), std::to_string(records));
        // Averages: the total over the count, a half going to the even amount.
        const std::int64_t unitSum = Scalar("select sum(DEVICEID)" + from).GetAsInt64();
        const TDBSumAmount unitAverage = TDBSumAmount::FromInteger(unitSum).DividedBy(records);
        EXPECT_EQ(Total(units).ToCurrency().Scaled, unitAverage.ToCurrency().Scaled);
        EXPECT_EQ(grid->GetFooterValue(0, units), unitAverage.WholeText());
        EXPECT_EQ(Total(averageTime).ToCurrency().Scaled,
                  TDBSumAmount::FromScaled(timeSum.GetScaledValue()).DividedBy(records).ToCurrency().Scaled);
    }

    rtl::TScopedFormatSettings settings{rtl::TFormatSettings::Invariant()};
    testsupport::TempDir dir;
    fbtest::TConnection c{fbtest::CopyBuiltDatabase(dir.Path())};
    fb::TIBQuery query;
    db::TDataSource source;
    std::unique_ptr<TDBGridEx> grid;
    TColumnEx* codes = nullptr;
    TColumnEx* times = nullptr;
    TColumnEx* averageTime = nullptr;
    TColumnEx* units = nullptr;
    TColumnEx* count = nullptr;
};

TEST_F(QuerySums, FootersOverTheLogMatchTheEnginesTotals)
{
    EXPECT_EQ(query.GetRecNo(), 1);
    ExpectEngineTotals("");
    EXPECT_EQ(query.RecordCount(), kRecords);
}

TEST_F(QuerySums, AFilteredQueryMatchesTheEnginesTotalsOfTheSameRecords)
{
    query.SetFilter("DEVICEID = 1");
    query.SetFiltered(true);
    ExpectEngineTotals(" where DEVICEID = 1");
    query.SetFilter("DATACODE > 100");
    ExpectEngineTotals(" where DATACODE > 100");
    query.SetFiltered(false);
    ExpectEngineTotals("");
}

TEST_F(QuerySums, ClosingZeroesTheFootersAndOpeningCountsAgain)
{
    query.Close();
    EXPECT_EQ(grid->GetFooterValue(0, codes), "0");
    EXPECT_EQ(grid->GetFooterValue(0, count), "0");
    fb::TIBSQL more(&c.db);
    more.SetSQL("execute procedure ADD_TO_LOG(45100, 2, 'x', 170)");
    more.ExecQuery();
    c.tr.CommitRetaining();
    query.Open();
    ExpectEngineTotals("");
}

} // namespace
