#include "ui/results/journalwindow.h"

#include "infra/mesbo.h"
#include "infra/version.h"
#include "results/diagnosislines.h"
#include "results/runtable.h"
#include "ui/results/journalcharts.h"
#include "ui/results/journalmodel.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDate>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace qv::results_ui {

namespace {

// The verdicts of the filter: its title and the stored name ("" = any).
const std::vector<std::pair<QString, std::string>> &VerdictChoices()
{
    static const std::vector<std::pair<QString, std::string>> choices{
        {QStringLiteral("все"), ""},          {QStringLiteral("годна"), "passed"},
        {QStringLiteral("ошибки"), "errors"}, {QStringLiteral("прерван"), "interrupted"},
        {QStringLiteral("сбой"), "failed"},   {QStringLiteral("не выполнен"), "not-run"}};
    return choices;
}

// Bars on a chart stay readable up to about this many.
constexpr int kParetoBars = 15;
constexpr int kSerialRuns = 2000;

QString Number(const std::optional<std::int32_t> &value)
{
    return value ? QString::number(*value) : QStringLiteral("-");
}

// A chart view gives the chart it showed back to the caller when it takes a
// new one: delete that one, or every refresh keeps the chart before it.
void ShowChart(QChartView *view, QChart *chart)
{
    QChart *shown = view->chart();
    view->setChart(chart);
    delete shown;
}

} // namespace

JournalWindow::JournalWindow(const results::DatabaseUrl &url, QWidget *parent)
    : QDialog(parent)
    , m_model(new JournalModel(this))
{
    setObjectName(QStringLiteral("fmJournal"));
    setWindowTitle(QString::fromUtf8(kTitle));
    setAttribute(Qt::WA_DeleteOnClose, false);
    resize(1100, 700);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(BuildFilters());
    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("lbProblem"));
    m_problem->setStyleSheet(QStringLiteral("color: #b00000"));
    m_problem->setWordWrap(true);
    m_problem->hide();
    layout->addWidget(m_problem);
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("pcJournal"));
    m_pages->addTab(BuildRunsPage(), QStringLiteral("Прогоны"));
    m_pages->addTab(BuildYieldPage(), QStringLiteral("Выход годных"));
    m_pages->addTab(BuildParetoPage(), QStringLiteral("Отказы"));
    m_pages->addTab(BuildSerialPage(), QStringLiteral("Плата"));
    layout->addWidget(m_pages, 1);

    auto *buttons = new QHBoxLayout;
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lbCount"));
    buttons->addWidget(m_count);
    buttons->addStretch();
    auto *exportButton = new QPushButton(QStringLiteral("Экспорт CSV…"), this);
    exportButton->setObjectName(QStringLiteral("btExport"));
    exportButton->setAutoDefault(false);
    auto *close = new QPushButton(QStringLiteral("Закрыть"), this);
    close->setObjectName(QStringLiteral("btClose"));
    close->setAutoDefault(false);
    buttons->addWidget(exportButton);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(exportButton, &QPushButton::clicked, this, [this] { ExportCsv(); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pages, &QTabWidget::currentChanged, this, [this] {
        RefreshYield();
        RefreshPareto();
        RefreshSerial();
    });

    std::string problem;
    m_db = results::ResultsDatabase::Open(url, &problem);
    if (!m_db)
        ShowProblem(QStringLiteral("База результатов %1 недоступна: %2")
                        .arg(QString::fromStdString(url.Text()), QString::fromStdString(problem)));
    Apply();
}

JournalWindow::~JournalWindow() = default;

