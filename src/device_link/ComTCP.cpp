#include "device_link/communication.h"
#include "platform/io/TcpClient.h"

namespace device_link {

namespace {

constexpr int kReadTimeoutMs = 10000;

} // namespace

TComTCP::TComTCP() : client_(std::make_unique<io::TTcpClient>())
{
    client_->ReadTimeout = kReadTimeoutMs;
    StartReader();
}

TComTCP::~TComTCP()
{
    StopThreads();
    client_->Disconnect();
}

void TComTCP::SetHost(const std::string& host) { host_ = host; }

bool TComTCP::Open()
{
    if (host_.empty() || Port.load() == 0 || connected_.load()) return false;
    client_->SetHost(host_);
    client_->SetPort(Port.load());
    // Posted before the request, so that the outcome always follows it.
    PostStatus(stConnecting);
    connectRequest_ = 1;
    return connected_.load() != 0;
}

bool TComTCP::Send(const TArray& data)
{
    if (!connected_.load() || data.empty()) return false;
    try {
        client_->OpenWriteBuffer();
        client_->Write(data.data(), data.size());
        client_->CloseWriteBuffer();
        return true;
    } catch (const io::ETcpError&) {
        return false; // the reader notices a broken connection
    }
}

void TComTCP::TerminatedSet()
{
    client_->Cancel(); // a read or connect in progress returns at once
    TCom::TerminatedSet();
}

void TComTCP::TryConnect()
{
    // The request ends before its outcome goes out: an Open that answers the outcome
    // sets a new request, with a fresh attempt count, which must stay.
    const auto endRequest = [this] {
        connectRequest_ = 0;
        attempts_ = 0;
    };
    try {
        client_->Connect(ConnectTimeoutMs.load());
        connected_ = 1;
        endRequest();
        PostStatus(stConnected);
    } catch (const io::ETcpConnectTimeout&) {
        connected_ = 0;
        if (attempts_ >= ConnectRetryCount.load()) {
            endRequest();
            PostStatus(stConnectTimeout);
        } else {
            ++attempts_;
        }
    } catch (const io::ETcpConnectFailed&) {
        connected_ = 0;
        endRequest();
        PostStatus(stConnectionRefused);
    } catch (const io::ETcpSocketError&) {
        connected_ = 0;
        endRequest();
        PostStatus(stSocketError);
    } catch (...) {
        connected_ = 0;
        endRequest();
        PostStatus(stUnknown);
    }
}

void TComTCP::ServeOpenRequest()
{
    if (connectRequest_.load()) {
        TryConnect();
        Pause();
    }
    if (!connectRequest_.load()) attempts_ = 0;
}

void TComTCP::ReadOnce()
{
    try {
        client_->ReadFromStack();
        const std::size_t n = client_->InputBufferSize();
        if (n == 0) {
            Pause();
            return;
        }
        TArray bytes = client_->ExtractInput(n);
        if (MayPost()) {
            PostReceived(std::move(bytes));
        } else {
            NoteDropped(bytes.size()); // back-pressure: these bytes are dropped
            Pause();
        }
    } catch (const io::ETcpReadTimeout&) {
        DropLink(stConnectTimeout);
    } catch (const io::ETcpClosedGracefully&) {
        DropLink(stDisconnectedFromDevice);
    } catch (const io::ETcpSocketError&) {
        DropLink(stSocketError);
    } catch (...) {
        // Any other failure leaves the link as it is; the pause keeps one that repeats
        // from spinning the reader.
        Pause();
    }
}

void TComTCP::CloseLink()
{
    client_->Disconnect();
    connectRequest_ = 0;
}

} // namespace device_link
