#pragma once

// The save choice dialog (TfmSaveChoice): what a save writes besides the
// reference data (debug values, function data, V-function data, probe
// data), under which name in the test file's folder, for one test or all
// and one cycle or all, and whether a backup copy is made first. Debug and
// probe data can only be chosen in debug mode.

#include "model/file/testfileui.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace qv::debug {

class TfmSaveChoice : public QDialog
{
    Q_OBJECT

public:
    // Lines of the list, bit i of the result for line i.
    static constexpr int kLines = 4;

    // The request's parameters are written back on OK; `caption` is the
    // save command's caption without "&".
    TfmSaveChoice(SaveChoiceRequest &request, const QString &caption, QWidget *parent = nullptr);

    QListWidget *Kinds() const { return m_kinds; }
    QComboBox *FileName() const { return m_fileName; }
    QCheckBox *ActiveTest() const { return m_activeTest; }
    QSpinBox *TestNumber() const { return m_testNumber; }
    QCheckBox *ActiveCycle() const { return m_activeCycle; }
    QCheckBox *Backup() const { return m_backup; }
    QPushButton *OkButton() const { return m_ok; }

    // The name as the box makes it on leaving: ".QOR" forced.
    static QString WithQorExtension(const QString &name);
    // Whether a file of that name can be made (tried in the temporary folder).
    static bool UsableFileName(const QString &name);

private:
    void KindTicked(int line);
    void TryAccept();

    SaveChoiceRequest &m_request;
    QListWidget *m_kinds = nullptr;
    QComboBox *m_fileName = nullptr;
    QCheckBox *m_activeTest = nullptr;
    QSpinBox *m_testNumber = nullptr;
    QCheckBox *m_activeCycle = nullptr;
    QCheckBox *m_backup = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace qv::debug
