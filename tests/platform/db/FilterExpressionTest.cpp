// The Filter text: syntax, Null handling and comparisons by field type.
#include <string>

#include <gtest/gtest.h>

#include "DbTestSupport.h"
#include "platform/rtl/SysUtils.h"

using namespace dbtest;

namespace {

int countWith(db::TDataSet& ds, const std::string& filter)
{
    ds.SetFilter(filter);
    ds.SetFiltered(true);
    int n = ds.RecordCount();
    ds.SetFiltered(false);
    return n;
}

} // namespace

TEST(FilterExpression, ComparisonsAndLogic)
{
    auto ds = MakeRows(10);
    ds->Edit();
    ds->FieldByName("AMOUNT")->Clear(); // record 1 has no amount
    ds->Post();
    EXPECT_EQ(countWith(*ds, "ID = 3"), 1);
    EXPECT_EQ(countWith(*ds, "ID <> 3"), 9);
    EXPECT_EQ(countWith(*ds, "ID != 3"), 9);
    EXPECT_EQ(countWith(*ds, "id < 3 or ID > 8"), 4);
    EXPECT_EQ(countWith(*ds, "NOT (ID <= 5) AND [NAME] >= 'Row 8'"), 2); // "Row 10" sorts before
    EXPECT_EQ(countWith(*ds, "AMOUNT > 7.4"), 6);
    EXPECT_EQ(countWith(*ds, "AMOUNT IS NULL"), 1);
    EXPECT_EQ(countWith(*ds, "AMOUNT = NULL"), 1);
    EXPECT_EQ(countWith(*ds, "AMOUNT IS NOT NULL"), 9);
    EXPECT_EQ(countWith(*ds, "AMOUNT < 100"), 9);   // Null compares false
    EXPECT_EQ(countWith(*ds, "NAME = 'row 1'"), 0); // texts compare exactly

    // The user's number format does not change how a filter reads its numbers.
    const rtl::TScopedFormatSettings comma(',', '.');
    EXPECT_EQ(countWith(*ds, "AMOUNT > 7.4"), 6);
    EXPECT_EQ(countWith(*ds, "AMOUNT > 7.4e0"), 6);
}

TEST(FilterExpression, SyntaxErrorsNameTheProblem)
{
    auto ds = MakeRows(1);
    auto error = [&](const std::string& text) {
        try {
            ds->SetFilter(text);
        } catch (const rtl::EDatabaseError& e) {
            return e.Message;
        }
        return std::string("no error");
    };
    EXPECT_EQ(error("NAME = 'abc"), "Invalid filter expression 'NAME = 'abc': quote is absent");
    EXPECT_EQ(error("(ID = 1"), "Invalid filter expression '(ID = 1': ')' expected");
    EXPECT_EQ(error("ID 1"), "Invalid filter expression 'ID 1': comparison expected");
    EXPECT_EQ(error("ID = 1 2"), "Invalid filter expression 'ID = 1 2': unexpected '2'");
    EXPECT_EQ(error("ID IS 5"), "Invalid filter expression 'ID IS 5': NULL expected");
    EXPECT_EQ(error("ID = 1e400"), "Invalid filter expression 'ID = 1e400': '1e400' is not a number");
    ds->SetFilter("MISSING = 1"); // names are checked once filtering starts
    EXPECT_THROW(ds->SetFiltered(true), rtl::EDatabaseError);
    EXPECT_FALSE(ds->GetFiltered());
}

TEST(FilterExpression, NestingIsLimitedAndChainsAreNot)
{
    auto ds = MakeRows(10);
    const auto nested = [](int levels, const std::string& inner) {
        return std::string(static_cast<std::size_t>(levels), '(') + inner + std::string(static_cast<std::size_t>(levels), ')');
    };
    const auto error = [&](const std::string& text) -> std::string {
        try {
            ds->SetFilter(text);
        } catch (const rtl::EDatabaseError& e) {
            return e.Message.substr(e.Message.rfind(": ") + 2);
        }
        return "no error";
    };
    EXPECT_EQ(countWith(*ds, nested(100, "ID = 3")), 1);
    EXPECT_EQ(error(nested(101, "ID = 3")), "nested more than 100 levels deep");
    // Deep enough to have overflowed the stack.
    EXPECT_EQ(error(nested(40000, "ID = 3")), "nested more than 100 levels deep");
    std::string nots;
    for (int i = 0; i < 100; ++i) nots += "NOT ";
    EXPECT_EQ(countWith(*ds, nots + "ID = 3"), 1);
    EXPECT_EQ(error("NOT " + nots + "ID = 3"), "nested more than 100 levels deep");

    // Long chains are flat: 30,000 terms parse and judge every record.
    std::string all = "ID > 0", any = "ID = 7";
    for (int i = 1; i < 30000; ++i) {
        all += " AND ID <> " + std::to_string(100 + i);
        any += " OR ID = " + std::to_string(100 + i);
    }
    EXPECT_EQ(countWith(*ds, all), 10);
    EXPECT_EQ(countWith(*ds, all + " AND ID < 4"), 3);
    EXPECT_EQ(countWith(*ds, any), 1);
    EXPECT_EQ(countWith(*ds, "(" + any + ") AND ID = 8 OR ID = 2"), 1);
}

TEST(FilterExpression, DatesCompareWithQuotedDates)
{
    rtl::TScopedFormatSettings fmt(rtl::TFormatSettings::Invariant());
    db::TMemDataSet ds;
    ds.AddField<db::TDateField>("DAY");
    ds.Open();
    for (int d = 1; d <= 5; ++d) {
        ds.Append();
        ds.FieldByName("DAY")->SetAsDateTime(rtl::EncodeDate(2024, 1, d));
        ds.Post();
    }
    EXPECT_EQ(countWith(ds, "DAY >= '1/3/2024'"), 3);
    EXPECT_EQ(countWith(ds, "DAY = '1/2/2024' OR DAY = '1/5/2024'"), 2);
}
