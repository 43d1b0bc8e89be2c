#include "infra/encoding.h"
#include "model/io/scofile.h"
#include "support/common/tempdir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace qv {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

std::string Magic()
{
    return Utf8ToCp1251("©Skopel USB - осциллограф ");
}

void AppendCrc(std::string &bytes)
{
    const std::uint32_t crc = ScoChecksum(bytes);
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((crc >> (8 * i)) & 0xFF));
}

std::string EmptyFile()
{
    std::string bytes = Magic() + std::string(2, '\0');
    AppendCrc(bytes);
    return bytes;
}

Waveform Ramp(std::uint8_t start)
{
    Waveform samples;
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::uint8_t>(start + i);
    return samples;
}

TEST(ScoChecksum, IsTheComplementOfTheUsualCrc32)
{
    // zlib.crc32(b"123456789") == 0xCBF43926
    EXPECT_EQ(ScoChecksum("123456789"), ~0xCBF43926u);
    EXPECT_EQ(ScoChecksum(""), 0xFFFFFFFFu);
}

TEST(ScoFile, RecordNamesUseTheCyrillicCycleLetter)
{
    EXPECT_EQ(ScoRecordName(2, 3, 1), Utf8ToCp1251("T2_v3_ц1"));
    EXPECT_EQ(Magic().size(), kScoMagicSize);
}

TEST(ScoFile, TheSmallestFileReadsAndHoldsNoReferences)
{
    testing::TempDir dir;
    const std::string path = dir.File("a.sco");
    const std::string bytes = EmptyFile();
    ASSERT_EQ(bytes.size(), kScoMinSize);
    WriteBytes(path, bytes);
    SScoFile sco;
    EXPECT_EQ(sco.ReadScoFile(path), ScoReadError::None);
    EXPECT_EQ(sco.ReadState(), SScoFile::State::Read);
    EXPECT_EQ(sco.TakeReference(1, 1, 1), nullptr);
}

TEST(ScoFile, DamagedFilesGiveTheirMessages)
{
    testing::TempDir dir;
    const std::string path = dir.File("board.sco");
    SScoFile sco;

    WriteBytes(path, EmptyFile().substr(0, 31));
    EXPECT_EQ(sco.ReadScoFile(path), ScoReadError::Structure);
    EXPECT_EQ(sco.ReadState(), SScoFile::State::Failed);
    EXPECT_EQ(ScoFailureMessage(ScoReadError::Structure, path),
              "Файл \"board.sco\" поврежден. Неправильная структура файла"
              "\r\nОсциллограммы для V-функции будут пропущены");

    std::string wrongMagic = EmptyFile();
    wrongMagic[0] = 'X';
    WriteBytes(path, wrongMagic);
    EXPECT_EQ(sco.ReadScoFile(path), ScoReadError::Checksum);

    std::string tooMany = Magic() + std::string("\x01\x04", 2); // 1025
    AppendCrc(tooMany);
    WriteBytes(path, tooMany);
    EXPECT_EQ(sco.ReadScoFile(path), ScoReadError::Structure);

    std::string runsPast = Magic() + std::string("\x01\x00", 2) + "\x03T1_";
    AppendCrc(runsPast);
    WriteBytes(path, runsPast);
    EXPECT_EQ(sco.ReadScoFile(path), ScoReadError::Read);

    EXPECT_EQ(sco.ReadScoFile(dir.File("missing.sco")), ScoReadError::Read);
    EXPECT_EQ(ScoFailureMessage(ScoReadError::Read, dir.File("missing.sco")),
              "Не удалось загрузить файл \"missing.sco\"\r\nОсциллограммы для V-функции будут "
              "пропущены");
    EXPECT_EQ(ScoFailureMessage(ScoReadError::Checksum, path),
              "Файл \"board.sco\" поврежден. Несовпадает контрольная сумма"
              "\r\nОсциллограммы для V-функции будут пропущены");
}

