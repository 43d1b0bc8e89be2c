#pragma once

// The unit on a USB serial device (CDC), through QSerialPort. The port object
// is not thread-safe and reads through its notifier, so it lives in an I/O
// thread of its own with an event loop: received bytes go to a queue that the
// port's reader takes from, writes are posted to the I/O thread. Needs a
// QCoreApplication (the program and qortool have one).

#include "execution/link/bytequeue.h"
#include "execution/link/connectionslot.h"
#include "execution/link/unitlink.h"

#include <mutex>

class QSerialPort;
class QThread;

namespace qv {

class SerialLink final : public UnitLink
{
public:
    SerialLink(std::string device, int baud);
    ~SerialLink() override;

    bool Present(std::string *why) override;
    bool Open(std::chrono::milliseconds timeout, std::string *error) override;
    void Close() override;
    bool Write(std::span<const std::uint8_t> bytes, std::chrono::milliseconds timeout,
               std::string *error) override;
    std::size_t Read(std::span<std::uint8_t> buffer) override;

private:
    // One opened device: the I/O thread, the port object living in it and the
    // queue of received bytes.
    struct Connection;

    bool OpenOnce(Connection &connection, bool *notFound, std::string *error);

    std::string m_device;
    int m_baud;
    ConnectionSlot<Connection> m_slot;
};

// The serial devices present now, as their paths ("/dev/ttyACM0"), sorted.
std::vector<std::string> SerialDevices();

} // namespace qv
