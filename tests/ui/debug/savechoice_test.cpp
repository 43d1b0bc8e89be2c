// The save command of the main window through the save choice dialog, and
// the question about unsaved changes before the document is dropped.

#include "execution/desk/settingsstore.h"
#include "infra/mesbo.h"
#include "infra/mesboflags.h"
#include "infra/notice.h"
#include "model/content/tablecontent.h"
#include "model/document/quorvik.h"
#include "model/settings/settings.h"
#include "model/test/stest.h"
#include "support/ui/deskfixture.h"
#include "support/ui/modalwatch.h"
#include "ui/debug/editdebug.h"
#include "ui/debug/savechoice.h"
#include "ui/views/tableview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <filesystem>

namespace qv::testing {
namespace {

using SaveChoice = DeskFixture;
using debug::TfmSaveChoice;

TEST_F(SaveChoice, OutsideDebugModeProbeDataIsUntickedAgainWithTheMessage)
{
    TBaseForm &form = WindowWithDemo();
    ModalWatch<TfmSaveChoice> watch([](TfmSaveChoice &w) {
        EXPECT_EQ(w.windowTitle(), "Сохранить");
        ASSERT_EQ(w.Kinds()->count(), TfmSaveChoice::kLines);
        EXPECT_EQ(w.Kinds()->item(3)->text(), "данные зондов");
        w.Kinds()->item(3)->setCheckState(Qt::Checked);
        EXPECT_EQ(w.Kinds()->item(3)->checkState(), Qt::Unchecked);
        w.Kinds()->item(1)->setCheckState(Qt::Checked);
        EXPECT_EQ(w.Kinds()->item(1)->checkState(), Qt::Checked) << "function data may be written";
        EXPECT_EQ(w.FileName()->currentText(), "DEMO.QOR");
        EXPECT_FALSE(w.ActiveCycle()->isEnabled());
        w.ActiveTest()->setChecked(true);
        w.ActiveCycle()->setChecked(true);
        w.ActiveTest()->setChecked(false);
        EXPECT_FALSE(w.ActiveCycle()->isChecked()) << "unticking the test unticks the cycle";
        w.reject();
    });
    form.Actions().saveFile->trigger();
    EXPECT_TRUE(watch.Seen());
    EXPECT_EQ(Messages(), std::vector<std::string>{"Программа работает в режиме диагностики. "
                                                   "Запись отладочных данных невозможна"});
}

TEST_F(SaveChoice, AnInvalidNameKeepsTheDialogAndAGoodOneSavesBesideTheFileAndKeepsTheBackupChoice)
{
    TBaseForm &form = WindowWithDemo();
    const std::filesystem::path folder = dir.Path() / "demo";
    ModalWatch<TfmSaveChoice> watch([](TfmSaveChoice &w) {
        EXPECT_TRUE(w.Backup()->isChecked()) << "the setting is on by default";
        w.FileName()->setEditText("../outside");
        QTest::mouseClick(w.OkButton(), Qt::LeftButton);
        EXPECT_TRUE(w.isVisible());
        w.FileName()->setEditText("COPY");
        w.Backup()->setChecked(false);
        QTest::mouseClick(w.OkButton(), Qt::LeftButton);
        EXPECT_FALSE(w.isVisible());
    });
    form.Actions().saveFile->trigger();
    EXPECT_TRUE(watch.Seen());
    EXPECT_EQ(Messages(), std::vector<std::string>{"Задано недопустимое имя файла"});
    EXPECT_TRUE(std::filesystem::exists(folder / "COPY.QOR"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "outside.QOR"));
    EXPECT_EQ(form.Document().Doc().FileName, (folder / "COPY.QOR").string());
    EXPECT_EQ(store.Settings().Option(TSettings::OptBackupOnSave), 0);
    EXPECT_EQ(TfmSaveChoice::WithQorExtension("name.txt"), "name.QOR");
    ASSERT_FALSE(form.RecentFiles().isEmpty());
    EXPECT_EQ(form.RecentFiles().front().toStdString(), (folder / "COPY.QOR").string())
        << "the new name heads the recent files";
}

// The demo in debug mode with the debug value of i1 in cycle 1 set to 3C
// through the table and the "Отладка" dialog.
class UnsavedChanges : public DeskFixture
{
protected:
    TBaseForm &EditedDesk()
    {
        TBaseForm &form = WindowWithDemo();
        form.ToggleDebug();
        form.ShowTable();
        ModalWatch<debug::TfmEditDebug> watch([](debug::TfmEditDebug &w) {
            w.Value()->setText("3c");
            QTest::mouseClick(w.OkButton(), Qt::LeftButton);
        });
        const TextGrid &grid = form.Document().TableView();
        int row = -1;
        for (int r = 1; r < grid.RowCount() && row < 0; ++r)
            if (grid.Cell(ColInputName, r).rfind("i1", 0) == 0)
                row = r;
        EXPECT_GT(row, 0);
        emit form.TableView()->DebugValueEditRequested('i', 1, row);
        EXPECT_TRUE(watch.Seen());
        mesbo->Clear();
        return form;
    }
};

TEST_F(UnsavedChanges, ClosingAsksToSaveAndCancelKeepsTheWindowOpen)
{
    TBaseForm &form = EditedDesk();
    mesbo->QueueAnswer(MbCancel);
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(mesbo->ShownMessages().size(), 1u);
    EXPECT_EQ(mesbo->ShownMessages()[0].text,
              "Данные файла \"DEMO.QOR\" изменены и не записаны. Сохранить изменения?");
    EXPECT_EQ(mesbo->ShownMessages()[0].flags, MbQuestionCancel);
    mesbo->QueueAnswer(MbNo);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(mesbo->Count(), 2u);
}

TEST_F(UnsavedChanges, OpeningAnotherFileAnsweredYesSavesTheDebugValuesFirst)
{
    TBaseForm &form = EditedDesk();
    const QString first = QString::fromStdString(form.Document().Doc().FileName);
    mesbo->QueueAnswer(MbYes);
    ModalWatch<TfmSaveChoice> choice([](TfmSaveChoice &w) {
        w.Kinds()->item(0)->setCheckState(Qt::Checked); // "отладочные данные (i, g, G)"
        QTest::mouseClick(w.OkButton(), Qt::LeftButton);
    });
    ASSERT_TRUE(form.OpenFile(Demo("other")));
    EXPECT_TRUE(choice.Seen());
    EXPECT_EQ(mesbo->Count(), 1u);
    ASSERT_TRUE(form.OpenFile(first)) << "nothing is left to ask about";
    EXPECT_EQ(mesbo->Count(), 1u);
    EXPECT_EQ(form.Document().Test(0)->IWords.ValueAt(1, 0, ValueSet::Reference), 0x3C);
}

TEST_F(UnsavedChanges, CancellingTheSaveChoiceKeepsTheFileOpen)
{
    TBaseForm &form = EditedDesk();
    const std::string first = form.Document().Doc().FileName;
    mesbo->QueueAnswer(MbYes);
    ModalWatch<TfmSaveChoice> choice([](TfmSaveChoice &w) { w.reject(); });
    EXPECT_FALSE(form.OpenFile(Demo("other")));
    EXPECT_TRUE(choice.Seen());
    EXPECT_EQ(form.Document().Doc().FileName, first);
    EXPECT_EQ(form.Document().Test(0)->IWords.ValueAt(1, 0, ValueSet::Run), 0x3C);
}

TEST_F(UnsavedChanges, ModesViewsAndRunResultsAreNoChanges)
{
    TBaseForm &form = WindowWithDemo();
    form.ToggleDebug();
    form.ToggleZond();
    form.ShowTable();
    form.SelectTest(1);
    form.ShowDiagram();
    form.ToggleDebug();
    form.Document().ResetRunResults();
    mesbo->Clear();
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(Messages().empty());
}

using RememberedPaths = DeskFixture;

TEST_F(RememberedPaths, AFolderOutsideWindows1251KeepsTheStartDirectoryAndRecentFiles)
{
    TBaseForm &form = WindowWithDemo();
    const QStringList recent = form.RecentFiles();
    const QString start = form.StartDirectory();
    ASSERT_FALSE(recent.isEmpty());
    mesbo->Clear();
    const QString odd = Demo("снег☃");
    ASSERT_TRUE(form.OpenFile(odd));
    ASSERT_TRUE(form.OpenFile(odd));
    ASSERT_EQ(mesbo->Count(), 1u) << "told once";
    EXPECT_NE(Messages()[0].find("не будет запомнен"), std::string::npos) << Messages()[0];
    EXPECT_EQ(form.RecentFiles(), recent);
    EXPECT_EQ(form.StartDirectory(), start);

    // What the settings file keeps reads back whole.
    ASSERT_TRUE(store.Save(nullptr));
    SettingsStore reread(store.CfgPath(), store.IniPath());
    reread.SetNotices(MessageBoxNotices());
    reread.Load(nullptr, false);
    EXPECT_EQ(QString::fromStdString(reread.Settings().StartDirectory), start);
    ASSERT_FALSE(reread.Settings().RecentFiles.empty());
    EXPECT_EQ(QString::fromStdString(reread.Settings().RecentFiles.front()), recent.front());
}

} // namespace
} // namespace qv::testing
