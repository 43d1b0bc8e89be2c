#include "ui/functions/datawindow.h"

#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/functions/datafileview.h"
#include "model/functions/funcf.h"
#include "model/functions/funcs.h"
#include "ui/functions/datalegend.h"
#include "ui/functions/datasearch.h"

#include <QCheckBox>
#include <QColor>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace qv::functions {
namespace {

constexpr int kMsgIdentical = 2;
constexpr int kMsgNothingToShow = 13;
constexpr int kMsgNoDataFile = 14;
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kNavy(0, 0, 128);
const QColor kSelected(0xE8, 0xE8, 0xE8);

QString ToQString(const std::string &text)
{
    return QString::fromStdString(text);
}

// The binary reference column: each digit red where it differs from the run
// element, blue where it agrees.
class BinaryDigitsDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const QVariant bits = index.data(DataTableModel::DifferingBitsRole);
        if (!bits.isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        if (const QVariant back = index.data(Qt::BackgroundRole); back.isValid())
            painter->fillRect(option.rect, back.value<QColor>());
        const QString digits = index.data(Qt::DisplayRole).toString();
        const auto differing = bits.toUInt();
        int x = option.rect.left() + 2;
        for (int i = 0; i < digits.size(); ++i) {
            const int bit = int(digits.size()) - 1 - i;
            painter->setPen((differing >> bit) & 1U ? kRed : kBlue);
            const QString digit = digits.mid(i, 1);
            painter->drawText(
                QRect(x, option.rect.top(), option.rect.width(), option.rect.height()),
                Qt::AlignVCenter | Qt::AlignLeft, digit);
            x += option.fontMetrics.horizontalAdvance(digit);
        }
    }
};

void ShowError(const std::string &text)
{
    Mesbo().Show(text, MbError, kProductName);
}

std::unique_ptr<TfmData> Open(DataSources sources, std::span<const std::uint8_t> run,
                              const std::string &fileName, int number,
                              const std::filesystem::path &testFile,
                              const services::DataEditorSetting &editor, QWidget *parent)
{
    if (fileName.empty()) {
        ShowError(Msg(kMsgNoDataFile));
        return nullptr;
    }
    if (!run.empty())
        sources.run.emplace(run.begin(), run.end());
    const auto path = DataFilePath(testFile, fileName);
    DataFileBytes file = path.empty() ? DataFileBytes{{}, Msg(12) + " \"" + fileName + "\""}
                                      : ReadDataFileToView(path, fileName);
    if (!file.refusal.empty())
        ShowError(file.refusal);
    else
        sources.file = std::move(file.bytes);
    if (!sources.run && !sources.file) {
        ShowError(Msg(kMsgNothingToShow) + std::to_string(number));
        return nullptr;
    }
    std::error_code error;
    DataWindowFile shown{ToQString(fileName), {}, editor};
    if (!path.empty() && std::filesystem::is_regular_file(path, error))
        shown.path = path;
    return std::make_unique<TfmData>(DataRows(std::move(sources)), 0, parent, std::move(shown));
}

} // namespace

DataTableModel::DataTableModel(DataRows rows, QObject *parent)
    : QAbstractTableModel(parent)
    , m_rows(std::move(rows))
{}

void DataTableModel::SetBinary(bool binary)
{
    if (binary == m_binary)
        return;
    beginResetModel();
    m_binary = binary;
    endResetModel();
}

void DataTableModel::SetFilter(std::optional<std::vector<std::size_t>> rows)
{
    beginResetModel();
    m_filter = std::move(rows);
    endResetModel();
}

std::size_t DataTableModel::ElementRow(int viewRow) const
{
    const auto row = static_cast<std::size_t>(viewRow);
    return m_filter ? m_filter->at(row) : row;
}

