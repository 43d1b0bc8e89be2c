// The serial transport against the simulated unit on the other side of a
// pseudo-terminal: the same path a USB serial unit takes.

#include "execution/link/seriallink.h"
#include "infra/unitcodes.h"
#include "support/execution/unitfixture.h"

#include <atomic>
#include <poll.h>
#include <pty.h>
#include <thread>
#include <unistd.h>

namespace qv {
namespace {

// The device end of a pseudo-terminal wired to a simulated unit.
class PtyUnit
{
public:
    PtyUnit()
        : m_unit(std::make_shared<sim::SimulatedUnit>(sim::DefaultBoard()))
    {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            return;
        m_device = name;
        const int master = m_master;
        sim::HostChannel channel{[master](std::vector<std::uint8_t> bytes) {
                                     std::size_t done = 0;
                                     while (done < bytes.size()) {
                                         const auto n = ::write(master, bytes.data() + done,
                                                                bytes.size() - done);
                                         if (n <= 0)
                                             return;
                                         done += static_cast<std::size_t>(n);
                                     }
                                 },
                                 {}};
        std::string why;
        m_end = m_unit->Attach(std::move(channel), &why);
        m_relay = std::thread([this] { Relay(); });
    }

    ~PtyUnit() { Unplug(); }

    // The device leaves: the master side closes.
    void Unplug()
    {
        m_stop = true;
        if (m_relay.joinable())
            m_relay.join();
        m_end.reset();
        for (int *fd : {&m_master, &m_slave}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
    }

    const std::string &Device() const { return m_device; }

private:
    void Relay()
    {
        std::vector<std::uint8_t> buffer(4096);
        while (!m_stop) {
            pollfd pfd{m_master, POLLIN, 0};
            if (::poll(&pfd, 1, 20) <= 0)
                continue;
            const auto n = ::read(m_master, buffer.data(), buffer.size());
            if (n > 0)
                m_end->Write(std::span(buffer.data(), static_cast<std::size_t>(n)));
        }
    }

    std::shared_ptr<sim::SimulatedUnit> m_unit;
    std::unique_ptr<sim::HostEnd> m_end;
    int m_master = -1;
    int m_slave = -1;
    std::string m_device;
    std::atomic<bool> m_stop{false};
    std::thread m_relay;
};

TEST(SerialLinkTest, TheUnitAnswersThroughASerialDevice)
{
    PtyUnit unit;
    ASSERT_FALSE(unit.Device().empty());
    Portavo port(std::make_unique<SerialLink>(unit.Device(), 115200), "serial:" + unit.Device());
    port.SetVoice(PortVoice::Quiet);
    port.SetTimeout(2000);
    std::uint32_t found = 0;
    EXPECT_EQ(port.FindUnit(&found), 1);
    ASSERT_EQ(port.Handshake(), PortOk) << port.GetError();
    ASSERT_EQ(port.SendCode(BUILD_INFO), PortOk);
    ASSERT_EQ(port.WaitData(BUILD_INFO, kPortDefaultTimeout), PortOk);
    EXPECT_EQ(port.AnswerData().at(0), 1);
    const auto bytes = testing::Pattern(40000);
    ASSERT_EQ(port.SendFile(bytes, "s.bin", {}), PortOk) << port.GetError();
    std::vector<std::uint8_t> back;
    ASSERT_EQ(port.ReceiveFile(back, "s.bin", {}), PortOk) << port.GetError();
    EXPECT_EQ(back, bytes);
}

TEST(SerialLinkTest, AMissingDeviceIsNotFound)
{
    Portavo port(std::make_unique<SerialLink>("/dev/quorvik-no-such-tty", 115200),
                 "serial:/dev/quorvik-no-such-tty");
    port.SetVoice(PortVoice::Quiet);
    port.SetTimeout(100);
    std::uint32_t found = 1;
    EXPECT_EQ(port.FindUnit(&found), 0);
    EXPECT_EQ(found, 0u);
    EXPECT_EQ(port.GetError(),
              "Блок диагностики не найден: устройство /dev/quorvik-no-such-tty отсутствует");
    EXPECT_EQ(port.Handshake(), PortNoLink);
}

} // namespace
} // namespace qv
