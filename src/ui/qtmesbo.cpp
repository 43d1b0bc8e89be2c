#include "ui/qtmesbo.h"

#include "execution/threads/postcall.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace qv {

QtMesbo::QtMesbo(QWidget *(*parentProvider)())
    : m_parentProvider(parentProvider)
{}

int QtMesbo::Show(const std::string &text, int flags, const std::string &caption)
{
    auto *app = QCoreApplication::instance();
    if (app == nullptr)
        return ShowOnGuiThread(text, flags, caption);
    int result = DefaultButton(flags);
    CallAndWait(app, [&] { result = ShowOnGuiThread(text, flags, caption); });
    return result;
}

int QtMesbo::ShowOnGuiThread(const std::string &text, int flags, const std::string &caption)
{
    QMessageBox box(m_parentProvider ? m_parentProvider() : nullptr);
    box.setWindowTitle(QString::fromStdString(caption));
    // Texts end their lines in CR LF; the box breaks lines at LF alone.
    box.setText(QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    switch (flags) {
    case MbError:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MbErrorRetryCancel:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Retry);
        break;
    case MbQuestion:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MbWarning:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    default:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    const auto rename = [&box](QMessageBox::StandardButton which, const QString &text) {
        if (auto *button = box.button(which))
            button->setText(text);
    };
    rename(QMessageBox::Yes, QStringLiteral("Да"));
    rename(QMessageBox::No, QStringLiteral("Нет"));
    rename(QMessageBox::Retry, QStringLiteral("Повтор"));
    rename(QMessageBox::Cancel, QStringLiteral("Отмена"));
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return MbCancel;
    case QMessageBox::Retry:
        return MbRetry;
    case QMessageBox::Yes:
        return MbYes;
    case QMessageBox::No:
        return MbNo;
    default:
        return flags == MbErrorRetryCancel ? MbCancel : (flags == MbQuestion ? MbNo : MbOk);
    }
}

} // namespace qv
