#include "ui/desk/exportcommand.h"

#include "infra/mesbo.h"
#include "infra/version.h"
#include "model/document/quorvik.h"
#include "model/export/testexport.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

namespace qv::desk {

ExportCommand::ExportCommand(const TQuorvik &document, QMenu &fileMenu, QAction *before,
                             QWidget *window)
    : QObject(window)
    , m_document(document)
    , m_window(window)
    , m_action(new QAction(QString::fromUtf8(kCaption), window))
{
    m_action->setObjectName(QStringLiteral("acExport"));
    fileMenu.insertAction(before, m_action);
    connect(m_action, &QAction::triggered, this, [this] { Run(); });
    connect(&fileMenu, &QMenu::aboutToShow, this, [this] { UpdateEnabled(); });
    m_chooser = [this](const QString &suggested, QString *filter) {
        return QFileDialog::getSaveFileName(m_window, QStringLiteral("Экспорт теста"), suggested,
                                            QString::fromUtf8(kVcdFilter) + QStringLiteral(";;") +
                                                QString::fromUtf8(kCsvFilter),
                                            filter);
    };
    UpdateEnabled();
}

void ExportCommand::UpdateEnabled()
{
    m_action->setEnabled(!m_document.Doc().FileName.empty() &&
                         m_document.Test(m_document.CurrentTest()) != nullptr);
}

QString ExportCommand::SuggestedPath() const
{
    const QFileInfo file(QString::fromStdString(m_document.Doc().FileName));
    return file.dir().filePath(file.completeBaseName() + QStringLiteral("_test") +
                               QString::number(m_document.CurrentTest() + 1) +
                               QStringLiteral(".vcd"));
}

bool ExportCommand::Run()
{
    UpdateEnabled();
    if (!m_action->isEnabled())
        return false;
    QString filter;
    QString path = m_chooser(SuggestedPath(), &filter);
    if (path.isEmpty())
        return false;
    const QString suffix = QFileInfo(path).suffix().toLower();
    ExportFormat format = suffix == QStringLiteral("csv") ? ExportFormat::Csv : ExportFormat::Vcd;
    if (suffix != QStringLiteral("csv") && suffix != QStringLiteral("vcd")) {
        // No known extension: the chosen filter decides and gives it.
        format = filter == QString::fromUtf8(kCsvFilter) ? ExportFormat::Csv : ExportFormat::Vcd;
        path += format == ExportFormat::Csv ? QStringLiteral(".csv") : QStringLiteral(".vcd");
    }
    if (const auto problem =
            ExportTest(m_document, m_document.CurrentTest(), format, path.toStdString())) {
        Mesbo().Show(*problem, MbError, kProductName);
        return false;
    }
    // The file appears somewhere else than the window: the operator is told.
    Mesbo().Show("Тест " + std::to_string(m_document.CurrentTest() + 1) + " записан в файл " +
                     QDir::toNativeSeparators(path).toStdString(),
                 MbInformation, kProductName);
    return true;
}

} // namespace qv::desk
