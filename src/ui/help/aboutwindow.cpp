#include "ui/help/aboutwindow.h"

#include "infra/version.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>
#include <openssl/crypto.h>

namespace qv::help {
namespace {

// The day this window was compiled, which is the program's build day.
constexpr const char *kBuildDate = __DATE__;

} // namespace

QStringList TfmAbout::Lines()
{
    return {QString::fromLatin1(kProductName),
            QStringLiteral("Версия ") + QString::fromLatin1(kProductVersion),
            QStringLiteral("Дата сборки: ") + BuildDate(kBuildDate),
            QStringLiteral("Qt ") + QString::fromLatin1(qVersion()),
            QString::fromLatin1(OpenSSL_version(OPENSSL_VERSION))};
}

QString TfmAbout::BuildDate(const char *compilerDate)
{
    const QString text = QString::fromLatin1(compilerDate).simplified();
    const QDate date = QLocale::c().toDate(text, QStringLiteral("MMM d yyyy"));
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : text;
}

TfmAbout::TfmAbout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral("О программе"));
    auto *layout = new QVBoxLayout(this);
    for (const QString &line : Lines())
        layout->addWidget(new QLabel(line, this));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace qv::help