QWidget *JournalWindow::BuildFilters()
{
    auto *box = new QWidget(this);
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    const auto field = [this, box](const char *name, const QString &placeholder) {
        auto *edit = new QLineEdit(box);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setPlaceholderText(placeholder);
        edit->setClearButtonEnabled(true);
        connect(edit, &QLineEdit::returnPressed, this, &JournalWindow::Apply);
        return edit;
    };
    m_since = field("edSince", QStringLiteral("ГГГГ-ММ-ДД"));
    m_until = field("edUntil", QStringLiteral("ГГГГ-ММ-ДД"));
    m_file = field("edFile", QStringLiteral("имя файла тестов"));
    m_serial = field("edSerialFilter", QStringLiteral("заводской номер"));
    m_operator = field("edOperatorFilter", QString());
    m_host = field("edHost", QString());
    m_verdict = new QComboBox(box);
    m_verdict->setObjectName(QStringLiteral("cbVerdict"));
    for (const auto &choice : VerdictChoices())
        m_verdict->addItem(choice.first);
    const auto label = [box](const QString &text) { return new QLabel(text, box); };
    grid->addWidget(label(QStringLiteral("С:")), 0, 0);
    grid->addWidget(m_since, 0, 1);
    grid->addWidget(label(QStringLiteral("По:")), 0, 2);
    grid->addWidget(m_until, 0, 3);
    grid->addWidget(label(QStringLiteral("Файл:")), 0, 4);
    grid->addWidget(m_file, 0, 5);
    grid->addWidget(label(QStringLiteral("Номер платы:")), 0, 6);
    grid->addWidget(m_serial, 0, 7);
    grid->addWidget(label(QStringLiteral("Итог:")), 1, 0);
    grid->addWidget(m_verdict, 1, 1);
    grid->addWidget(label(QStringLiteral("Оператор:")), 1, 2);
    grid->addWidget(m_operator, 1, 3);
    grid->addWidget(label(QStringLiteral("Стенд:")), 1, 4);
    grid->addWidget(m_host, 1, 5);
    auto *applyButton = new QPushButton(QStringLiteral("Показать"), box);
    applyButton->setObjectName(QStringLiteral("btApply"));
    applyButton->setAutoDefault(false);
    connect(applyButton, &QPushButton::clicked, this, &JournalWindow::Apply);
    grid->addWidget(applyButton, 1, 7);
    return box;
}

QWidget *JournalWindow::BuildRunsPage()
{
    auto *splitter = new QSplitter(Qt::Vertical, this);
    m_table = new QTableView(splitter);
    m_table->setObjectName(QStringLiteral("sgRuns"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_details = new QPlainTextEdit(splitter);
    m_details->setObjectName(QStringLiteral("meDetails"));
    m_details->setReadOnly(true);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &JournalWindow::ShowDetails);
    return splitter;
}

QWidget *JournalWindow::BuildYieldPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    m_yieldBy = new QComboBox(page);
    m_yieldBy->setObjectName(QStringLiteral("cbYieldBy"));
    m_yieldBy->addItems({QStringLiteral("по дням"), QStringLiteral("по файлам тестов")});
    connect(m_yieldBy, &QComboBox::currentIndexChanged, this, &JournalWindow::RefreshYield);
    layout->addWidget(m_yieldBy, 0, Qt::AlignLeft);
    m_yieldView = new QChartView(page);
    m_yieldView->setObjectName(QStringLiteral("chYield"));
    m_yieldView->setRenderHint(QPainter::Antialiasing);
    layout->addWidget(m_yieldView, 1);
    return page;
}

QWidget *JournalWindow::BuildParetoPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    m_paretoOf = new QComboBox(page);
    m_paretoOf->setObjectName(QStringLiteral("cbParetoOf"));
    m_paretoOf->addItems({QStringLiteral("выходные слова"), QStringLiteral("контакты")});
    connect(m_paretoOf, &QComboBox::currentIndexChanged, this, &JournalWindow::RefreshPareto);
    layout->addWidget(m_paretoOf, 0, Qt::AlignLeft);
    m_paretoView = new QChartView(page);
    m_paretoView->setObjectName(QStringLiteral("chPareto"));
    m_paretoView->setRenderHint(QPainter::Antialiasing);
    layout->addWidget(m_paretoView, 1);
    return page;
}

