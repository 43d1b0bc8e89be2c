// The desk's command line: the file, the remote roles and their address.

#include "ui/desk/window/deskfiles.h"

#include <gtest/gtest.h>

namespace qv::desk {
namespace {

TEST(DeskCommandLine, AnAddressFollowsItsSwitchAndIsNeverTakenForTheFile)
{
    const auto client = DeskFiles::ParseCommandLine(
        {"quorvik", "A.QOR", "--remote-client", "--Connect", "10.0.0.7:5001"});
    EXPECT_EQ(client.file, QStringLiteral("A.QOR"));
    EXPECT_EQ(client.address, QStringLiteral("10.0.0.7:5001"));
    EXPECT_TRUE(client.remoteClient);
    EXPECT_FALSE(client.remoteServer);

    const auto server =
        DeskFiles::ParseCommandLine({"quorvik", "--LISTEN", "7000", "\\RemoteServer"});
    EXPECT_EQ(server.address, QStringLiteral("7000"));
    EXPECT_TRUE(server.file.isEmpty());
    EXPECT_TRUE(server.remoteServer);

    EXPECT_TRUE(DeskFiles::ParseCommandLine({"quorvik"}).file.isEmpty()) << "the program's name";
}

} // namespace
} // namespace qv::desk
