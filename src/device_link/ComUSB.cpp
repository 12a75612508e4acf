#include <algorithm>
#include <cstring>

#include "device_link/communication.h"

namespace device_link {

TComUSB::TComUSB() { StartReader(); }

TComUSB::~TComUSB()
{
    StopThreads();
    if (io::FT_HANDLE h = handle_.exchange(nullptr)) io::FT_Close(h);
}

void TComUSB::SetSerial(const std::string& serial)
{
    serial_ = serial;
    serialZ_.fill(0);
    std::memcpy(serialZ_.data(), serial.data(), std::min(serial.size(), serialZ_.size() - 1));
}

bool TComUSB::Open()
{
    if (serial_.empty() || connected_.load()) return false;
    io::FT_HANDLE h = nullptr;
    if (io::FT_OpenEx(serialZ_.data(), io::FT_OPEN_BY_SERIAL_NUMBER, &h) != io::FT_OK) {
        PostStatus(stUnableToConnect);
        return false;
    }
    if (io::FT_HANDLE old = handle_.exchange(h)) io::FT_Close(old);
    io::FT_SetBaudRate(h, 57600);
    io::FT_SetDataCharacteristics(h, io::FT_BITS_8, io::FT_STOP_BITS_1, io::FT_PARITY_NONE);
    io::FT_SetFlowControl(h, io::FT_FLOW_NONE, 0, 0);
    PostStatus(stConnected);
    connected_ = 1;
    return true;
}

bool TComUSB::Send(const TArray& data)
{
    if (!connected_.load() || data.empty()) return false;
    std::uint32_t written = 0;
    const auto size = static_cast<std::uint32_t>(data.size());
    return io::FT_Write(handle_.load(), data.data(), size, &written) == io::FT_OK && written == size;
}

void TComUSB::ReadOnce()
{
    const io::FT_HANDLE h = handle_.load();
    std::uint32_t waiting = 0;
    io::FT_GetQueueStatus(h, &waiting);
    std::uint8_t chunk[kMaxRead];
    std::uint32_t got = 0;
    const io::FT_STATUS status = io::FT_Read(h, chunk, std::min(waiting, kMaxRead), &got);
    if (status == io::FT_OK && got > 0) {
        if (MayPost()) {
            PostReceived(TArray(chunk, chunk + got));
        } else {
            NoteDropped(got); // back-pressure: these bytes are dropped
            Pause();
        }
        return;
    }
    Pause();
    std::uint32_t rx = 0, tx = 0, events = 0;
    if (io::FT_GetStatus(h, &rx, &tx, &events) != io::FT_OK) Close(stDisconnected); // the bridge is gone
}

void TComUSB::CloseLink() { io::FT_Close(handle_.exchange(nullptr)); }

} // namespace device_link
