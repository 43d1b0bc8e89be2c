// The save command of the main window through the save choice dialog.

#include "model/document/quorvik.h"
#include "model/settings/settings.h"
#include "ui/debug/savechoice.h"
#include "ui/deskfixture.h"
#include "ui/modalwatch.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
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
        ASSERT_EQ(w.kinds()->count(), TfmSaveChoice::kLines);
        EXPECT_EQ(w.kinds()->item(3)->text(), "данные зондов");
        w.kinds()->item(3)->setCheckState(Qt::Checked);
        EXPECT_EQ(w.kinds()->item(3)->checkState(), Qt::Unchecked);
        w.kinds()->item(1)->setCheckState(Qt::Checked);
        EXPECT_EQ(w.kinds()->item(1)->checkState(), Qt::Checked) << "function data may be written";
        EXPECT_EQ(w.fileName()->currentText(), "DEMO.QOR");
        EXPECT_FALSE(w.activeCycle()->isEnabled());
        w.activeTest()->setChecked(true);
        w.activeCycle()->setChecked(true);
        w.activeTest()->setChecked(false);
        EXPECT_FALSE(w.activeCycle()->isChecked()) << "unticking the test unticks the cycle";
        w.reject();
    });
    form.actions().saveFile->trigger();
    EXPECT_TRUE(watch.seen());
    EXPECT_EQ(Messages(), std::vector<std::string>{"Программа работает в режиме диагностики. "
                                                   "Запись отладочных данных невозможна"});
}

TEST_F(SaveChoice, AnInvalidNameKeepsTheDialogAndAGoodOneSavesBesideTheFileAndKeepsTheBackupChoice)
{
    TBaseForm &form = WindowWithDemo();
    const std::filesystem::path folder = dir.Path() / "demo";
    ModalWatch<TfmSaveChoice> watch([](TfmSaveChoice &w) {
        EXPECT_TRUE(w.backup()->isChecked()) << "the setting is on by default";
        w.fileName()->setEditText("../outside");
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
        EXPECT_TRUE(w.isVisible());
        w.fileName()->setEditText("COPY");
        w.backup()->setChecked(false);
        QTest::mouseClick(w.okButton(), Qt::LeftButton);
        EXPECT_FALSE(w.isVisible());
    });
    form.actions().saveFile->trigger();
    EXPECT_TRUE(watch.seen());
    EXPECT_EQ(Messages(), std::vector<std::string>{"Задано недопустимое имя файла"});
    EXPECT_TRUE(std::filesystem::exists(folder / "COPY.QOR"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "outside.QOR"));
    EXPECT_EQ(form.document().Doc.FileName, (folder / "COPY.QOR").string());
    EXPECT_EQ(store.Settings().Option(TSettings::OptBackupOnSave), 0);
    EXPECT_EQ(TfmSaveChoice::WithQorExtension("name.txt"), "name.QOR");
}

} // namespace
} // namespace qv::testing
