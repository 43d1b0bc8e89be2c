#include "ui/desk/window/diagnosiscommands.h"

#include "model/document/quorvik.h"
#include "ui/desk/infopanel.h"
#include "ui/desk/mainactions.h"
#include "ui/diagnosis/diagnosiswindow.h"
#include "ui/views/diagramview.h"

#include <QAction>

namespace qv::desk {

DiagnosisCommands::DiagnosisCommands(Parts parts, std::function<bool()> fileOpen)
    : QObject(&parts.window)
    , m_parts(parts)
    , m_fileOpen(std::move(fileOpen))
{
    connect(m_parts.actions.diagnosis, &QAction::triggered, this, [this] { OpenDiagnosis(); });
    connect(m_parts.actions.coverage, &QAction::triggered, this, [this] { OpenCoverage(); });
    connect(&m_parts.info, &InfoPanel::DiagnosisRequested, this, [this] { OpenDiagnosis(); });
}

void DiagnosisCommands::SetDiagnosis(diagnosis::Diagnosis diagnosis)
{
    m_last = std::move(diagnosis);
    m_parts.diagram.SetSuspectContacts(Suspects());
}

std::vector<int> DiagnosisCommands::Suspects() const
{
    return diagnosis::SuspectContacts(m_last);
}

void DiagnosisCommands::OpenDiagnosis()
{
    if (m_fileOpen && !m_fileOpen())
        return;
    diagnosis::DiagnosisWindow window(m_parts.document, m_last, &m_parts.window);
    window.exec();
}

void DiagnosisCommands::OpenCoverage()
{
    if (m_fileOpen && !m_fileOpen())
        return;
    const TQuorvik &doc = m_parts.document;
    std::vector<int> tests;
    if (doc.CurrentTest() >= 0) {
        tests.push_back(doc.CurrentTest());
    } else {
        for (int t = 0; t < doc.Doc().NTest; ++t)
            tests.push_back(t);
    }
    diagnosis::CoverageWindow window(doc, tests, &m_parts.window);
    window.exec();
}

} // namespace qv::desk
