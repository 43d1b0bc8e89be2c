#pragma once

// A test fixture base: the whole desk over a simulated unit made from a board
// text, in a temporary folder that holds the settings, the unit lock and the
// calibration file. The main window is shown; the status poll is off unless
// the settings text says otherwise.

#include "execution/desk/desksession.h"
#include "execution/desk/settingsstore.h"
#include "execution/link/simlink.h"
#include "execution/port/portavo.h"
#include "infra/encoding.h"
#include "infra/notice.h"
#include "sim/board.h"
#include "sim/unit.h"
#include "support/common/tempdir.h"
#include "support/model/scopedmesbo.h"
#include "ui/desk/mainwindow.h"

#include <QString>
#include <QTest>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace qv::testing {

class SimulatedDeskTest : public ::testing::Test
{
protected:
    using LinkMaker = std::function<std::unique_ptr<UnitLink>(std::shared_ptr<sim::SimulatedUnit>)>;

    ~SimulatedDeskTest() override
    {
        window.reset();
        desk.reset();
    }

    // Writes `settings` (UTF-8 INI text) as the settings file, makes the unit
    // from `board`, starts the desk and shows the main window. `link` makes
    // the port's link to the unit (default: the in-process link). Fails the
    // test when the board does not parse or the desk does not start.
    void StartDesk(const std::string &board, const std::string &settings, LinkMaker link = {})
    {
        WriteBytes(dir.File("quorvik.cfg"), Utf8ToCp1251(settings));
        std::string error;
        const auto parsed = sim::ParseBoard(board, &error);
        ASSERT_TRUE(parsed) << error;
        unit = std::make_shared<sim::SimulatedUnit>(*parsed);
        if (!link)
            link = [](std::shared_ptr<sim::SimulatedUnit> made) {
                return std::make_unique<SimLink>(std::move(made));
            };
        DeskSession::Options options;
        options.notices = MessageBoxNotices();
        options.portFactory = [this, link](const std::string &) {
            return std::make_shared<Portavo>(link(unit), "sim");
        };
        options.lockDirectory = dir.Path().string();
        desk = std::make_unique<DeskSession>(
            SettingsStore(dir.File("quorvik.cfg"), dir.File("quorvik.ini")), std::move(options));
        ASSERT_TRUE(desk->Start("Quorvik"));
        window = std::make_unique<TBaseForm>(&desk->Store(), desk.get());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    // The demo board copied into "demo" of the temporary folder; the path
    // of its test file.
    QString Demo()
    {
        namespace fs = std::filesystem;
        const fs::path source =
            fs::path(qEnvironmentVariable("QORVIK_BINARY_DIR").toStdString()) / "examples" / "demo";
        const fs::path target = dir.Path() / "demo";
        fs::create_directories(target);
        for (const auto &entry : fs::directory_iterator(source))
            fs::copy_file(entry.path(), target / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
        return QString::fromStdString((target / "DEMO.QOR").string());
    }

    TempDir dir;
    ScopedMesbo mesbo;
    std::shared_ptr<sim::SimulatedUnit> unit;
    std::unique_ptr<DeskSession> desk;
    std::unique_ptr<TBaseForm> window;
};

} // namespace qv::testing
