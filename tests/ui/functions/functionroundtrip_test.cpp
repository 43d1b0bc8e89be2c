// Functions edited in their windows, saved with the function data and read
// back: the file changes only in the edited keys and its modification date.

#include "model/document/quorvik.h"
#include "model/file/container.h"
#include "model/file/crypto.h"
#include "model/functions/funcf.h"
#include "model/functions/funcm.h"
#include "model/functions/funcs.h"
#include "model/functions/funcv.h"
#include "model/functions/prog.h"
#include "model/io/filestore.h"
#include "model/test/stest.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalwatch.h"
#include "ui/debug/savechoice.h"
#include "ui/functions/addressfields.h"
#include "ui/functions/funcfwindow.h"
#include "ui/functions/funcmwindow.h"
#include "ui/functions/funcpwindow.h"
#include "ui/functions/funcswindow.h"
#include "ui/functions/funcvwindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <sstream>

namespace qv::testing {
namespace {

// The deciphered blocks of a test file, split into lines.
std::vector<std::vector<std::string>> Blocks(const std::string &path)
{
    CryptoProvider crypto;
    std::vector<char> buffer(kDigestChunkSize);
    const auto source = FileSource::OpenLocked(path);
    const ContainerContent content =
        ReadContainer(*source, crypto, buffer, [](const Trailer &) { return std::nullopt; });
    std::vector<std::vector<std::string>> blocks;
    std::vector<std::string> texts{content.generalText};
    texts.insert(texts.end(), content.testTexts.begin(), content.testTexts.end());
    for (const std::string &text : texts) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
        }
        blocks.push_back(std::move(lines));
    }
    return blocks;
}

// "block: before -> after" for every line that changed.
std::vector<std::string> ChangedLines(const std::vector<std::vector<std::string>> &before,
                                      const std::vector<std::vector<std::string>> &after)
{
    std::vector<std::string> changed;
    EXPECT_EQ(before.size(), after.size());
    for (std::size_t b = 0; b < std::min(before.size(), after.size()); ++b) {
        EXPECT_EQ(before[b].size(), after[b].size()) << "block " << b;
        for (std::size_t i = 0; i < std::min(before[b].size(), after[b].size()); ++i) {
            if (before[b][i] != after[b][i] && before[b][i].rfind("FMODIFIED=", 0) != 0)
                changed.push_back(std::to_string(b) + ": " + before[b][i] + " -> " + after[b][i]);
        }
    }
    return changed;
}

class FunctionRoundTrip : public DeskFixture
{
protected:
    // Saves with the save choice dialog, function data ticked or not.
    void Save(TBaseForm &form, bool functionData)
    {
        ModalWatch<debug::TfmSaveChoice> watch([&](debug::TfmSaveChoice &w) {
            w.Kinds()->item(1)->setCheckState(functionData ? Qt::Checked : Qt::Unchecked);
            QTest::mouseClick(w.OkButton(), Qt::LeftButton);
        });
        form.Actions().saveFile->trigger();
        ASSERT_TRUE(watch.Seen());
    }

    template <class W>
    static void Edit(QAction *command, const std::function<void(W &)> &action)
    {
        ModalWatch<W> watch([&](W &w) {
            action(w);
            w.accept();
        });
        command->trigger();
        ASSERT_TRUE(watch.Seen());
    }

    static void Type(QLineEdit *edit, const QString &text)
    {
        edit->setText(text);
        emit edit->editingFinished();
    }
};

TEST_F(FunctionRoundTrip, EditsOfEveryKindAreSavedWithFunctionDataAndReadBack)
{
    TBaseForm &form = WindowWithDemo();
    const std::string path = form.Document().Doc().FileName;
    const auto before = Blocks(path);
    form.SelectTest(1);
    const desk::MainActions &a = form.Actions();
    Edit<functions::TfmFuncF>(a.funcF,
                              [](auto &w) { Type(w.Addresses().EndEdit(), QStringLiteral("E")); });
    Edit<functions::TfmFuncM>(
        a.funcM, [](auto &w) { w.AlgorithmList()->item(3)->setCheckState(Qt::Checked); });
    Edit<functions::TfmFuncP>(a.funcP, [](auto &w) { w.CyclesBox()->setValue(7); });
    Edit<functions::TfmFuncS>(a.funcS, [](auto &w) {
        w.SpeedBox()->setCurrentIndex(4);
        emit w.SpeedBox()->activated(4);
    });
    // Cancel leaves a function as it was.
    ModalWatch<functions::TfmFuncP> cancelled([](functions::TfmFuncP &w) {
        w.CyclesBox()->setValue(9);
        w.reject();
    });
    a.funcP->trigger();
    ASSERT_TRUE(cancelled.Seen());

    Save(form, true);
    EXPECT_EQ(
        ChangedLines(before, Blocks(path)),
        (std::vector<std::string>{"2: ADREND=15 -> ADREND=14", "2: ALG=5 -> ALG=13",
                                  "2: PARAM0=5 -> PARAM0=7", "2: SPEED=9600 -> SPEED=19200"}));

    ASSERT_TRUE(form.OpenFile(QString::fromStdString(path)));
    const STest &test = *form.Document().Test(1);
    EXPECT_EQ(test.FFuncs.ByNumber(1)->SavedEnd, 14);
    EXPECT_EQ(test.MFuncs.ByNumber(1)->SavedAlg, 13);
    EXPECT_EQ(test.PFuncs.ByNumber(1)->SavedCycles, 7);
    EXPECT_EQ(test.SFuncs.ByNumber(1)->SavedSerial.Speed, 19200);
}

TEST_F(FunctionRoundTrip, WithoutFunctionDataTheValuesReadFromTheFileAreWrittenBack)
{
    TBaseForm &form = WindowWithDemo();
    const std::string path = form.Document().Doc().FileName;
    const auto before = Blocks(path);
    form.SelectTest(1);
    const desk::MainActions &a = form.Actions();
    Edit<functions::TfmFuncF>(a.funcF,
                              [](auto &w) { Type(w.Addresses().EndEdit(), QStringLiteral("E")); });
    Edit<functions::TfmFuncV>(a.funcV, [](auto &w) {
        w.SweepBox()->setCurrentIndex(0);
        emit w.SweepBox()->activated(0);
    });
    Save(form, false);
    EXPECT_TRUE(ChangedLines(before, Blocks(path)).empty());
    // The working values stay in the open file.
    EXPECT_EQ(form.Document().Test(1)->FFuncs.ByNumber(1)->AdrEnd, 14);
    EXPECT_EQ(form.Document().Test(1)->VFuncs.ByNumber(1)->Sweep[0], 0);
}

} // namespace
} // namespace qv::testing
