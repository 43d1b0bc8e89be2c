#pragma once

// Helpers of the model tests: a temporary folder, files made at the
// container level, a container attached to its own records, and a scripted
// message-box service installed for the life of a fixture.

#include "infra/mesbo.h"
#include "model/core/records.h"
#include "model/file/contactfile.h"
#include "model/file/scriptedfileui.h"
#include "model/file/testfile.h"
#include "model/test/sqor.h"
#include "support/common/tempdir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace qv::testing {

// A general section (Windows-1251 INI text, CR LF lines) naming the contact
// file `cnt` and `tests` tests, with extra "KEY=value" lines appended.
std::string GeneralText(int tests, const std::string &cnt = "BOARD.CNT",
                        const std::vector<std::string> &extra = {});
// A test block whose MAIN section holds the name (UTF-8), cycles and start.
std::string TestText(const std::string &name, int cycles = 1, int start = 1);

struct ContainerPlan
{
    std::vector<std::string> buses{std::string("\x01\x02\x03", 3)};
    std::string general = GeneralText(0);
    std::vector<std::string> tests;
    std::uint8_t flags = 0;
    std::string readPassword;  // used when flags has 2
    std::string writePassword; // used when flags has 4
};
std::string MakeContainer(const ContainerPlan &plan);

// A contact file with names (UTF-8) for contacts 1..n.
std::string MakeContactFile(const std::vector<std::string> &names, double created = 45000.5,
                            double modified = 45001.25);

// A container with its own records and a scripted operator.
struct Container
{
    explicit Container(std::unique_ptr<FileStore> files = nullptr);
    SQor doc;
    SCnt cnt;
    STxt txt;
    ScriptedFileUi ui;
    TTestFile file;
};

// Installs a ScriptedMesbo for the fixture's life.
class MesboFixture : public ::testing::Test
{
protected:
    MesboFixture();
    ~MesboFixture() override;
    ScriptedMesbo &Box() { return *m_box; }

private:
    ScriptedMesbo *m_box;
    std::unique_ptr<TMesbo> m_previous;
};

// A folder with BOARD.CNT (contacts "K1".."K8") for test files to load.
class BoardFixture : public MesboFixture
{
protected:
    BoardFixture();
    std::string Qor(const std::string &name = "BOARD.QOR") const { return dir.File(name); }
    // Writes a container as BOARD.QOR and loads it; the result of Load.
    bool LoadContainer(Container &c, const ContainerPlan &plan,
                       const std::string &name = "BOARD.QOR");

    TempDir dir;
};

} // namespace qv::testing