TEST(ScoFile, WrittenRecordsReadBackAndTheStoredChecksumIsVerified)
{
    testing::TempDir dir;
    const std::string path = dir.File("board.sco");
    SScoFile sco;
    sco.StageWaveform(1, 2, 1, Ramp(0), 5, 3);
    EXPECT_EQ(sco.Staged().back().params, (ScoParams{7, 2, 2, 0, 5}));
    sco.StageWaveform(1, 2, 2, Ramp(100), 4, 2);
    ASSERT_TRUE(sco.WriteScoFile(path));
    EXPECT_EQ(sco.StagedCount(), 0u);

    const std::string bytes = ReadBytes(path);
    const std::size_t record = 1 + ScoRecordName(1, 2, 1).size() + kWaveformSamples + 20;
    ASSERT_EQ(bytes.size(), 28 + 2 * record + 4);
    EXPECT_EQ(bytes.substr(0, 26), Magic());
    EXPECT_EQ(bytes[26], 2);
    EXPECT_EQ(bytes.substr(28 + record - 20, 4), std::string("\x07\x00\x00\x00", 4));

    ASSERT_EQ(sco.ReadScoFile(path), ScoReadError::None);
    const WaveformRef second = sco.TakeReference(1, 2, 2);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(*second, Ramp(100));
    EXPECT_EQ(*sco.TakeReference(1, 2, 1), Ramp(0)); // the scan wraps round
    EXPECT_EQ(sco.TakeReference(1, 3, 1), nullptr);

    std::string damaged = bytes;
    damaged[28 + 1 + ScoRecordName(1, 2, 1).size() + 10] ^= 0x01; // one sample bit
    WriteBytes(path, damaged);
    EXPECT_EQ(sco.ReadScoFile(path), ScoReadError::Checksum);
    EXPECT_EQ(sco.TakeReference(1, 2, 1), nullptr);
}

TEST(ScoFile, RecordsWithAZeroOrMissingNumberAreDropped)
{
    testing::TempDir dir;
    const std::string path = dir.File("odd.sco");
    std::string bytes = Magic() + std::string("\x03\x00", 2);
    for (const std::string &name : {std::string("T0_v1_\xF6"
                                                "1"),
                                    std::string("T1_v1"),
                                    std::string("T1_v1_\xF6"
                                                "2")}) {
        bytes.push_back(static_cast<char>(name.size()));
        bytes += name;
        bytes += std::string(kWaveformSamples, '\x2A') + std::string(20, '\0');
    }
    AppendCrc(bytes);
    WriteBytes(path, bytes);
    SScoFile sco;
    ASSERT_EQ(sco.ReadScoFile(path), ScoReadError::None);
    EXPECT_EQ(sco.RecordCount(), 1u);
    EXPECT_NE(sco.TakeReference(1, 1, 2), nullptr);
}

TEST(ScoFile, NothingStagedLeavesTheFileUntouched)
{
    testing::TempDir dir;
    const std::string path = dir.File("keep.sco");
    WriteBytes(path, "old content");
    SScoFile sco;
    EXPECT_TRUE(sco.WriteScoFile(path));
    EXPECT_EQ(ReadBytes(path), "old content");
}

TEST(ScoFile, MoreRecordsThanAFileMayHoldAreRefusedAndTheOldFileKept)
{
    testing::TempDir dir;
    const std::string path = dir.File("full.sco");
    WriteBytes(path, "old content");
    SScoFile sco;
    for (int i = 0; i <= static_cast<int>(kScoMaxRecords); ++i)
        sco.StageWaveform(1 + i / 256, 1 + (i / 16) % 16, 1 + i % 16, Ramp(1), 0, 0);
    std::string error;
    EXPECT_FALSE(sco.WriteScoFile(path, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(ReadBytes(path), "old content");
    EXPECT_EQ(sco.StagedCount(), 0u);
}

TEST(ScoFile, AWriteIntoAMissingFolderFailsAndResetsTheState)
{
    testing::TempDir dir;
    SScoFile sco;
    sco.StageWaveform(1, 1, 1, Ramp(0), 0, 0);
    std::string error;
    EXPECT_FALSE(sco.WriteScoFile(dir.File("no/such/folder/x.sco"), &error));
    EXPECT_NE(error.find("x.sco"), std::string::npos);
    EXPECT_EQ(sco.StagedCount(), 0u);
}

} // namespace
} // namespace qv
