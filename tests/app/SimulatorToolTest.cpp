// kv7200-sim run as an operator runs it: a value it cannot take is refused at once with
// a message naming the option and exit status 2, before it listens anywhere; localhost
// is a loopback address it takes. What it takes it plays from the start, however many
// frames it names, and noise and bad frames keep coming while it runs.
#include <signal.h>

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {

// The simulator on a free port of 127.0.0.1 with the options given, and a client of it.
class TSimulatorRun {
public:
    explicit TSimulatorRun(const QStringList& options)
    {
        tool_.start(KV7200_SIM, QStringList{"--tcp", "--port", "0"} + options);
        if (!tool_.waitForStarted(10000)) return;
        QByteArray line;
        while (!line.contains('\n') && tool_.waitForReadyRead(10000)) line += tool_.readAllStandardOutput();
        const QByteArray listening = "listening on 127.0.0.1:";
        if (!line.startsWith(listening)) return;
        client_.connectToHost("127.0.0.1", line.mid(listening.size()).trimmed().toUShort());
        client_.waitForConnected(10000);
    }
    ~TSimulatorRun()
    {
        if (tool_.state() != QProcess::NotRunning) {
            tool_.kill();
            tool_.waitForFinished();
        }
    }
    bool Connected() const { return client_.state() == QAbstractSocket::ConnectedState; }
    // What came within timeoutMs, at least count bytes when they came.
    QByteArray Receive(int count, int timeoutMs)
    {
        while (received_.size() < count && client_.waitForReadyRead(timeoutMs)) received_ += client_.readAll();
        return received_;
    }
    // Stopped as an operator stops it: the exit status, -1 when it did not end normally.
    int End()
    {
        const auto pid = static_cast<pid_t>(tool_.processId());
        if (pid > 0) ::kill(pid, SIGTERM);
        return WaitForEnd();
    }
    int WaitForEnd()
    {
        if (!tool_.waitForFinished(10000) || tool_.exitStatus() != QProcess::NormalExit) return -1;
        return tool_.exitCode();
    }
    std::string OutputText() { return tool_.readAllStandardOutput().toStdString(); }
    std::string ErrorText() { return tool_.readAllStandardError().toStdString(); }

private:
    QProcess tool_;
    QTcpSocket client_;
    QByteArray received_;
};

TEST(SimulatorToolTest, RefusesABadValueNamingTheOption)
{
    struct TRefused {
        QStringList Arguments;
        const char* Message;
    };
    const TRefused cases[] = {
        {{"--tcp", "--port", "abc"}, "the value of --port is not a number (0..65535): abc"},
        {{"--tcp", "--port", "99999"}, "the value of --port is out of its range (0..65535): 99999"},
        {{"--tcp", "--port", "-1"}, "the value of --port is out of its range (0..65535): -1"},
        {{"--tcp", "--port", "843x"}, "the value of --port is not a number (0..65535): 843x"},
        {{"--pty", "--rate", "abc"}, "the value of --rate is not a number (0 or 0.001..1000): abc"},
        {{"--pty", "--rate", "-5"}, "the value of --rate is out of its range (0 or 0.001..1000): -5"},
        {{"--pty", "--rate", "1e2"}, "the value of --rate is not a number (0 or 0.001..1000): 1e2"},
        {{"--pty", "--rate", "nan"}, "the value of --rate is not a number (0 or 0.001..1000): nan"},
        {{"--pty", "--count", "ten"}, "the value of --count is not a number (0..4294967295): ten"},
        {{"--pty", "--count", "4294967296"}, "the value of --count is out of its range (0..4294967295): 4294967296"},
        {{"--pty", "--bad-every", "99999999999999999999"}, "--bad-every is out of its range (0..4294967295): 9999"},
        {{"--tcp", "--port", "-"}, "the value of --port is not a number (0..65535): -"},
        {{"--tcp", "--port", ""}, "the value of --port is not a number (0..65535): \n"},
        {{"--pty", "--rate", "1.2.3"}, "the value of --rate is not a number (0 or 0.001..1000): 1.2.3"},
        {{"--pty", "--rate", "0.0000001"}, "the value of --rate is out of its range (0 or 0.001..1000): 0.0000001"},
        {{"--pty", "--rate", "0.000999"}, "the value of --rate is out of its range (0 or 0.001..1000): 0.000999"},
        {{"--pty", "--rate", "1001.5"}, "the value of --rate is out of its range (0 or 0.001..1000): 1001.5"},
        {{"--pty", "--silence-ms", "99999999"}, "the value of --silence-ms is out of its range (0..3600000): 99999999"},
        {{"--pty", "--items", "0C:4B5"}, "the value of --items is not a list of code:data items in hex"},
        {{"--pty", "--items", "zz:00"}, "\"zz:00\""},
        {{"--pty", "--items", "123:00"}, "\"123:00\""},
        {{"--pty", "--items", "27:3304,,24:D301"}, "the value of --items is not a list"},
        {{"--pty", "--items", ""}, "the value of --items is not a list"},
        {{"--pty", "--items", "27:33 04"}, "\"27:33 04\""},
        {{"--pty", "--items", "01:" + QString(510, '0')}, "the value of --items is not a list"},
        {{"--tcp", "--address", "10.0.0.1"},
         "the value of --address is not a loopback address (127.x.x.x or localhost): 10.0.0.1"},
        {{"--tcp", "--address", "unit.example"}, "not a loopback address (127.x.x.x or localhost): unit.example"},
        {{"--tcp", "--address", "127.0.0.01"}, "not a loopback address (127.x.x.x or localhost): 127.0.0.01"},
        {{"--tcp", "--address", "127.0.0.300"}, "not a loopback address (127.x.x.x or localhost): 127.0.0.300"},
        {{"--tcp", "--port"}, "--port needs a value"},
        {{"--tcp", "--speed", "9"}, "unknown option --speed"},
        {{"--tcp", "--pty"}, "give one of --pty and --tcp"},
        {{}, "give one of --pty and --tcp"},
    };
    for (const TRefused& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        QProcess tool;
        tool.start(KV7200_SIM, c.Arguments);
        ASSERT_TRUE(tool.waitForStarted(10000));
        // A simulator that took the line would run until it is stopped.
        if (!tool.waitForFinished(10000)) {
            tool.kill();
            tool.waitForFinished();
            FAIL() << "it took the command line and ran";
        }
        EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tool.exitCode(), 2);
        const std::string error = tool.readAllStandardError().toStdString();
        EXPECT_EQ(error.rfind("kv7200-sim: ", 0), 0u) << error;
        EXPECT_NE(error.find(c.Message), std::string::npos) << error;
        EXPECT_NE(error.find("usage: kv7200-sim"), std::string::npos) << error;
        EXPECT_TRUE(tool.readAllStandardOutput().isEmpty());
    }
}

