#pragma once

// Test support for runs in-process: the packed demo board copied into a
// folder of the test's own (a run writes the unit's data files beside the
// test file), and a tester port that reaches a simulated unit made from a
// board text.

#include "execution/link/simlink.h"
#include "execution/port/portavo.h"
#include "execution/port/testerport.h"
#include "sim/board.h"
#include "sim/unit.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace qv::testing {

// Every file of the demo board (QV_DEMO_DIR) into `folder`, which exists.
inline void CopyDemoBoard(const std::filesystem::path &folder)
{
    for (const auto &entry : std::filesystem::directory_iterator(QV_DEMO_DIR))
        std::filesystem::copy_file(entry.path(), folder / entry.path().filename());
}

// Makes the tester's port reach a new simulated unit of that board text;
// the unit, so that a test can look at its state.
inline std::shared_ptr<sim::SimulatedUnit> AttachSimulatedUnit(TCP &tester,
                                                               const std::string &board)
{
    std::string error;
    auto parsed = sim::ParseBoard(board, &error);
    EXPECT_TRUE(parsed) << error;
    auto unit = std::make_shared<sim::SimulatedUnit>(parsed ? *parsed : sim::DefaultBoard());
    EXPECT_TRUE(tester.Create("Quorvik", [unit](const std::string &) {
        return std::make_shared<Portavo>(std::make_unique<SimLink>(unit), "sim");
    }));
    return unit;
}

} // namespace qv::testing
