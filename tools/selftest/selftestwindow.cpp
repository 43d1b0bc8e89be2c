#include "selftestwindow.h"

#include "infra/safefile.h"
#include "selfchecks.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qvselftest {

QString WriteReport(const QString &path, const QString &text)
{
    // A device (/dev/null) or a pipe is written directly, "-" is standard
    // output; a regular file is replaced in one step.
    const QByteArray bytes = text.toUtf8();
    const std::string problem =
        qv::WriteOutputFile(path.toStdString(), std::string_view(bytes.constData(), bytes.size()));
    if (!problem.empty())
        return QStringLiteral("Не удалось записать отчёт: ") + QString::fromStdString(problem);
    return {};
}

SelfTestWindow::SelfTestWindow(qv::TCP &tester, QString address, QString reportPath,
                               QWidget *parent)
    : QWidget(parent)
    , m_tester(tester)
    , m_address(std::move(address))
    , m_reportPath(std::move(reportPath))
{
    setObjectName(QStringLiteral("fmSelfTest"));
    setWindowTitle(QStringLiteral("Диагностика системы"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Блок диагностики: ") + m_address, this));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lbChecks"));
    layout->addWidget(m_list);
    m_status = new QLabel(this);
    m_status->setWordWrap(true);
    layout->addWidget(m_status);
    auto *buttons = new QHBoxLayout;
    auto *again = new QPushButton(QStringLiteral("&Повторить"), this);
    auto *close = new QPushButton(QStringLiteral("&Закрыть"), this);
    buttons->addStretch();
    buttons->addWidget(again);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(again, &QPushButton::clicked, this, [this] { run(); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    resize(520, 320);
}

void SelfTestWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        QTimer::singleShot(100, this, [this] { run(); });
    }
}

void SelfTestWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SelfTestWindow::run()
{
    m_list->clear();
    m_status->setText(QStringLiteral("Проверка..."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto results = RunSelfChecks(m_tester, [this](const CheckResult &result) {
        auto *item = new QListWidgetItem(
            result.name + QStringLiteral(": ") +
                (result.passed ? QStringLiteral("норма") : QStringLiteral("ОШИБКА")) +
                (result.detail.isEmpty() ? QString() : QStringLiteral("\n    ") + result.detail),
            m_list);
        item->setForeground(result.passed ? QColor(0, 110, 0) : QColor(180, 0, 0));
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    QApplication::restoreOverrideCursor();
    const QString problem = WriteReport(m_reportPath, ReportText(m_address, results));
    m_status->setText((AllPassed(results) ? QStringLiteral("Блок исправен. ")
                                          : QStringLiteral("Обнаружены неисправности. ")) +
                      (problem.isEmpty() ? QStringLiteral("Отчёт: ") + m_reportPath : problem));
}

} // namespace qvselftest