std::optional<int> DataTableModel::ViewRow(std::size_t elementRow) const
{
    if (!m_filter)
        return elementRow < m_rows.Count() ? std::optional<int>(int(elementRow)) : std::nullopt;
    const auto found = std::lower_bound(m_filter->begin(), m_filter->end(), elementRow);
    if (found == m_filter->end() || *found != elementRow)
        return std::nullopt;
    return int(found - m_filter->begin());
}

void DataTableModel::Select(std::size_t elementRow)
{
    const auto before = ViewRow(m_selected);
    m_selected = elementRow;
    for (const auto row : {before, ViewRow(elementRow)}) {
        if (row)
            emit dataChanged(index(*row, 0), index(*row, 2));
    }
}

int DataTableModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_filter ? m_filter->size() : m_rows.Count());
}

int DataTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant DataTableModel::Text(std::size_t row, int column) const
{
    if (column == 0)
        return ToQString(m_rows.InBase(m_rows.AddressOf(row)));
    const auto run = m_rows.RunAt(row);
    if (column == 1)
        return run ? ToQString(m_rows.InBase(*run)) : QVariant();
    if (!m_rows.TwoSources())
        return run ? ToQString(m_rows.InBinary(*run)) : QVariant();
    const auto file = m_rows.FileAt(row);
    if (!file)
        return {};
    return ToQString(m_binary ? m_rows.InBinary(*file) : m_rows.InBase(*file));
}

QVariant DataTableModel::Colour(std::size_t row, int column) const
{
    if (column == 1)
        return m_rows.Differs(row) ? kRed : kBlue;
    if (column == 2 && m_rows.TwoSources() && !m_rows.RunAt(row))
        return kNavy;
    return column == 2 ? QVariant(kBlue) : QVariant();
}

QVariant DataTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const std::size_t row = ElementRow(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return Text(row, index.column());
    case Qt::ForegroundRole:
        return Colour(row, index.column());
    case Qt::BackgroundRole:
        return row == m_selected ? QVariant(kSelected) : QVariant();
    case DifferingBitsRole: {
        const auto run = m_rows.RunAt(row);
        const auto file = m_rows.FileAt(row);
        if (index.column() != 2 || !m_binary || !run || !file)
            return {};
        return static_cast<unsigned>(*run ^ *file);
    }
    default:
        return {};
    }
}

QVariant DataTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    const QString base = m_rows.Sources().base == 8 ? QStringLiteral("OCT") : QStringLiteral("HEX");
    switch (section) {
    case 0:
        return QStringLiteral("адрес");
    case 1:
        return QStringLiteral("данные (") + base + QStringLiteral(")");
    case 2:
        if (!m_rows.TwoSources())
            return QStringLiteral("данные (BIN)");
        return QStringLiteral("эталон (") + (m_binary ? QStringLiteral("BIN") : base) +
               QStringLiteral(")");
    default:
        return {};
    }
}

TfmData::TfmData(DataRows rows, std::size_t selectedRow, QWidget *parent, DataWindowFile file)
    : QDialog(parent)
    , m_model(new DataTableModel(std::move(rows), this))
    , m_table(new QTableView(this))
    , m_file(std::move(file))
{
    setObjectName(QStringLiteral("fmData"));
    setWindowTitle(QStringLiteral("Данные"));
    m_table->setModel(m_model);
    m_table->setItemDelegateForColumn(2, new BinaryDigitsDelegate(m_table));
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(17);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_model->Select(selectedRow);
    connect(m_table, &QTableView::clicked, this, [this](const QModelIndex &index) {
        m_model->Select(m_model->ElementRow(index.row()));
    });

    auto *system = new QGroupBox(QStringLiteral("Система счисления:"), this);
    const bool octal = m_model->Rows().Sources().base == 8;
    m_base = new QRadioButton(octal ? QStringLiteral("OCT") : QStringLiteral("HEX"), system);
    m_binaryButton = new QRadioButton(QStringLiteral("BIN"), system);
    m_base->setChecked(true);
    auto *systemLayout = new QHBoxLayout(system);
    systemLayout->addWidget(m_base);
    systemLayout->addWidget(m_binaryButton);
    connect(m_binaryButton, &QRadioButton::toggled, this,
            [this](bool on) { m_model->SetBinary(on); });
    m_onlyErrors = new QCheckBox(QStringLiteral("Показать только ошибки"), this);
    connect(m_onlyErrors, &QCheckBox::toggled, this, [this](bool on) { ShowOnlyErrors(on); });
    const bool two = m_model->Rows().TwoSources();
    system->setVisible(two);
    m_onlyErrors->setVisible(two);

    m_infoButton = new QPushButton(QStringLiteral("Инфо"), this);
    m_infoButton->setCheckable(true);
    connect(m_infoButton, &QPushButton::toggled, this, [this](bool on) { ToggleLegend(on); });
    MakeEditorButton();
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_infoButton);
    buttons->addWidget(m_editor);
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table);
    layout->addWidget(system);
    layout->addWidget(m_onlyErrors);
    layout->addLayout(buttons);
    resize(360, 420);
}

