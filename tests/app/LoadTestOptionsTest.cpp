// The load test tool run as an operator runs it: an option it does not know, a value
// out of its range or a missing value is refused at once, before any load starts.
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

struct TRefused {
    QStringList Arguments;
    const char* Message;
};

TEST(LoadTestOptions, AMistypedCommandLineIsRefusedWithoutARun)
{
#ifndef KV7200_LOADTEST
    GTEST_SKIP() << "the tools are not built";
#else
    const TRefused cases[] = {
        {{"--help"}, "unknown option --help"},
        {{"--units", "64", "--secnds", "5"}, "unknown option --secnds"},
        {{"--units"}, "--units needs a value"},
        {{"--units", "many"}, "the value of --units is out of its range: many"},
        {{"--units", "0"}, "the value of --units is out of its range: 0"},
        {{"--units", "1001"}, "the value of --units is out of its range: 1001"},
        {{"--seconds", "-5"}, "the value of --seconds is out of its range: -5"},
        {{"--rate", "50fps"}, "the value of --rate is out of its range: 50fps"},
        {{"--rate", "0"}, "the value of --rate is out of its range: 0"},
    };
    for (const TRefused& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        QProcess tool;
        tool.start(KV7200_LOADTEST, c.Arguments);
        ASSERT_TRUE(tool.waitForStarted(10000));
        // A run would take a minute: a refusal comes at once.
        ASSERT_TRUE(tool.waitForFinished(10000)) << "the tool started a run";
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tool.exitCode(), 2);
        const std::string error = tool.readAllStandardError().toStdString();
        EXPECT_NE(error.find(std::string("kv7200-loadtest: ") + c.Message + "\n"), std::string::npos) << error;
        EXPECT_NE(error.find("usage: kv7200-loadtest "), std::string::npos) << error;
        EXPECT_TRUE(tool.readAllStandardOutput().isEmpty());
    }
#endif
}

} // namespace
