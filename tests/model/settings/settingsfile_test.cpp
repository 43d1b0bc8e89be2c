#include "infra/encoding.h"
#include "model/io/errors.h"
#include "model/io/filestore.h"
#include "model/settings/settings.h"
#include "model/settings/settingsfile.h"
#include "model/settings/windowplacements.h"
#include "support/common/tempdir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace qv {
namespace {

using testing::TempDir;

using testing::ReadBytes;
using testing::WriteBytes;

// A disk that fails every write after the temporary file was made.
class FullDisk : public FileStore
{
protected:
    bool WriteAll(int, std::string_view) override { return false; }
};

TEST(SettingsFile, AMissingFileReadsAsNothing)
{
    TempDir dir;
    EXPECT_FALSE(ReadIniFile(dir.File("absent.cfg")));
}

TEST(SettingsFile, AFolderInPlaceOfTheFileIsReportedNotCrashed)
{
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "q.cfg");
    EXPECT_THROW(ReadIniFile(dir.File("q.cfg")), SettingsFileError);
}

TEST(SettingsFile, CyrillicKeysAreWindows1251OnDiskWithCrLf)
{
    TempDir dir;
    IniStore store;
    TSettings().Save(store);
    FileStore files;
    WriteIniFile(dir.File("q.cfg"), store, files);

    const std::string bytes = ReadBytes(dir.File("q.cfg"));
    // "[Общие]" in Windows-1251.
    EXPECT_EQ(bytes.substr(0, 9), "[\xCE\xE1\xF9\xE8\xE5]\r\n");
    EXPECT_NE(bytes.find(Utf8ToCp1251("Слово GE=") + "32896\r\n"), std::string::npos);
    EXPECT_EQ(bytes, Utf8ToCp1251(store.ToText())) << "one byte per Cyrillic letter";
    EXPECT_EQ(bytes.find("\n\n"), std::string::npos);
    for (std::size_t i = bytes.find('\n'); i != std::string::npos; i = bytes.find('\n', i + 1))
        ASSERT_EQ(bytes[i - 1], '\r');
}

TEST(SettingsFile, AFileWrittenByTheBenchRoundTripsByteForByte)
{
    TempDir dir;
    const std::string original = Utf8ToCp1251("[Общие]\r\n"
                                              "Директория запуска=/home/оператор/Тесты\r\n"
                                              "Показывать прогоны для О-слов=0\r\n"
                                              "[Цвета]\r\n"
                                              "Слово GE=255\r\n"
                                              "[Своя секция]\r\n"
                                              "Ключ=значение\r\n");
    WriteBytes(dir.File("q.cfg"), original);
    const auto store = ReadIniFile(dir.File("q.cfg"));
    ASSERT_TRUE(store);
    EXPECT_EQ(store->ReadString("Своя секция", "Ключ", ""), "значение");
    FileStore files;
    WriteIniFile(dir.File("copy.cfg"), *store, files);
    EXPECT_EQ(ReadBytes(dir.File("copy.cfg")), original);
}

TEST(SettingsFile, AFailedWriteLeavesTheOldFileAndNoLeftovers)
{
    TempDir dir;
    const std::string path = dir.File("q.cfg");
    WriteBytes(path, "[Old]\r\nKey=1\r\n");
    IniStore store;
    TSettings().Save(store);
    FullDisk disk;
    EXPECT_THROW(WriteIniFile(path, store, disk), WriteFailure);
    EXPECT_EQ(ReadBytes(path), "[Old]\r\nKey=1\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(SettingsFile, AnEntryWithoutAWindows1251FormIsLeftOutAndNamed)
{
    IniStore store;
    store.WriteString("Список последних файлов", "MRU1", "/tests/测试.QOR");
    store.WriteString("Список последних файлов", "MRU2", "/tests/плата.QOR");
    std::vector<std::string> dropped;
    const std::string bytes = IniFileBytes(store, &dropped);
    EXPECT_EQ(dropped, std::vector<std::string>{"MRU1"});
    EXPECT_EQ(Cp1251ToUtf8(bytes), "[Список последних файлов]\r\nMRU2=/tests/плата.QOR\r\n");
}

TEST(WindowPlacementsFile, GeometryAndToolBarsRoundTripPerWindow)
{
    TempDir dir;
    WindowPlacements placements;
    placements.SetGeometry("BaseForm", "01d9d0cb0003");
    placements.SetToolBarState("BaseForm", "AAAA/wAAAAD9");
    placements.SetGeometry("fmComment", "line\r\nbreak");
    FileStore files;
    WriteIniFile(dir.File("q.ini"), placements.Store(), files);

    auto read = ReadIniFile(dir.File("q.ini"));
    ASSERT_TRUE(read);
    WindowPlacements back;
    back.SetStore(std::move(*read));
    EXPECT_EQ(back.Geometry("BaseForm"), "01d9d0cb0003");
    EXPECT_EQ(back.ToolBarState("BaseForm"), "AAAA/wAAAAD9");
    EXPECT_EQ(back.Geometry("fmComment"), "linebreak");
    EXPECT_FALSE(back.Geometry("fmPusk"));
    back.Forget("BaseForm");
    EXPECT_FALSE(back.ToolBarState("BaseForm"));
}

} // namespace
} // namespace qv
