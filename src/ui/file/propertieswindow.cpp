#include "ui/file/propertieswindow.h"

#include "model/core/records.h"
#include "model/file/container.h"
#include "model/file/datetext.h"
#include "model/test/sqor.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv::file {
namespace {

// An unknown moment (day count 0) is shown as nothing.
QString DateText(double dayCount)
{
    return dayCount == 0 ? QString() : QString::fromStdString(DateTimeText(dayCount));
}

QLineEdit *DisabledField(const std::string &text, QWidget *parent)
{
    auto *field = new QLineEdit(QString::fromStdString(text), parent);
    field->setEnabled(false);
    // A text longer than the field shows its start (the operator cannot
    // scroll a disabled field), and the whole of it as the hint.
    field->setCursorPosition(0);
    field->setToolTip(field->text());
    return field;
}

} // namespace

TfmFileProperties::TfmFileProperties(const SQor *doc, const SCnt &cnt, std::uint8_t flags,
                                     QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmFileInfo"));
    setWindowTitle(QStringLiteral("Свойства файла"));
    auto *layout = new QVBoxLayout(this);

    m_testGroup = new QGroupBox(QStringLiteral("Тестовый файл"), this);
    auto *test = new QFormLayout(m_testGroup);
    m_created = new QLabel(doc ? DateText(doc->FCreate) : QString(), m_testGroup);
    test->addRow(QStringLiteral("Дата создания:"), m_created);
    test->addRow(QStringLiteral("Дата последнего редактирования:"),
                 new QLabel(doc ? DateText(doc->FModified) : QString(), m_testGroup));
    m_title = DisabledField(doc ? doc->FTitle : std::string(), m_testGroup);
    test->addRow(QStringLiteral("Название:"), m_title);
    m_author = DisabledField(doc ? doc->FAuthor : std::string(), m_testGroup);
    test->addRow(QStringLiteral("Автор изменений:"), m_author);
    test->addRow(QStringLiteral("Версия файла:"),
                 new QLabel(doc ? QString::fromStdString(doc->FVersion) : QString(), m_testGroup));
    layout->addWidget(m_testGroup);
    m_testGroup->setVisible(doc != nullptr);

    auto *contacts = new QGroupBox(QStringLiteral("Файл контактов"), this);
    auto *cntForm = new QFormLayout(contacts);
    m_cntCreated = new QLabel(DateText(cnt.Created), contacts);
    cntForm->addRow(QStringLiteral("Дата создания:"), m_cntCreated);
    cntForm->addRow(QStringLiteral("Дата последнего редактирования:"),
                    new QLabel(DateText(cnt.Modified), contacts));
    layout->addWidget(contacts);

    auto *access = new QGroupBox(QStringLiteral("Доступ"), this);
    auto *accessLayout = new QVBoxLayout(access);
    m_read = new QCheckBox(QStringLiteral("Ограничить доступ на чтение"), access);
    m_read->setChecked(doc != nullptr && (flags & kFlagReadPassword) != 0);
    m_read->setEnabled(false);
    m_write = new QCheckBox(QStringLiteral("Ограничить доступ на запись"), access);
    m_write->setChecked(doc != nullptr && (flags & kFlagWritePassword) != 0);
    m_write->setEnabled(false);
    accessLayout->addWidget(m_read);
    accessLayout->addWidget(m_write);
    layout->addWidget(access);

    // Nothing here is editable, so OK and Escape both just close.
    auto *ok = new QPushButton(QStringLiteral("&ОК"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace qv::file
