// The load test tool run as an operator runs it, briefly: it tells its progress every
// second, keeps the offscreen platform's notes about raising windows to itself, and
// never reports more logged than was sent.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <regex>
#include <string>

#include <QProcess>
#include <gtest/gtest.h>

namespace {

// Whether a unit of the tool could listen on 127.0.0.2:843 (nobody else does).
bool UnitAddressFree()
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(843);
    ::inet_pton(AF_INET, "127.0.0.2", &a.sin_addr);
    const int one = 1;
    ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const bool free = ::bind(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return free;
}

TEST(LoadTestRunTest, TellsItsProgressAndLogsNoMoreThanWasSent)
{
#ifndef KV7200_LOADTEST
    GTEST_SKIP() << "the tools are not built";
#else
    if (::geteuid() != 0) GTEST_SKIP() << "the load test's units listen on port 843, which only root may bind";
    if (!UnitAddressFree()) GTEST_SKIP() << "127.0.0.2:843 is taken (a simulator of the user's?)";
    QProcess tool;
    tool.start(KV7200_LOADTEST, {"--units", "2", "--seconds", "3", "--rate", "20"});
    ASSERT_TRUE(tool.waitForStarted(10000));
    ASSERT_TRUE(tool.waitForFinished(60000));
    const std::string error = tool.readAllStandardError().toStdString();
    const std::string report = tool.readAllStandardOutput().toStdString();
    EXPECT_EQ(error.find("does not support raise()"), std::string::npos) << error;
    for (const char* second : {"kv7200-loadtest:   1 of 3 s: ", "kv7200-loadtest:   2 of 3 s: "})
        EXPECT_NE(error.find(second), std::string::npos) << error;
    std::smatch logged;
    ASSERT_TRUE(std::regex_search(report, logged, std::regex(R"(log records +(\d+) of (\d+) items sent \(([\d.]+) %\))")))
        << report;
    EXPECT_GT(std::stoll(logged[2]), 0) << report;
    EXPECT_LE(std::stoll(logged[1]), std::stoll(logged[2])) << report;
    EXPECT_LE(std::stod(logged[3]), 100.0) << report;
    EXPECT_EQ(report.find("behind                -"), std::string::npos) << report;
#endif
}

} // namespace
