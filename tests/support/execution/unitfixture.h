#pragma once

// Test support: a tester port connected to a simulated unit, in-process or
// over TCP to a quorvik-unitsim child process, and a message box that
// records what the port reports (as the desk shows it).

#include "execution/link/simlink.h"
#include "execution/link/tcplink.h"
#include "execution/link/unitaddress.h"
#include "execution/port/portavo.h"
#include "infra/mesbo.h"
#include "infra/notice.h"
#include "sim/board.h"
#include "sim/unit.h"
#include "support/qt/unitsimprocess.h"

#include <gtest/gtest.h>
#include <memory>

namespace qv::testing {

enum class Transport { InProcess, Tcp };

inline std::string TransportName(const ::testing::TestParamInfo<Transport> &info)
{
    return info.param == Transport::InProcess ? "InProcess" : "Tcp";
}

// A unit made from a board text and a port that reaches it.
struct UnitUnderTest
{
    explicit UnitUnderTest(Transport transport, const std::string &board = {}, int timeoutMs = 1000)
    {
        if (transport == Transport::InProcess) {
            std::string error;
            auto parsed = sim::ParseBoard(board, &error);
            EXPECT_TRUE(parsed) << error;
            unit = std::make_shared<sim::SimulatedUnit>(parsed ? *parsed : sim::DefaultBoard());
            address = "sim";
            port = std::make_shared<Portavo>(std::make_unique<SimLink>(unit), address);
        } else {
            process = std::make_unique<UnitSimProcess>(board);
            address = process->Address();
            EXPECT_FALSE(address.empty()) << "quorvik-unitsim did not start";
            port = std::make_shared<Portavo>(address);
        }
        SCP_Info info;
        info.productName = "Quorvik";
        EXPECT_EQ(port->Open(info), 1);
        port->SetReport(
            [](const PortOutcome &outcome) { Tell(MessageBoxNotices(), PortNotice(outcome)); });
        port->SetTimeout(timeoutMs);
        port->SetVoice(PortVoice::Quiet);
    }

    std::shared_ptr<sim::SimulatedUnit> unit; // in-process only
    std::unique_ptr<UnitSimProcess> process;  // TCP only
    std::string address;
    std::shared_ptr<Portavo> port;
};

// Installs a recording message box for the test's duration.
class RecordedMessages
{
public:
    RecordedMessages()
    {
        auto box = std::make_unique<ScriptedMesbo>();
        m_box = box.get();
        m_previous = InstallMesbo(std::move(box));
    }
    ~RecordedMessages() { InstallMesbo(std::move(m_previous)); }

    RecordedMessages(const RecordedMessages &) = delete;
    RecordedMessages &operator=(const RecordedMessages &) = delete;

    std::vector<ScriptedMesbo::Shown> Shown() const { return m_box->ShownMessages(); }

private:
    ScriptedMesbo *m_box = nullptr;
    std::unique_ptr<TMesbo> m_previous;
};

inline std::vector<std::uint8_t> Pattern(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 131 + i / 251) & 0xFF);
    return bytes;
}

} // namespace qv::testing