QWidget *JournalWindow::BuildSerialPage()
{
    m_serialView = new QChartView(this);
    m_serialView->setObjectName(QStringLiteral("chSerial"));
    m_serialView->setRenderHint(QPainter::Antialiasing);
    return m_serialView;
}

results::RunFilter JournalWindow::Filter() const
{
    results::RunFilter filter;
    filter.since = m_since->text().trimmed().toStdString();
    filter.until = m_until->text().trimmed().toStdString();
    filter.file = m_file->text().trimmed().toStdString();
    filter.serial = m_serial->text().trimmed().toStdString();
    filter.operatorName = m_operator->text().trimmed().toStdString();
    filter.host = m_host->text().trimmed().toStdString();
    const int verdict = m_verdict->currentIndex();
    if (verdict >= 0 && static_cast<std::size_t>(verdict) < VerdictChoices().size())
        filter.verdict = VerdictChoices()[static_cast<std::size_t>(verdict)].second;
    return filter;
}

void JournalWindow::ShowProblem(const QString &text)
{
    m_problem->setText(text);
    m_problem->setVisible(!text.isEmpty());
}

void JournalWindow::Apply()
{
    for (QLineEdit *day : {m_since, m_until}) {
        const QString text = day->text().trimmed();
        if (!text.isEmpty() && !QDate::fromString(text, Qt::ISODate).isValid()) {
            Mesbo().Show("Дата записывается в виде ГГГГ-ММ-ДД, например 2026-12-01", MbError,
                         kProductName);
            day->setFocus();
            return;
        }
    }
    m_model->Reset(m_db.get(), Filter());
    m_count->setText(QStringLiteral("Прогонов: %1").arg(m_model->Total()));
    if (m_db && !m_db->LastError().empty())
        ShowProblem(QString::fromStdString(m_db->LastError()));
    m_details->clear();
    if (m_model->rowCount() > 0)
        m_table->selectRow(0);
    RefreshYield();
    RefreshPareto();
    RefreshSerial();
}

void JournalWindow::ShowDetails()
{
    const results::RunRecord *row = m_model->RunAt(m_table->currentIndex().row());
    if (row == nullptr || !m_db) {
        m_details->clear();
        return;
    }
    const auto run = m_db->Run(row->id);
    m_details->setPlainText(run ? DetailsText(*run) : QString());
    RefreshSerial();
}

QString JournalWindow::DetailsText(const results::RunRecord &run)
{
    const auto q = [](const std::string &text) { return QString::fromStdString(text); };
    QStringList lines;
    lines << QStringLiteral("Прогон %1: %2").arg(run.id).arg(q(results::VerdictTitle(run.verdict)));
    if (!run.verdictText.empty())
        lines << q(run.verdictText);
    lines << QStringLiteral("Начало: %1, конец: %2 (UTC)").arg(q(run.started), q(run.ended));
    lines << QStringLiteral("Стенд: %1, оператор: %2, номер платы: %3")
                 .arg(q(run.host), q(run.operatorName),
                      run.serial.empty() ? QStringLiteral("-") : q(run.serial));
    lines << QStringLiteral("Файл: %1 (SHA-256 %2)").arg(q(run.filePath), q(run.fileSha256));
    lines << QStringLiteral("Блок диагностики: %1 (%2)").arg(q(run.unitAddress), q(run.unitType));
    if (run.pass > 0)
        lines << QStringLiteral("Непрерывный запуск, прогон №%1").arg(run.pass);
    for (const auto &test : run.tests) {
        lines << QString();
        lines << QStringLiteral("Тест №%1 \"%2\": %3, ошибок %4")
                     .arg(test.number)
                     .arg(q(test.name), q(results::VerdictTitle(test.verdict)))
                     .arg(test.errors);
        for (const auto &word : test.wrongWords) {
            QString label = QStringLiteral("o%1").arg(word.word);
            if (!word.name.empty())
                label += QStringLiteral(" (%1)").arg(q(word.name));
            lines << QStringLiteral("  %1, цикл %2: эталон %3, прочитано %4")
                         .arg(label)
                         .arg(word.cycle)
                         .arg(Number(word.reference), Number(word.read));
        }
        for (const auto &contact : test.contacts)
            lines << QStringLiteral("  контакт %1%2: слово o%3, бит %4")
                         .arg(contact.contact)
                         .arg(contact.name.empty() ? QString()
                                                   : QStringLiteral(" (%1)").arg(q(contact.name)))
                         .arg(contact.word)
                         .arg(contact.bit);
        // A fault's line says "Диагноз"; its equivalents follow, indented.
        for (const std::string &line : results::DiagnosisLines(test, run.passes))
            lines << (line.starts_with("  ") ? QStringLiteral("  %1")
                                             : QStringLiteral("  Диагноз: %1"))
                         .arg(q(line));
    }
    return lines.join(QLatin1Char('\n'));
}

