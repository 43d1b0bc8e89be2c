#include "ui/settings/paramswindow.h"

#include "infra/mesbo.h"
#include "infra/version.h"
#include "results/databaseurl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace qv::settings {

const char *const kW5CurrentControlQuestion =
    "Программа обнаружила, что используется система диагностики W5. Данная система диагностики "
    "не поддерживает контроль токов. Вы настаиваете на включении данного режима?";

namespace {

constexpr int kBoxLeft = 10;
constexpr int kBoxStep = 24;
constexpr int kFirstGroupTop = 10;
constexpr int kSecondGroupTop = 30;
constexpr int kFirstGroupSize = 4;

} // namespace

TfmParams::TfmParams(const TSettings &settings, const TesterSettings &tester, bool dosUnit,
                     bool modelW5, int page, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_tester(tester)
    , m_openingColours(settings.Colours)
    , m_colours(settings.Colours)
    , m_painter(m_colours, m_pictures)
    , m_dosUnit(dosUnit)
    , m_modelW5(modelW5)
{
    setObjectName(QStringLiteral("fmParams"));
    setWindowTitle(QStringLiteral("Параметры"));
    auto *layout = new QVBoxLayout(this);
    m_pages = new QTabWidget(this);
    m_pages->setTabPosition(QTabWidget::South);
    m_pages->addTab(BuildGeneralPage(), QStringLiteral("Общие"));
    m_pages->addTab(BuildSystemPage(), QStringLiteral("Система"));
    m_pages->addTab(BuildColourPage(), QStringLiteral("Цвета"));
    m_pages->addTab(BuildUnitPage(), QStringLiteral("Блок диагностики"));
    m_pages->addTab(BuildResultsPage(), QStringLiteral("Результаты"));
    m_pages->setCurrentIndex(page >= PageGeneral && page <= PageResults ? page : PageGeneral);
    layout->addWidget(m_pages);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btOk"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("btCancel"));
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &TfmParams::accept);
    connect(cancel, &QPushButton::clicked, this, &TfmParams::reject);
}

TfmParams::~TfmParams() = default;

int TfmParams::Page() const
{
    return m_pages->currentIndex();
}

QWidget *TfmParams::BuildGeneralPage()
{
    auto *page = new QWidget;
    const auto &keys = TSettings::OptionKeys();
    int y = 0;
    for (int i = 0; i < static_cast<int>(m_options.size()); ++i) {
        auto *box = new QCheckBox(
            QString::fromUtf8(keys[static_cast<std::size_t>(i)].data(),
                              static_cast<qsizetype>(keys[static_cast<std::size_t>(i)].size())),
            page);
        box->setObjectName(QStringLiteral("cbOption%1").arg(i));
        box->setChecked(m_settings.Option(i) != 0);
        y = (i < kFirstGroupSize ? kFirstGroupTop : kSecondGroupTop) + i * kBoxStep;
        box->move(kBoxLeft, y);
        box->adjustSize();
        m_options[static_cast<std::size_t>(i)] = box;
    }
    connect(m_options[TSettings::OptCurrentControl], &QCheckBox::clicked, this,
            &TfmParams::OnCurrentControlClicked);
    y += 2 * kBoxStep;
    auto *label =
        new QLabel(QStringLiteral("Показывать прогоны для О-слов") + QLatin1Char(':'), page);
    label->move(kBoxLeft, y + 3);
    label->adjustSize();
    m_passes = new QComboBox(page);
    m_passes->setObjectName(QStringLiteral("cbPasses"));
    m_passes->addItems({QStringLiteral("циклы"), QStringLiteral("время")});
    m_passes->setCurrentIndex(m_settings.Option(TSettings::OptWaitsAsTimes) != 0 ? 1 : 0);
    m_passes->move(kBoxLeft + label->width() + 8, y);
    m_passes->adjustSize();
    // The data editor's command; empty finds one.
    y += m_passes->height() + 10;
    auto *editorLabel = new QLabel(QStringLiteral("Редактор данных:"), page);
    editorLabel->move(kBoxLeft, y + 3);
    editorLabel->adjustSize();
    m_dataEditor = new QLineEdit(QString::fromStdString(m_settings.DataEditor), page);
    m_dataEditor->setObjectName(QStringLiteral("edDataEditor"));
    m_dataEditor->setPlaceholderText(
        QStringLiteral("первый установленный шестнадцатеричный редактор"));
    m_dataEditor->setToolTip(
        QStringLiteral("Команда запуска; имя файла данных добавляется в конце"));
    m_dataEditor->move(kBoxLeft + editorLabel->width() + 8, y);
    m_dataEditor->resize(600 - editorLabel->width() - 8 - kBoxLeft,
                         m_dataEditor->sizeHint().height());
    page->setMinimumSize(620, y + m_dataEditor->height() + 10);
    return page;
}

