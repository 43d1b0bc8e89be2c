#include "ui/debug/savechoice.h"

#include "infra/mesbo.h"
#include "infra/version.h"
#include "model/core/records.h"
#include "model/functions/datafilename.h"
#include "ui/debug/okcancel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <filesystem>

namespace qv::debug {
namespace {

constexpr int kDebugLine = 0;
constexpr int kProbeLine = 3;

} // namespace

TfmSaveChoice::TfmSaveChoice(SaveChoiceRequest &request, const QString &caption, QWidget *parent)
    : QDialog(parent)
    , m_request(request)
{
    setObjectName(QStringLiteral("fmSaveChoice"));
    setWindowTitle(caption);
    auto *layout = new QVBoxLayout(this);
    auto *notice = new QLabel(
        QStringLiteral("Внимание! При записи файла всегда переписываются выходные данные "
                       "(о-слова). Для записи в файл других данных установите переключатель в "
                       "соответствующей строке."),
        this);
    notice->setWordWrap(true);
    layout->addWidget(notice);

    m_kinds = new QListWidget(this);
    for (const char *line :
         {"отладочные данные (i, g, G)", "M, F, P-функции", "V-функции", "данные зондов"}) {
        auto *item = new QListWidgetItem(QString::fromUtf8(line), m_kinds);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    connect(m_kinds, &QListWidget::itemChanged, this,
            [this](QListWidgetItem *item) { KindTicked(m_kinds->row(item)); });
    layout->addWidget(m_kinds);

    layout->addWidget(new QLabel(QStringLiteral("Имя диагностического файла:"), this));
    m_fileName = new QComboBox(this);
    m_fileName->setEditable(true);
    const QDir folder(QString::fromStdString(request.Folder));
    m_fileName->addItems(folder.entryList({QStringLiteral("*.QOR"), QStringLiteral("*.qor")},
                                          QDir::Files, QDir::Name));
    m_fileName->setEditText(QString::fromStdString(request.FileName));
    connect(m_fileName->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { m_fileName->setEditText(WithQorExtension(m_fileName->currentText())); });
    layout->addWidget(m_fileName);

    auto *testLine = new QHBoxLayout;
    m_activeTest = new QCheckBox(QStringLiteral("Сохранить данные только активного теста:"), this);
    m_testNumber = new QSpinBox(this);
    m_testNumber->setRange(1, std::max(1, request.NTest));
    m_testNumber->setValue(request.ActiveTest >= 0 ? request.ActiveTest + 1 : 1);
    m_testNumber->setEnabled(false);
    testLine->addWidget(m_activeTest);
    testLine->addWidget(m_testNumber);
    layout->addLayout(testLine);
    m_activeCycle = new QCheckBox(QStringLiteral("Сохранить данные только активного цикла"), this);
    m_activeCycle->setEnabled(false);
    layout->addWidget(m_activeCycle);
    connect(m_activeTest, &QCheckBox::toggled, this, [this](bool on) {
        m_testNumber->setEnabled(on);
        if (!on)
            m_activeCycle->setChecked(false);
        m_activeCycle->setEnabled(on);
    });
    m_backup = new QCheckBox(QStringLiteral("Создать резервную копию файла"), this);
    m_backup->setChecked(request.Backup);
    layout->addWidget(m_backup);

    m_ok = AddOkCancel(this, layout);
    connect(m_ok, &QPushButton::clicked, this, &TfmSaveChoice::TryAccept);
}

QString TfmSaveChoice::WithQorExtension(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return trimmed;
    const QFileInfo info(trimmed);
    const QString suffix = info.suffix();
    const QString stem =
        suffix.isEmpty() ? trimmed : trimmed.left(trimmed.size() - suffix.size() - 1);
    return stem + QStringLiteral(".QOR");
}

bool TfmSaveChoice::UsableFileName(const QString &name)
{
    const QTemporaryDir scratch;
    const std::filesystem::path folder = scratch.path().toStdString();
    return scratch.isValid() && IsValidFileName(name.toStdString(), folder, folder);
}

void TfmSaveChoice::KindTicked(int line)
{
    if (line != kDebugLine && line != kProbeLine)
        return;
    if (m_request.Param == nullptr || m_request.Param->DebugMode ||
        m_kinds->item(line)->checkState() != Qt::Checked)
        return;
    const QSignalBlocker block(m_kinds);
    m_kinds->item(kDebugLine)->setCheckState(Qt::Unchecked);
    m_kinds->item(kProbeLine)->setCheckState(Qt::Unchecked);
    Mesbo().Show("Программа работает в режиме диагностики. Запись отладочных данных невозможна",
                 MbError, kProductName);
}

void TfmSaveChoice::TryAccept()
{
    const QString name = WithQorExtension(m_fileName->currentText());
    m_fileName->setEditText(name);
    if (!UsableFileName(name)) {
        Mesbo().Show("Задано недопустимое имя файла", MbError, kProductName);
        return;
    }
    std::int32_t kinds = 0;
    for (int line = 0; line < kLines; ++line) {
        if (m_kinds->item(line)->checkState() == Qt::Checked)
            kinds |= 1 << line;
    }
    if (SSaveParam *param = m_request.Param) {
        param->Kinds = kinds;
        param->FileName = name.toStdString();
        param->Test = m_activeTest->isChecked() ? m_testNumber->value() - 1 : -1;
        if (!m_activeCycle->isChecked())
            param->Cycle = -1;
    }
    m_request.Backup = m_backup->isChecked();
    accept();
}

} // namespace qv::debug
