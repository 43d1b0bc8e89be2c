#include "ui/fatalwindow.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv {

TfmMsgException::TfmMsgException(const QString &failureText, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmMsgException"));
    setWindowTitle(QStringLiteral("Критический сбой в программе"));
    setModal(true);

    // The text's lines end in CR LF; a label breaks lines at LF alone (a CR
    // would be drawn as a mark of its own by some fonts).
    auto *text = new QLabel(
        QStringLiteral("Во время выполнения программы возникла неустранимая ошибка.\r\n"
                       "При продолжении работы с приложением возможна нестабильность.\r\n"
                       "Рекомендуется закрыть программу.\r\n"
                       "Для устранения ошибки обратитесь к разработчикам.")
            .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    text->setObjectName(QStringLiteral("lbText"));
    text->setWordWrap(true);

    auto *group = new QGroupBox(QStringLiteral("Системное сообщение об ошибке:"));
    m_failure = new QLabel(QLatin1Char('"') + failureText + QStringLiteral("\"\n") + failureText);
    m_failure->setWordWrap(true);
    m_failure->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_failure);

    m_continue = new QPushButton(QStringLiteral("&Продолжить работу"));
    m_close = new QPushButton(QStringLiteral("&Закрыть программу"));
    m_continue->setDefault(true);
    connect(m_continue, &QPushButton::clicked, this, [this] {
        m_choice = FatalChoice::Continue;
        accept();
    });
    connect(m_close, &QPushButton::clicked, this, [this] {
        m_choice = FatalChoice::Close;
        accept();
    });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_continue);
    buttons->addWidget(m_close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(group); // the layout lets the group grow with its text
    layout->addLayout(buttons);
    setMinimumWidth(480);
}

QString TfmMsgException::FailureText() const
{
    return m_failure->text();
}

FatalChoice TfmMsgException::Ask(const std::string &failureText)
{
    TfmMsgException window(QString::fromStdString(failureText));
    window.exec();
    return window.Choice();
}

} // namespace qv