void TfmParams::OnCurrentControlClicked(bool checked)
{
    if (!checked || !m_modelW5)
        return;
    if (Mesbo().Show(kW5CurrentControlQuestion, MbQuestion, kProductName) != MbYes)
        m_options[TSettings::OptCurrentControl]->setChecked(false);
}

QWidget *TfmParams::BuildResultsPage()
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    m_operator = new QLineEdit(QString::fromStdString(m_settings.Operator), page);
    m_operator->setObjectName(QStringLiteral("edOperator"));
    m_operator->setPlaceholderText(QStringLiteral("пользователь системы"));
    form->addRow(QStringLiteral("Оператор:"), m_operator);
    m_resultsDatabase = new QLineEdit(QString::fromStdString(m_settings.ResultsDatabase), page);
    m_resultsDatabase->setObjectName(QStringLiteral("edResultsDatabase"));
    m_resultsDatabase->setPlaceholderText(
        QString::fromStdString(results::DefaultDatabase().Text()));
    m_resultsDatabase->setToolTip(
        QStringLiteral("Файл SQLite или postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР:ПОРТ/БАЗА; "
                       "пароль хранится в ~/.pgpass"));
    m_resultsDatabase->setMinimumWidth(420);
    form->addRow(QStringLiteral("База результатов:"), m_resultsDatabase);
    m_askSerial =
        new QCheckBox(QStringLiteral("Спрашивать заводской номер платы перед запуском"), page);
    m_askSerial->setObjectName(QStringLiteral("cbAskSerial"));
    m_askSerial->setChecked(m_settings.AskSerial);
    form->addRow(m_askSerial);
    return page;
}

bool TfmParams::CheckResultsDatabase()
{
    const std::string text = m_resultsDatabase->text().trimmed().toStdString();
    std::string problem;
    if (text.empty() || results::ParseDatabaseUrl(text, &problem))
        return true;
    m_pages->setCurrentIndex(PageResults);
    Mesbo().Show("База результатов: " + problem, MbError, kProductName);
    m_resultsDatabase->setFocus();
    return false;
}

void TfmParams::TakeResults()
{
    m_settings.Operator = m_operator->text().trimmed().toStdString();
    m_settings.ResultsDatabase = m_resultsDatabase->text().trimmed().toStdString();
    m_settings.AskSerial = m_askSerial->isChecked();
}

void TfmParams::accept()
{
    if (!CheckThresholds() || !CheckAddress() || !CheckResultsDatabase())
        return;
    TakeGeneral();
    TakeSystem();
    TakeResults();
    m_settings.Colours = m_colours;
    QDialog::accept();
}

void TfmParams::reject()
{
    if (!(m_colours == m_openingColours)) {
        m_colours = m_openingColours;
        emit ColoursChanged(m_colours);
    }
    QDialog::reject();
}

void TfmParams::TakeGeneral()
{
    for (int i = 0; i < static_cast<int>(m_options.size()); ++i)
        m_settings.SetOption(i, m_options[static_cast<std::size_t>(i)]->isChecked() ? 1 : 0);
    m_settings.SetOption(TSettings::OptWaitsAsTimes, m_passes->currentIndex() == 1 ? 1 : 0);
    m_settings.DataEditor = m_dataEditor->text().trimmed().toStdString();
}

} // namespace qv::settings
