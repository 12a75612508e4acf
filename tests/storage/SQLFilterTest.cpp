#include "storage/SQL_Filter.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/rtl/StringList.h"

using storage::TSQLFilter;

namespace {

std::vector<std::string> Lines(const TSQLFilter& filter)
{
    rtl::TStringList list;
    filter.Build(list);
    std::vector<std::string> lines;
    for (int i = 0; i < list.GetCount(); ++i) lines.push_back(list[i]);
    return lines;
}

// The log window's set-up without any list entries.
TSQLFilter LogFilter()
{
    TSQLFilter filter;
    filter.BaseSQL = "select * from get_log";
    filter.WhereWord = "where";
    filter.ExcludeField = "DATACODE";
    filter.IncludeField = "DEVICEID";
    return filter;
}

using Text = std::vector<std::string>;

} // namespace

TEST(SQLFilter, BuildsTheLogStatementLineByLine)
{
    TSQLFilter filter = LogFilter();
    filter.AddExclusion(31);
    filter.AddExclusion(33);
    filter.AddInclusion(0);
    filter.AddInclusion(5);
    filter.AddCondition("DATACODE < 1000");
    filter.AddOrder("DT");
    filter.SortOrder = 1;

    const Text expected = {"select * from get_log",
                           "",
                           "where",
                           "( (DATACODE < 1000))",
                           "AND( DATACODE <> 31 AND DATACODE <> 33)",
                           "AND( DEVICEID = 0 OR DEVICEID = 5)",
                           "ORDER BY",
                           "DT",
                           "DESC"};
    EXPECT_EQ(Lines(filter), expected);

    std::string text;
    for (const auto& line : expected) text += line + "\r\n";
    EXPECT_EQ(filter.GetSQLText(), text);
}

TEST(SQLFilter, ListsJoinTheirEntriesInOrder)
{
    TSQLFilter filter = LogFilter();
    filter.AddCondition("DT <= 45000.5000000000");
    filter.AddCondition("ALIAS = 'x'");
    filter.AddExclusion(-1);
    filter.AddInclusion(7);
    filter.AddOrder("DEVICEID");
    filter.AddOrder("DT");
    filter.SortOrder = 0;
    EXPECT_EQ(Lines(filter), (Text{"select * from get_log", "", "where",
                                   "( (DT <= 45000.5000000000) AND (ALIAS = 'x'))",
                                   "AND( DATACODE <> -1)", "AND( DEVICEID = 7)", "ORDER BY",
                                   "DEVICEID, DT", "ASC"}));
}

TEST(SQLFilter, EmptyBaseOrWhereWordStopsEarly)
{
    TSQLFilter filter = LogFilter();
    filter.AddCondition("DATACODE < 1000");
    filter.AddOrder("DT");

    filter.BaseSQL.clear();
    EXPECT_EQ(filter.GetSQLText(), "");
    // The list is not even cleared.
    rtl::TStringList list;
    list.Add("select 1 from rdb$database");
    filter.Build(list);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list[0], "select 1 from rdb$database");

    filter.BaseSQL = "select * from get_log";
    filter.WhereWord.clear();
    EXPECT_EQ(Lines(filter), (Text{"select * from get_log", ""}));
    EXPECT_EQ(filter.GetSQLText(), "select * from get_log\r\n\r\n");

    // Build replaces what the list held.
    filter.Build(list);
    EXPECT_EQ(list.GetCount(), 2);
}

TEST(SQLFilter, WhereWordWithoutClausesIsFollowedByTheOrder)
{
    TSQLFilter filter = LogFilter();
    filter.AddOrder("DT");
    EXPECT_EQ(Lines(filter), (Text{"select * from get_log", "", "where", "ORDER BY", "DT", "ASC"}));

    filter.ClearOrder();
    EXPECT_EQ(Lines(filter), (Text{"select * from get_log", "", "where"}));
}

