#pragma once

// A main window over a settings store in a temporary folder, with a copy of
// the demo board (test file, contacts, comments, data files) beside it and a
// scripted message box that records what the window showed.

#include "execution/desk/settingsstore.h"
#include "support/common/tempdir.h"
#include "support/model/scopedmesbo.h"
#include "ui/desk/mainwindow.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace qv::testing {

// Whether some pixel of `area` is clearly red (painted text, say).
bool HasRedText(const QImage &image, const QRect &area);

class DeskFixture : public ::testing::Test
{
protected:
    DeskFixture();
    ~DeskFixture() override;

    // The demo board copied into folder `sub` of the temporary folder (once
    // per folder); returns the path of its test file.
    QString Demo(const std::string &sub = "demo");
    // Writes the settings file (UTF-8 text stored in Windows-1251) and loads
    // the store from it.
    void WriteSettings(const std::string &text);
    // Creates and shows the window over the store.
    TBaseForm &Window();
    // Opens the demo board in the window; fails the test when it does not open.
    TBaseForm &WindowWithDemo();
    // Texts of the messages shown so far.
    std::vector<std::string> Messages() const;
    // Makes the setting "Редактор данных" a script that writes the file it
    // was started on, whole, to `marker` ("editor-ran" in the temporary
    // folder); DataEditorRanOn waits for that.
    void UseFakeDataEditor();
    ::testing::AssertionResult DataEditorRanOn(const std::string &file) const;

    TempDir dir;
    SettingsStore store{dir.File("quorvik.cfg"), dir.File("quorvik.ini")};
    ScopedMesbo mesbo;
    std::unique_ptr<TBaseForm> window;
    const std::string marker = dir.File("editor-ran");
};

} // namespace qv::testing
