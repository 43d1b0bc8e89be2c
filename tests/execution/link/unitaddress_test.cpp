#include "execution/link/unitaddress.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(UnitAddressTest, EveryTransportIsRecognised)
{
    std::string why;
    auto a = ParseUnitAddress("sim", &why);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->transport, UnitAddress::Transport::Sim);
    EXPECT_TRUE(a->boardFile.empty());

    a = ParseUnitAddress("sim:/home/bench/плата.ini", &why);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->boardFile, "/home/bench/плата.ini");

    a = ParseUnitAddress("tcp://bench-7.local:40001", &why);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->transport, UnitAddress::Transport::Tcp);
    EXPECT_EQ(a->host, "bench-7.local");
    EXPECT_EQ(a->port, 40001);

    a = ParseUnitAddress("tcp://[::1]:5000", &why);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->host, "::1");
    EXPECT_EQ(a->port, 5000);

    a = ParseUnitAddress("serial:/dev/ttyACM0", &why);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->transport, UnitAddress::Transport::Serial);
    EXPECT_EQ(a->device, "/dev/ttyACM0");
    EXPECT_EQ(a->baud, 115200);

    a = ParseUnitAddress("serial:/dev/ttyUSB1?baud=921600", &why);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->device, "/dev/ttyUSB1");
    EXPECT_EQ(a->baud, 921600);
}

TEST(UnitAddressTest, AnUnusableAddressSaysWhy)
{
    for (const char *text :
         {"", "com1", "sim:", "tcp://host", "tcp://:80", "tcp://h:0", "tcp://h:65536", "tcp://h:8x",
          "tcp://[::1]80", "serial:", "serial:/dev/x?speed=9", "serial:/dev/x?baud=0"}) {
        std::string why;
        EXPECT_FALSE(ParseUnitAddress(text, &why)) << text;
        EXPECT_FALSE(why.empty()) << text;
    }
}

} // namespace
} // namespace qv
