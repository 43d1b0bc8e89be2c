#include "execution/compiler/dosdata.h"
#include "infra/notice.h"
#include "support/execution/unitfixture.h"
#include "support/model/docbuilder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace qv::testing {
namespace {

std::vector<std::uint8_t> CompileDoc(Dosdata &dos, bool *ok = nullptr)
{
    std::vector<std::uint8_t> buffer(kProgramBufferSize, 0xEE);
    std::size_t position = 0;
    const bool compiled = dos.Compile(buffer, position);
    if (ok)
        *ok = compiled;
    buffer.resize(compiled ? position : 0);
    return buffer;
}

// Two 4-bit buses; a test "-i-o-" with an input word and an inverse output
// word over two cycles.
struct SmallDoc : DocBuilder
{
    SmallDoc()
    {
        AddBus({1, 2, 3, 4});
        AddBus({5, 6, 7, 8});
        STest &t = AddTest("-i-o-", "01010", 2, 1);
        AddLine(t, 9, "__--_");
        AddWord(t.IWords, 1, "A", 0, 1, "5/6");
        AddWord(t.OWords, 1, "B", 1, 0, "3/4");
    }
};

TEST(DosdataCompile, WritesTheImageOfASmallTestByteForByte)
{
    SmallDoc d;
    Dosdata dos(d.doc, RunOptions{}, {});
    dos.SetNotices(MessageBoxNotices());
    bool ok = false;
    const auto image = CompileDoc(dos, &ok);
    ASSERT_TRUE(ok) << dos.FailureText();
    Bytes want;
    want.u8(0).u8(2);
    want.u8(4).u16(272).u16(273).u16(274).u16(275);
    want.u8(4).u16(276).u16(277).u16(278).u16(279);
    want.u8(1).u8(0).u8(1).u8(2);
    want.u8(1).u16(281).u8(5).u8(0).u8(0).u8('i').u8(1).u8(1).u8(1).u8('o').u8(1).u8(1).u8(0);
    want.u8(1).u8(1).u8(0).u8(0).u16(5).u16(6);         // input word
    want.u8(1).u8(1).u8(1).u8(0).u8(0).u16(12).u16(11); // inverse output references
    want.u8(0).u8(0).u8(0).u8(0).u8(0).u8(0);           // G, G-cycle, F, M, P, V
    EXPECT_EQ(image, want.bytes);
}

TEST(DosdataCompile, SetsTheRunFlagsFromTheOptions)
{
    RunOptions options;
    options.probe = true;
    options.continuous = true;
    options.stopOnError = true;
    EXPECT_EQ(options.Flags(false), 0x2A);
    EXPECT_EQ(options.Flags(true), 0x6A);
    options.debug = options.debugCycles = options.resultPerPass = true;
    EXPECT_EQ(options.Flags(true), 0x7F);
}

TEST(DosdataCompile, MapsContactsToChannelCodesByUnitType)
{
    EXPECT_EQ(UnitChannelCode(100, true), 404);
    EXPECT_EQ(UnitChannelCode(200, true), 0);
    EXPECT_EQ(UnitChannelCode(0, true), 272);
    EXPECT_EQ(UnitChannelCode(95, true), 367);
    EXPECT_EQ(UnitChannelCode(96, true), 400);
    EXPECT_EQ(UnitChannelCode(100, false), 100);
    EXPECT_EQ(UnitChannelCode(200, false), 200);
}

TEST(DosdataCompile, CompilesATestCalledTwiceOnceAfterTheCaller)
{
    DocBuilder d;
    d.AddTest("-T-T-", "03030", 1);
    d.AddTest("--", "00", 1);
    d.AddTest("--", "00", 1);
    Dosdata dos(d.doc, RunOptions{}, {});
    dos.SetNotices(MessageBoxNotices());
    const auto image = CompileDoc(dos);
    ASSERT_FALSE(image.empty());
    EXPECT_EQ(dos.RunList(), (std::vector<int>{0, 2}));
    EXPECT_EQ(dos.CalledTests(), (std::vector<int>{2}));
    EXPECT_EQ(image[2], 2); // no buses, two tests
    d.doc.SelectTest(-1);
    Dosdata all(d.doc, RunOptions{}, {});
    all.SetNotices(MessageBoxNotices());
    const auto allImage = CompileDoc(all);
    EXPECT_EQ(all.RunList(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(allImage[0], 0x40);
}

TEST(DosdataCompile, SendsOneValueForAConstantInputWord)
{
    DocBuilder d;
    d.AddBus({1, 2, 3, 4, 5, 6, 7, 8});
    STest &t = d.AddTest("-i-", "010", 3);
    d.AddWord(t.IWords, 1, "", 0, 0, "7");
    Dosdata dos(d.doc, RunOptions{}, {});
    dos.SetNotices(MessageBoxNotices());
    const auto image = CompileDoc(dos);
    // flags, bus (1 + 1 + 16), test count, test header, control (1 + 1 + 6)
    const std::size_t inputs = 1 + 18 + 1 + 3 + 8;
    ASSERT_GT(image.size(), inputs + 6);
    Bytes want;
    want.u8(1).u8(1).u8(0).u8(1).u16(0xFFF8); // inverse: complement of 7
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + inputs, image.begin() + inputs + 6),
              want.bytes);
}

TEST(DosdataCompile, RefusesAnImageLargerThanTheBufferWithoutWritingPastIt)
{
    DocBuilder d;
    d.AddBus({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    STest &t = d.AddTest("-" + std::string(15, 'i') + "-" + std::string(15, 'o'),
                         std::string(32, '0'), 255);
    std::string data = "0";
    for (int c = 1; c < 255; ++c)
        data.append("/").append(std::to_string(c));
    for (int id = 1; id <= 15; ++id) {
        d.AddWord(t.IWords, id, "w", 0, 1, data);
        d.AddWord(t.OWords, id, "w", 0, 1, data);
        t.Tacts.D2[static_cast<std::size_t>(id)] = "0123456789ABCDEF"[id];
        t.Tacts.D2[static_cast<std::size_t>(id + 16)] = "0123456789ABCDEF"[id];
    }
    RecordedMessages messages;
    Dosdata dos(d.doc, RunOptions{}, {});
    dos.SetNotices(MessageBoxNotices());
    std::vector<std::uint8_t> storage(kProgramBufferSize + 64, 0xEE);
    std::size_t position = 0;
    EXPECT_FALSE(dos.Compile(std::span(storage).first(kProgramBufferSize), position));
    EXPECT_EQ(position, 0u);
    for (std::size_t i = kProgramBufferSize; i < storage.size(); ++i)
        ASSERT_EQ(storage[i], 0xEE);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_NE(messages.Shown()[0].text.find("не помещается"), std::string::npos)
        << messages.Shown()[0].text;
}

TEST(DosdataCompile, ReportsAPhaseWithoutItsFunctionAndAnUnknownLetter)
{
    RecordedMessages messages;
    DocBuilder d;
    d.AddTest("--R", "000", 1);
    Dosdata dos(d.doc, RunOptions{}, {});
    dos.SetNotices(MessageBoxNotices());
    bool ok = true;
    CompileDoc(dos, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(dos.FailureText(), "for(int j = i - 1; j > 1; j--)    //ищем начало (G / F / M / P)");
    d.doc.Test(0)->Tacts.D1 = "--Z";
    CompileDoc(dos, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(dos.FailureText(), "DosCtrl - for(int i = 1; i < numctrl; i++)");
}

TEST(DosdataCompile, WritesGeneratorKindsAndReportsAnUndefinedGeneratorWord)
{
    RecordedMessages messages;
    DocBuilder d;
    STest &t = d.AddTest("-g-", "010", 1);
    d.AddWord(t.GWords, 1, "", 1, 5, "1");  // pulse on contact 5
    d.AddWord(t.GWords, 2, "", 2, 6, "2");  // frequency on contact 6
    d.AddWord(t.GWords, 3, "", 0, -2, "3"); // delay in µs
    RunOptions arm;
    arm.dosUnit = false;
    Dosdata dos(d.doc, arm, {});
    dos.SetNotices(MessageBoxNotices());
    const auto image = CompileDoc(dos);
    // flags, no buses, 1 test, header, control 1+0+1+6, no input, no output words
    const std::size_t gen = 1 + 1 + 1 + 3 + 8 + 1 + 1;
    Bytes want;
    want.u8(3).u8(1).u16(5).u8(1).u16(1).u8(2).u16(134).u8(1).u16(2).u8(3).u16(257).u8(1).u16(3);
    ASSERT_GE(image.size(), gen + want.bytes.size());
    EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + gen,
                                        image.begin() + gen + static_cast<long>(want.bytes.size())),
              want.bytes);
    d.AddWord(t.GWords, 4, "", 0, -7, "3");
    bool ok = true;
    CompileDoc(dos, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(dos.FailureText(), "DosGword - GWordStatus");
}

struct DataFileDoc : DocBuilder
{
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qv_dos_" + std::to_string(::getpid()));
    DataFileDoc(int type, int fileBytes)
    {
        std::filesystem::create_directories(dir);
        AddBus({1, 2, 3, 4, 5, 6, 7, 8});
        STest &t = AddTest("-FR-", "0100", 1);
        AddWord(t.IWords, 1, "adr", 0, 1, "0");
        AddWord(t.IWords, 2, "dat", 0, 1, "0");
        t.FFuncs.Add(1);
        SFuncF f = *t.FFuncs.ByNumber(1);
        f.Name = "ОЗУ";
        f.Type = type;
        f.AdrWord = 1;
        f.DatWord = 2;
        f.AdrStart = 0;
        f.AdrEnd = 9;
        f.AdrInc = 1;
        f.FileName = "ram.dat";
        t.FFuncs.Replace(f);
        if (fileBytes >= 0) {
            std::ofstream out(dir / "ram.dat", std::ios::binary);
            out << std::string(static_cast<std::size_t>(fileBytes), 'x');
        }
    }
    ~DataFileDoc() { std::filesystem::remove_all(dir); }
};

TEST(DosdataCompile, AsksAboutADataFileOneItemTooLongAndGoesOnWithYes)
{
    DataFileDoc d(DirReadFile, 11);
    RecordedMessages messages;
    Dosdata dos(d.doc, RunOptions{}, d.dir);
    dos.SetNotices(MessageBoxNotices());
    bool ok = false;
    CompileDoc(dos, &ok); // the recorded box answers Yes by default
    EXPECT_TRUE(ok);
    ASSERT_EQ(messages.Shown().size(), 1u);
    const auto shown = messages.Shown()[0];
    EXPECT_EQ(shown.flags, MbQuestion);
    EXPECT_EQ(shown.text.rfind("Функция F1 \"ОЗУ\": файл \"ram.dat\" имеет размер данных больше "
                               "требуемого. ",
                               0),
              0u);
    EXPECT_NE(shown.text.find("Размер файла: 11 ( 0.01 Кб )\r\nТребуемый размер данных: 10 "
                              "( 0.01 Кб )\r\n"),
              std::string::npos);
    ASSERT_EQ(dos.DataFiles().size(), 1u);
    EXPECT_EQ(dos.DataFiles()[0].filename(), "ram.dat");
}

TEST(DosdataCompile, OnlyInformsAboutADataFileOneItemTooShort)
{
    DataFileDoc d(DirCompareFile, 9);
    RecordedMessages messages;
    Dosdata dos(d.doc, RunOptions{}, d.dir);
    dos.SetNotices(MessageBoxNotices());
    bool ok = false;
    CompileDoc(dos, &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].flags, MbInformation);
    EXPECT_NE(messages.Shown()[0].text.find("меньше требуемого\r\n"), std::string::npos);
}

TEST(DosdataCompile, AsksBeforeOverwritingAWrittenDataFileAndStopsOnNo)
{
    DataFileDoc d(DirWriteFile, 10);
    RecordedMessages messages;
    auto box = std::make_unique<ScriptedMesbo>();
    box->QueueAnswer(MbNo);
    ScriptedMesbo *raw = box.get();
    auto previous = InstallMesbo(std::move(box));
    Dosdata dos(d.doc, RunOptions{}, d.dir);
    dos.SetNotices(MessageBoxNotices());
    bool ok = true;
    CompileDoc(dos, &ok);
    InstallMesbo(std::move(previous));
    EXPECT_FALSE(ok);
    ASSERT_EQ(raw == nullptr, false);
    EXPECT_TRUE(dos.DataFiles().empty());
}

TEST(DosdataCompile, AsksItsOwnersNoticesAndTakesTheirAnswerWithoutADialog)
{
    DataFileDoc d(DirWriteFile, 10);
    RecordedMessages messages;
    std::vector<Notice> told;
    Dosdata dos(d.doc, RunOptions{}, d.dir);
    dos.SetNotices([&told](const Notice &notice) {
        told.push_back(notice);
        return NoticeAnswer::No;
    });
    bool ok = true;
    CompileDoc(dos, &ok);
    EXPECT_FALSE(ok) << "No refuses the overwrite";
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].kind, NoticeKind::Question);
    EXPECT_EQ(told[0].caption, "Файл данных");
    EXPECT_EQ(told[0].text, "Функция F1 \"ОЗУ\": файл \"ram.dat\" существует. Перезаписать файл?");
    EXPECT_TRUE(dos.DataFiles().empty());

    // A compiler nobody listens to tells nobody; its question is answered
    // as Enter would (Yes).
    Dosdata quiet(d.doc, RunOptions{}, d.dir);
    CompileDoc(quiet, &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(quiet.DataFiles().size(), 1u);
    EXPECT_TRUE(messages.Shown().empty());
}

class RecordingNameWindow : public FileNameWindow
{
public:
    bool AskFileNames(STest &test, int, const std::string &collection) override
    {
        asked = collection;
        if (answer)
            test.FFuncs.ByNumber(1)->FileName = "ram.dat";
        return answer;
    }
    std::string asked;
    bool answer = false;
};

TEST(DosdataCompile, AsksTheNameWindowForUnnamedDataFilesAndFailsWithoutIt)
{
    DataFileDoc d(DirReadFile, 10);
    d.doc.Test(0)->FFuncs.ByNumber(1)->FileName = "*";
    RecordedMessages messages;
    Dosdata dos(d.doc, RunOptions{}, d.dir);
    dos.SetNotices(MessageBoxNotices());
    bool ok = true;
    CompileDoc(dos, &ok);
    EXPECT_FALSE(ok);
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_NE(messages.Shown()[0].text.find("F1"), std::string::npos);

    RecordingNameWindow window;
    dos.SetFileNameWindow(&window);
    CompileDoc(dos, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(window.asked, std::string(1, '\x01'));
    window.answer = true;
    CompileDoc(dos, &ok);
    EXPECT_TRUE(ok) << dos.FailureText();
}

TEST(DosdataCompile, DebugModeSendsTheActiveCycleRangeAndTheTimeBase)
{
    DocBuilder d;
    STest &t = d.AddTest("-i--", "0100", 3);
    d.AddWord(t.IWords, 1, "A", 0, 1, "1/2/3");
    t.ActiveCycle = 2;
    t.DebugFirst = 1;
    t.DebugLast = 3;
    t.VFuncs.Add(1);
    t.VFuncs.ByNumber(1)->Tact = 2;
    t.VFuncs.ByNumber(1)->Sweep[2] = 5;
    t.VFuncs.SetActive(1);
    RunOptions options;
    options.debug = true;
    Dosdata dos(d.doc, options, {});
    dos.SetNotices(MessageBoxNotices());
    const auto image = CompileDoc(dos);
    Bytes want;
    want.u8(1).u8(2).u8(1).u8(3).u8(0).u8(1).u8(0).u8(0).u8(3);
    want.u8(0).u8(4).u8(0).u8(0).u8('i').u8(1).u8(0).u8(0).u8(0).u8(0);
    want.u8(1).u8(1).u8(0).u8(1).u16(3); // only the active cycle's value
    want.u8(0).u8(0).u8(0).u8(0).u8(0).u8(0);
    want.u8(1).u8(2).u16(50);
    EXPECT_EQ(image, want.bytes);
}

TEST(DosdataCompile, StepsMarkedAddressWordsInDebugModeWithTheTableShown)
{
    DocBuilder d;
    STest &t = d.AddTest("-F--", "0100", 1);
    d.AddWord(t.IWords, 1, "A", 0, 1, "4");
    t.FFuncs.Add(1);
    SFuncF f = *t.FFuncs.ByNumber(1);
    f.AdrWord = 1;
    f.AdrStart = 0;
    f.AdrEnd = 6;
    f.AdrInc = 2;
    f.Step = StepUp;
    t.FFuncs.Replace(f);
    RunOptions options;
    options.debug = options.tableShown = true;
    Dosdata dos(d.doc, options, {});
    dos.SetNotices(MessageBoxNotices());
    CompileDoc(dos);
    EXPECT_EQ(t.IWords.ValueAt(1, 0, ValueSet::Run), 6);
    CompileDoc(dos);
    EXPECT_EQ(t.IWords.ValueAt(1, 0, ValueSet::Run), 6); // stays within AdrEnd
    t.FFuncs.ByNumber(1)->Step = StepDown;
    CompileDoc(dos);
    EXPECT_EQ(t.IWords.ValueAt(1, 0, ValueSet::Run), 4);
}

} // namespace
} // namespace qv::testing
