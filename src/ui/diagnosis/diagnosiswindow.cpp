#include "ui/diagnosis/diagnosiswindow.h"

#include "infra/plural.h"
#include "model/diagnosis/coveragetext.h"
#include "model/diagnosis/diagnosistext.h"
#include "model/document/quorvik.h"
#include "model/test/stest.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

namespace qv::diagnosis {

namespace {

QString Q(const std::string &text)
{
    return QString::fromStdString(text);
}

QString Q(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "1 «D0»" or "1 «D0», 2 «D1»".
QString ContactsOf(const Fault &fault, ContactNames names)
{
    const std::string prefix = "контакт ";
    QString text = Q(ContactText(fault.a, names).substr(prefix.size()));
    if (fault.IsPair())
        text += QStringLiteral(", ") + Q(ContactText(fault.b, names).substr(prefix.size()));
    return text;
}

QString KindOf(const Fault &fault)
{
    QString text = Q(KindText(fault.kind));
    if (const std::string_view note = FaultNote(fault); !note.empty())
        text += QStringLiteral(" (") + Q(note) + QStringLiteral(")");
    return text;
}

QString PassesOf(const Diagnosis &d, const Hypothesis &h)
{
    if (d.Intermittent(h))
        return QStringLiteral("нестабильно: %1 из %2")
            .arg(h.passes.size())
            .arg(Q(Counted(d.passes, kPassNoun)));
    return d.passes > 1 ? QStringLiteral("в каждом прогоне") : QString();
}

// "Тест №1, o1 «Чтение данных», цикл 2, такт 9, бит 0: прочитано 1".
QString BitText(const TQuorvik &doc, const WrongBit &bit)
{
    QString word = QStringLiteral("o%1").arg(bit.word);
    if (const STest *test = doc.Test(bit.test))
        if (const SWord *w = test->OWords.Find(bit.word); w && !w->Name.empty())
            word += QStringLiteral(" «") + Q(w->Name) + QStringLiteral("»");
    QString text =
        QStringLiteral("Тест №%1, %2, цикл %3").arg(bit.test + 1).arg(word).arg(bit.cycle + 1);
    if (bit.tact > 0)
        text += QStringLiteral(", такт %1").arg(bit.tact);
    return text + QStringLiteral(", бит %1 (контакт %2): на контакте %3")
                      .arg(bit.bit)
                      .arg(bit.contact)
                      .arg(bit.level ? 1 : 0);
}

// A child line over the whole width of the tree.
void AddLine(QTreeWidgetItem *parent, const QString &text, const QColor &colour = Qt::black)
{
    auto *item = new QTreeWidgetItem(parent, {text});
    item->setFirstColumnSpanned(true);
    item->setForeground(0, colour);
}

void AddBits(QTreeWidgetItem *parent, const TQuorvik &doc, const std::vector<WrongBit> &bits)
{
    for (const WrongBit &bit : bits)
        AddLine(parent, BitText(doc, bit));
}

// Columns as wide as the header and the hypotheses' own texts (the child
// lines span the whole tree); the window as wide as the columns.
int FitColumns(QTreeWidget &tree)
{
    const QFontMetrics metrics(tree.font());
    int total = 0;
    for (int c = 0; c < tree.columnCount(); ++c) {
        int width = metrics.horizontalAdvance(tree.headerItem()->text(c));
        for (int i = 0; i < tree.topLevelItemCount(); ++i)
            width = std::max(width, metrics.horizontalAdvance(tree.topLevelItem(i)->text(c)));
        width += 32; // the branch decoration, the margins
        tree.setColumnWidth(c, width);
        total += width;
    }
    return total;
}

QDialogButtonBox *CloseButton(QDialog *dialog)
{
    auto *buttons = new QDialogButtonBox(dialog);
    QPushButton *close =
        buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

std::vector<int> SuspectContacts(const Diagnosis &diagnosis)
{
    std::set<int> contacts;
    for (const Hypothesis &h : diagnosis.hypotheses) {
        contacts.insert(h.fault.a);
        if (h.fault.IsPair())
            contacts.insert(h.fault.b);
    }
    return {contacts.begin(), contacts.end()};
}

DiagnosisWindow::DiagnosisWindow(const TQuorvik &doc, const Diagnosis &diagnosis, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmDiagnosis"));
    setWindowTitle(QStringLiteral("Диагноз"));
    const ContactNames names = doc.Cnt().Names;
    auto *layout = new QVBoxLayout(this);
    QString summary;
    if (diagnosis.Empty()) {
        summary = QStringLiteral("Ошибок нет: неисправные контакты не найдены");
    } else {
        summary = QStringLiteral("Неисправностей: %1").arg(diagnosis.hypotheses.size());
        if (!diagnosis.unexplained.empty())
            summary +=
                QStringLiteral("; не объяснено: ") +
                Q(Counted(static_cast<std::int64_t>(diagnosis.unexplained.size()), kErrorNoun));
    }
    m_summary = new QLabel(summary, this);
    m_summary->setObjectName(QStringLiteral("lbDiagnosisSummary"));
    layout->addWidget(m_summary);

    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("tvDiagnosis"));
    m_tree->setColumnCount(ColCount);
    m_tree->setHeaderLabels({QStringLiteral("Контакты"), QStringLiteral("Неисправность"),
                             QStringLiteral("Объясняет"), QStringLiteral("Прогоны")});
    for (const Hypothesis &h : diagnosis.hypotheses) {
        auto *item = new QTreeWidgetItem(m_tree, {ContactsOf(h.fault, names), KindOf(h.fault),
                                                  Q(Counted(h.Explains(), kErrorNoun)),
                                                  PassesOf(diagnosis, h)});
        item->setForeground(ColContacts, Qt::red);
        for (const Fault &e : h.equivalents)
            AddLine(item, QStringLiteral("неотличимо от: ") + Q(FaultText(e, names)),
                    QColor(0x80, 0x80, 0x80));
        AddBits(item, doc, h.bits);
    }
    if (!diagnosis.unexplained.empty()) {
        auto *item = new QTreeWidgetItem(
            m_tree,
            {QStringLiteral("—"), QStringLiteral("не объяснено"),
             Q(Counted(static_cast<std::int64_t>(diagnosis.unexplained.size()), kErrorNoun))});
        AddBits(item, doc, diagnosis.unexplained);
    }
    m_tree->expandToDepth(0);
    const int columns = FitColumns(*m_tree);
    if (m_tree->topLevelItemCount() > 0)
        m_tree->setCurrentItem(m_tree->topLevelItem(0));
    layout->addWidget(m_tree, 1);
    layout->addWidget(CloseButton(this));
    // Wide enough for the columns and the longest line below them.
    int lines = 0;
    const QFontMetrics metrics(m_tree->font());
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i)
        for (int c = 0; c < m_tree->topLevelItem(i)->childCount(); ++c)
            lines = std::max(
                lines, metrics.horizontalAdvance(m_tree->topLevelItem(i)->child(c)->text(0)) + 60);
    resize(std::min(std::max({columns + 40, lines, 600}), 1240), 380);
}

CoverageWindow::CoverageWindow(const TQuorvik &doc, const std::vector<int> &tests, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fmCoverage"));
    setWindowTitle(QStringLiteral("Покрытие"));
    const ContactNames names = doc.Cnt().Names;
    const Coverage coverage = CoverageOf(doc.Doc(), tests);
    auto *layout = new QVBoxLayout(this);
    QStringList numbers;
    for (const int t : coverage.tests)
        numbers << QString::number(t + 1);
    layout->addWidget(new QLabel(
        (coverage.tests.size() == 1 ? QStringLiteral("Тест №") : QStringLiteral("Тесты №")) +
            numbers.join(QStringLiteral(", ")),
        this));
    m_table = new QTableWidget(static_cast<int>(coverage.contacts.size()), ColCount, this);
    m_table->setObjectName(QStringLiteral("sgCoverage"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setVisible(false);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Контакт"), QStringLiteral("Имя"),
                                        QStringLiteral("Роль"), QStringLiteral("Постоянно 0"),
                                        QStringLiteral("Постоянно 1"),
                                        QStringLiteral("Замыкания с соседями (И / ИЛИ)")});
    const auto yesNo = [](bool yes) { return yes ? QStringLiteral("да") : QStringLiteral("нет"); };
    for (int r = 0; r < static_cast<int>(coverage.contacts.size()); ++r) {
        const ContactCoverage &c = coverage.contacts[static_cast<std::size_t>(r)];
        QStringList roles;
        if (c.read)
            roles << QStringLiteral("чтение");
        if (c.driven)
            roles << QStringLiteral("управление");
        QStringList bridges;
        for (const BridgeCoverage &b : c.bridges)
            bridges << QStringLiteral("%1: %2 / %3")
                           .arg(b.with)
                           .arg(yesNo(b.bridgeAnd), yesNo(b.bridgeOr));
        const QStringList cells{QString::number(c.contact),
                                c.contact <= static_cast<int>(names.size())
                                    ? Q(names[static_cast<std::size_t>(c.contact - 1)])
                                    : QString(),
                                roles.join(QStringLiteral(", ")),
                                yesNo(c.stuckLow),
                                yesNo(c.stuckHigh),
                                bridges.join(QStringLiteral("; "))};
        for (int col = 0; col < ColCount; ++col) {
            auto *item = new QTableWidgetItem(cells[col]);
            if (c.Blind())
                item->setForeground(Qt::red);
            m_table->setItem(r, col, item);
        }
    }
    m_table->resizeColumnsToContents();
    layout->addWidget(m_table, 1);
    m_total = new QLabel(QStringLiteral("Итого: ") + Q(CoverageTotalText(coverage)), this);
    m_total->setObjectName(QStringLiteral("lbCoverageTotal"));
    layout->addWidget(m_total);
    m_blind = new QLabel(Q(BlindText(coverage, names)), this);
    m_blind->setObjectName(QStringLiteral("lbCoverageBlind"));
    m_blind->setWordWrap(true);
    layout->addWidget(m_blind);
    layout->addWidget(CloseButton(this));
    resize(760, 420);
}

} // namespace qv::diagnosis