TEST(SimulatorToolTest, TakesLocalhostAndWellFormedItems)
{
    QProcess tool;
    tool.start(KV7200_SIM, {"--tcp", "--address", "localhost", "--port", "0", "--rate", "2.5", "--items",
                            "0C:4B5637323030,27:3304,2b"});
    ASSERT_TRUE(tool.waitForStarted(10000));
    std::string output;
    while (output.find('\n') == std::string::npos && tool.waitForReadyRead(10000))
        output += tool.readAllStandardOutput().toStdString();
    EXPECT_EQ(output.rfind("listening on 127.0.0.1:", 0), 0u) << output << tool.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(tool.processId()), SIGTERM);
    ASSERT_TRUE(tool.waitForFinished(10000));
    EXPECT_EQ(tool.exitCode(), 0);
}

// Frames of the default item, one after another from the start of what was received:
// 15 bytes each, its check byte the XOR of LEN, SEQ and the item.
constexpr int kFrameBytes = 15;
const QByteArray kNoise("\x55\x24\x00\x2E\xAA", 5);

bool CheckByteRight(const QByteArray& frame)
{
    char check = 0;
    for (int i = 2; i < 12; ++i) check ^= frame[i];
    return frame.startsWith("$!") && frame.endsWith("$.") && frame[12] == check;
}