void TfmData::MakeEditorButton()
{
    m_editor = new QPushButton(QStringLiteral("Редактор"), this);
    if (m_file.path.empty()) {
        m_editor->setEnabled(false);
        m_editor->setToolTip(
            QStringLiteral("Файл данных \"%1\" не найден: редактору нечего открыть")
                .arg(m_file.name));
        return;
    }
    m_editor->setToolTip(QStringLiteral("Открыть файл данных в редакторе данных"));
    connect(m_editor, &QPushButton::clicked, this, [this] {
        services::OpenDataEditor(m_file.editor.command,
                                 QString::fromStdString(m_file.path.string()));
    });
}

void TfmData::SelectRow(std::size_t row)
{
    const std::size_t count = m_model->Rows().Count();
    if (count == 0)
        return;
    m_model->Select(std::min(row, count - 1));
    if (const auto shown = m_model->ViewRow(m_model->Selected()))
        m_table->scrollTo(m_model->index(*shown, 0));
}

void TfmData::ToggleLegend(bool on)
{
    if (!on) {
        if (m_legend != nullptr)
            m_legend->hide();
        return;
    }
    if (m_legend == nullptr)
        m_legend = new TfmDataInfo(
            DataLegendLines(m_file.name, m_model->Rows().TwoSources(), m_model->Rows().FileOnly()),
            this);
    m_legend->show();
    m_legend->KeepBeside(*this);
}

void TfmData::ShowOnlyErrors(bool on)
{
    const std::size_t selected = m_model->Selected();
    if (!on) {
        m_model->SetFilter(std::nullopt);
    } else if (auto rows = TfmDataSearch::Search(m_model->Rows(), this); !rows || rows->empty()) {
        if (rows)
            Mesbo().Show(Msg(kMsgIdentical), MbInformation, kProductName);
        const QSignalBlocker quiet(m_onlyErrors);
        m_onlyErrors->setChecked(false);
        return;
    } else {
        m_model->SetFilter(std::move(*rows));
    }
    if (const auto row = m_model->ViewRow(selected))
        m_table->scrollTo(m_model->index(*row, 0));
}

std::unique_ptr<TfmData> OpenFData(const STest &test, const TTyreAdr &tyres, const SFuncF &function,
                                   const std::filesystem::path &testFile, int base,
                                   const services::DataEditorSetting &editor, QWidget *parent)
{
    return Open(FSources(test, tyres, function, base), function.Data, function.FileName,
                function.Number, testFile, editor, parent);
}

std::unique_ptr<TfmData> OpenSData(const SFuncS &function, const std::filesystem::path &testFile,
                                   int base, const services::DataEditorSetting &editor,
                                   QWidget *parent)
{
    return Open(SSources(base), function.Data, function.FileName, function.Number, testFile, editor,
                parent);
}

} // namespace qv::functions