void JournalWindow::RefreshYield()
{
    if (!m_db || m_pages->currentIndex() != 1)
        return;
    const bool byFile = m_yieldBy->currentIndex() == 1;
    const auto rows =
        m_db->Yield(Filter(), byFile ? results::YieldBy::File : results::YieldBy::Day);
    ShowChart(
        m_yieldView,
        YieldChart(rows, byFile ? QStringLiteral("Выход годных с первого прогона по файлам тестов")
                                : QStringLiteral("Выход годных с первого прогона по дням (UTC)")));
}

void JournalWindow::RefreshPareto()
{
    if (!m_db || m_pages->currentIndex() != 2)
        return;
    const bool words = m_paretoOf->currentIndex() == 0;
    const auto rows = words ? m_db->FailingWords(Filter(), kParetoBars)
                            : m_db->FailingContacts(Filter(), kParetoBars);
    ShowChart(m_paretoView,
              ParetoChart(rows, words,
                          words ? QStringLiteral("Чаще всего ошибочные выходные слова")
                                : QStringLiteral("Чаще всего отказывающие контакты")));
}

void JournalWindow::RefreshSerial()
{
    if (!m_db || m_pages->currentIndex() != 3)
        return;
    // The serial of the filter, else the one of the chosen run.
    std::string serial = m_serial->text().trimmed().toStdString();
    if (serial.empty())
        if (const results::RunRecord *row = m_model->RunAt(m_table->currentIndex().row()))
            serial = row->serial;
    if (serial.empty()) {
        auto *chart = new QChart;
        chart->setTitle(QStringLiteral("Выберите прогон платы с заводским номером"));
        ShowChart(m_serialView, chart);
        return;
    }
    ShowChart(m_serialView,
              SerialChart(m_db->RunsOfSerial(serial, kSerialRuns), QString::fromStdString(serial)));
}

bool JournalWindow::ExportCsv()
{
    if (!m_db)
        return false;
    const QString path = m_chooser
                             ? m_chooser()
                             : QFileDialog::getSaveFileName(this, QStringLiteral("Экспорт журнала"),
                                                            QStringLiteral("журнал.csv"),
                                                            QStringLiteral("Таблица CSV (*.csv)"));
    if (path.isEmpty())
        return false;
    // Every run the filters choose, page by page.
    std::vector<results::RunRecord> runs;
    std::int64_t before = 0;
    for (;;) {
        auto page = m_db->Runs(Filter(), 5000, before);
        if (page.empty())
            break;
        before = page.back().id;
        runs.insert(runs.end(), std::make_move_iterator(page.begin()),
                    std::make_move_iterator(page.end()));
    }
    QSaveFile file(path);
    const std::string csv = results::CsvOfRuns(runs);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(csv.data(), static_cast<qint64>(csv.size())) !=
            static_cast<qint64>(csv.size()) ||
        !file.commit()) {
        Mesbo().Show("Не удалось записать файл \"" + path.toStdString() +
                         "\": " + file.errorString().toStdString(),
                     MbError, kProductName);
        return false;
    }
    return true;
}

} // namespace qv::results_ui
