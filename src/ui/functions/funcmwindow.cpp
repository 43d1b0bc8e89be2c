#include "ui/functions/funcmwindow.h"

#include "execution/run/runsession.h"
#include "model/document/quorvik.h"
#include "model/functions/funcaddress.h"
#include "model/functions/funcm.h"
#include "model/test/stest.h"
#include "ui/functions/addressfields.h"
#include "ui/functions/runprompt.h"
#include "ui/run/mprogresswindow.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv::functions {
namespace {

QString Utf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

TfmFuncM::TfmFuncM(TQuorvik &doc, STest &test, int number, QWidget *parent)
    : FunctionListWindow(test.MFuncs, number, parent, {})
    , m_doc(doc)
    , m_test(test)
{
    setObjectName(QStringLiteral("fmFuncM"));
    setWindowTitle(QStringLiteral("M-функции"));

    m_writeWords = new QLabel(this);
    m_readWords = new QLabel(this);
    m_results = new QPushButton(QStringLiteral("Результаты"), this);
    m_algorithms = new QListWidget(this);
    for (int bit = 0; bit < kMemoryAlgorithms; ++bit) {
        auto *item = new QListWidgetItem(Utf8(MemoryAlgorithmName(bit)), m_algorithms);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        item->setCheckState(Qt::Unchecked);
    }

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Запись:"), m_writeWords);
    form->addRow(QStringLiteral("Чтение:"), m_readWords);
    m_addresses = new AddressFields(
        *form, this, m_doc, m_test,
        [this]() -> std::optional<AddressRange> {
            const SFuncM *f = Shown();
            return f ? std::optional(AddressRange{f->AdrStart, f->AdrEnd, f->AdrInc})
                     : std::nullopt;
        },
        [this] {
            const SFuncM *f = Shown();
            return f ? std::vector<std::string>{WriteAddressText(*f), ReadAddressText(*f)}
                     : std::vector<std::string>{};
        },
        [this](AddressField field, std::int64_t value) { EditAddress(field, value); });
    form->addRow(QStringLiteral("Алгоритмы:"), m_algorithms);
    LayOut(form, m_results);

    connect(m_results, &QPushButton::clicked, this, [this] { ShowResults(); });
    connect(m_algorithms, &QListWidget::itemChanged, this, [this] { EditAlgorithms(); });
    ShowFunction();
}

TfmFuncM::~TfmFuncM() = default;

void TfmFuncM::ShowFunction()
{
    const SFuncM *function = Shown();
    m_filling = true;
    m_addresses->SetEnabled(function != nullptr);
    m_addresses->Show();
    m_algorithms->setEnabled(function != nullptr);
    if (function == nullptr) {
        SetTitle(QStringLiteral("M-функций нет"));
        m_filling = false;
        return;
    }
    SetTitle(QStringLiteral("M%1 \"%2\"")
                 .arg(function->Number)
                 .arg(QString::fromStdString(function->Name)));
    m_writeWords->setText(QStringLiteral("адрес %1, данные i%2")
                              .arg(QString::fromStdString(WriteAddressText(*function)))
                              .arg(function->DatWrite));
    m_readWords->setText(QStringLiteral("адрес %1, данные o%2")
                             .arg(QString::fromStdString(ReadAddressText(*function)))
                             .arg(function->DatRead));
    for (int bit = 0; bit < kMemoryAlgorithms; ++bit)
        m_algorithms->item(bit)->setCheckState((function->Alg >> bit) & 1 ? Qt::Checked
                                                                          : Qt::Unchecked);
    m_filling = false;
}

void TfmFuncM::EditAddress(AddressField field, std::int64_t value)
{
    ApplyEdit(Shown(), [this, field, value](SFuncM &f) {
        StoreAddress(f, field, value);
        // Outside debug mode the next run starts both phases at the start.
        if (!m_doc.DebugMode())
            f.WritePos = f.ReadPos = f.AdrStart;
    });
}

void TfmFuncM::EditAlgorithms()
{
    std::int32_t mask = 0;
    for (int bit = 0; bit < kMemoryAlgorithms; ++bit) {
        if (m_algorithms->item(bit)->checkState() == Qt::Checked)
            mask |= 1 << bit;
    }
    ApplyEdit(Shown(), [mask](SFuncM &f) { f.Alg = mask; });
}

void TfmFuncM::ShowResults()
{
    const SFuncM *function = Shown();
    if (function == nullptr)
        return;
    if (m_resultsWindow == nullptr)
        m_resultsWindow = new run::TfmMProgress(this);
    MFunctionProgress list;
    list.test = m_doc.CurrentTest() + 1;
    list.mFunction = function->Number;
    for (int bit = 0; bit < kMemoryAlgorithms; ++bit)
        list.algorithms.emplace_back(MemoryAlgorithmName(bit));
    m_resultsWindow->ShowProgress(list);
    for (int bit = 0; bit < kMemoryAlgorithms; ++bit) {
        MFunctionProgress row = list;
        row.row = bit;
        row.picture = function->Status[static_cast<std::size_t>(bit)];
        m_resultsWindow->ShowProgress(row);
    }
    m_resultsWindow->show();
    m_resultsWindow->KeepBeside(*this);
}

} // namespace qv::functions