TEST(SQLFilter, AndPrecedesOnlyClausesAfterTheFirst)
{
    {
        TSQLFilter filter = LogFilter();
        filter.AddExclusion(31);
        filter.AddInclusion(5);
        EXPECT_EQ(Lines(filter),
                  (Text{"select * from get_log", "", "where", "( DATACODE <> 31)", "AND( DEVICEID = 5)"}));
    }
    {
        TSQLFilter filter = LogFilter();
        filter.AddInclusion(5);
        EXPECT_EQ(Lines(filter), (Text{"select * from get_log", "", "where", "( DEVICEID = 5)"}));
    }
    {
        // Excluded values without a column add no line, so the inclusions come first.
        TSQLFilter filter = LogFilter();
        filter.ExcludeField.clear();
        filter.AddExclusion(31);
        filter.AddInclusion(5);
        EXPECT_EQ(Lines(filter), (Text{"select * from get_log", "", "where", "( DEVICEID = 5)"}));
    }
    {
        TSQLFilter filter = LogFilter();
        filter.IncludeField.clear();
        filter.AddCondition("DATACODE < 1000");
        filter.AddInclusion(5);
        EXPECT_EQ(Lines(filter), (Text{"select * from get_log", "", "where", "( (DATACODE < 1000))"}));
    }
    {
        TSQLFilter filter = LogFilter();
        filter.AddCondition("DATACODE < 1000");
        filter.AddInclusion(5);
        EXPECT_EQ(Lines(filter), (Text{"select * from get_log", "", "where", "( (DATACODE < 1000))",
                                       "AND( DEVICEID = 5)"}));
    }
}

TEST(SQLFilter, SortOrderOtherThanZeroOrOneAddsNoDirection)
{
    TSQLFilter filter = LogFilter();
    filter.AddInclusion(1);
    filter.AddOrder("DT");
    filter.SortOrder = 2;
    EXPECT_EQ(Lines(filter), (Text{"select * from get_log", "", "where", "( DEVICEID = 1)", "ORDER BY", "DT"}));
    filter.SortOrder = -1;
    EXPECT_EQ(Lines(filter).back(), "DT");
}

TEST(SQLFilter, ListsHoldNoEntryTwice)
{
    TSQLFilter filter;
    filter.AddExclusion(31);
    filter.AddExclusion(31);
    filter.AddInclusion(5);
    filter.AddInclusion(5);
    filter.AddInclusion(0);
    filter.AddOrder("DT");
    filter.AddOrder("DT");
    filter.AddOrder("dt"); // another string: case counts
    EXPECT_EQ(filter.GetExcluded(), (storage::TIArray{31}));
    EXPECT_EQ(filter.GetIncluded(), (storage::TIArray{5, 0}));
    EXPECT_EQ(filter.GetOrderFields(), (storage::TSArray{"DT", "dt"}));

    filter.ClearInclusions();
    filter.ClearOrder();
    EXPECT_TRUE(filter.GetIncluded().empty());
    EXPECT_TRUE(filter.GetOrderFields().empty());
    EXPECT_EQ(filter.GetExcluded(), (storage::TIArray{31}));
    filter.AddInclusion(5);
    EXPECT_EQ(filter.GetIncluded(), (storage::TIArray{5}));
}

TEST(SQLFilter, ConditionsAreAddedOnceAndRemovedInPlace)
{
    TSQLFilter filter;
    filter.AddCondition("DATACODE < 1000");
    filter.AddCondition("DATACODE < 1000");
    filter.RemoveCondition("DATACODE < 1000");
    EXPECT_TRUE(filter.GetConditions().empty());

    filter.AddCondition("A = 1");
    filter.AddCondition("B = 2");
    filter.AddCondition("C = 3");
    filter.RemoveCondition("a = 1"); // no equal entry: case counts
    EXPECT_EQ(filter.GetConditions().size(), 3u);
    filter.RemoveCondition("A = 1");
    EXPECT_EQ(filter.GetConditions(), (storage::TSArray{"B = 2", "C = 3"}));
    filter.RemoveCondition("C = 3");
    EXPECT_EQ(filter.GetConditions(), (storage::TSArray{"B = 2"}));
    filter.RemoveCondition("missing");
    EXPECT_EQ(filter.GetConditions(), (storage::TSArray{"B = 2"}));
}
