#include "ui/qtmesbo.h"

#include "execution/threads/postcall.h"
#include "infra/mesboflags.h"

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
    switch (flags & MbIconMask) {
    case MbError:
        box.setIcon(QMessageBox::Critical);
        break;
    case MbQuestionIcon:
        box.setIcon(QMessageBox::Question);
        break;
    case MbWarning:
        box.setIcon(QMessageBox::Warning);
        break;
    default:
        box.setIcon(QMessageBox::Information);
        break;
    }
    switch (flags & MbButtonsMask) {
    case 3:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case 4:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case 5:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (DefaultButton(flags)) {
    case MbYes:
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case MbNo:
        box.setDefaultButton(QMessageBox::No);
        break;
    case MbRetry:
        box.setDefaultButton(QMessageBox::Retry);
        break;
    case MbCancel:
        box.setDefaultButton(QMessageBox::Cancel);
        break;
    default:
        break;
    }
    // Closing the box by its frame or Esc answers as the safe button.
    if ((flags & MbButtonsMask) == 3 || (flags & MbButtonsMask) == 5)
        box.setEscapeButton(QMessageBox::Cancel);
    else if ((flags & MbButtonsMask) == 4)
        box.setEscapeButton(QMessageBox::No);
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
    case QMessageBox::Ok:
        return MbOk;
    default:
        switch (flags & MbButtonsMask) {
        case 3:
        case 5:
            return MbCancel;
        case 4:
            return MbNo;
        default:
            return MbOk;
        }
    }
}

} // namespace qv
