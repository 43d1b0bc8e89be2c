#pragma once

// What the main window's "Диагноз" and "Покрытие" commands do, and a click
// on the error count: the diagnosis of the last run in its window, with its
// suspect contacts marked on the diagram's level lines and in the contact
// table; the fault coverage of the current test (or of every test) in its
// window. Keeps the last run's diagnosis until the next run or file.

#include "model/diagnosis/diagnosis.h"

#include <QObject>
#include <functional>
#include <vector>

class QWidget;

namespace qv {

class DiagramView;
class TQuorvik;

namespace desk {

class InfoPanel;
struct MainActions;

class DiagnosisCommands : public QObject
{
public:
    struct Parts
    {
        QWidget &window; // parents the windows and this object
        const TQuorvik &document;
        const MainActions &actions;
        DiagramView &diagram;
        InfoPanel &info;
    };
    // fileOpen: whether a file is open (the commands do nothing without).
    DiagnosisCommands(Parts parts, std::function<bool()> fileOpen);

    // The diagnosis of a run that ended; an empty one clears the marks.
    void SetDiagnosis(diagnosis::Diagnosis diagnosis);
    const diagnosis::Diagnosis &Last() const { return m_last; }
    std::vector<int> Suspects() const;

    // The windows, modal.
    void OpenDiagnosis();
    void OpenCoverage();

private:
    Parts m_parts;
    std::function<bool()> m_fileOpen;
    diagnosis::Diagnosis m_last;
};

} // namespace desk
} // namespace qv