TEST(SimulatorToolTest, PlaysTheLargestCountsAndFrameNumbersAtOnce)
{
    const QStringList largest[] = {
        {"--count", "4294967295"},
        {"--noise-every", "4294967295"},
        {"--bad-every", "4294967295"},
        {"--silence-after", "4294967295"},
        {"--close-after", "4294967295"},
        {"--count", "4294967295", "--bad-every", "4294967295"},
    };
    for (const QStringList& options : largest) {
        SCOPED_TRACE(options.join(' ').toStdString());
        TSimulatorRun run(options + QStringList{"--rate", "0"});
        ASSERT_TRUE(run.Connected()) << run.ErrorText();
        const QByteArray received = run.Receive(3 * kFrameBytes, 10000);
        ASSERT_GE(received.size(), 3 * kFrameBytes);
        EXPECT_TRUE(CheckByteRight(received.left(kFrameBytes)));
        EXPECT_EQ(run.End(), 0) << run.ErrorText();
    }
}

TEST(SimulatorToolTest, NoiseAndBadFramesKeepComingWithoutACount)
{
    {
        TSimulatorRun run({"--rate", "0", "--noise-every", "3"});
        ASSERT_TRUE(run.Connected()) << run.ErrorText();
        const QByteArray received = run.Receive(30 * kFrameBytes + 10 * kNoise.size(), 10000);
        EXPECT_GE(received.count(kNoise), 10);
        EXPECT_EQ(run.End(), 0) << run.ErrorText();
    }
    TSimulatorRun run({"--rate", "0", "--bad-every", "2"});
    ASSERT_TRUE(run.Connected()) << run.ErrorText();
    const QByteArray received = run.Receive(30 * kFrameBytes, 10000);
    ASSERT_GE(received.size(), 30 * kFrameBytes);
    int bad = 0;
    for (int i = 0; i < 30; ++i) bad += !CheckByteRight(received.mid(i * kFrameBytes, kFrameBytes));
    EXPECT_EQ(bad, 15);
    EXPECT_EQ(run.End(), 0) << run.ErrorText();
}

TEST(SimulatorToolTest, SendsItsCountAndEnds)
{
    {
        TSimulatorRun run({"--rate", "0", "--count", "5", "--noise-every", "2"});
        ASSERT_TRUE(run.Connected()) << run.ErrorText();
        EXPECT_EQ(run.WaitForEnd(), 0) << run.ErrorText();
        const QByteArray received = run.Receive(5 * kFrameBytes + 2 * kNoise.size() + 1, 1000);
        EXPECT_EQ(received.size(), 5 * kFrameBytes + 2 * kNoise.size());
        EXPECT_EQ(received.count(kNoise), 2);
        EXPECT_NE(run.OutputText().find("sent 5 frames"), std::string::npos);
    }
    TSimulatorRun run({"--rate", "1000", "--count", "4"});
    ASSERT_TRUE(run.Connected()) << run.ErrorText();
    EXPECT_EQ(run.WaitForEnd(), 0) << run.ErrorText();
    EXPECT_EQ(run.Receive(4 * kFrameBytes + 1, 1000).size(), 4 * kFrameBytes);
}

TEST(SimulatorToolTest, TheSlowestRatePausesAfterEachFrame)
{
    TSimulatorRun run({"--rate", "0.001"});
    ASSERT_TRUE(run.Connected()) << run.ErrorText();
    // One frame at once ("$!" LEN(2) SEQ(4) item(1 + 1 + 2) CHK "$."), then a pause of 1000 s.
    EXPECT_EQ(run.Receive(15, 10000).size(), 15);
    EXPECT_EQ(run.Receive(16, 300).size(), 15) << "no pause after the first frame";
    EXPECT_EQ(run.End(), 0) << run.ErrorText();
}

} // namespace
