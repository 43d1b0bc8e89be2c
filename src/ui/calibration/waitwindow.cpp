#include "ui/calibration/waitwindow.h"

#include "infra/mesbo.h"
#include "infra/unitcodes.h"
#include "infra/version.h"
#include "ui/calibration/calibrationsession.h"
#include "ui/calibration/wiringpicture.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace qv::calibration {
namespace {

constexpr std::size_t kTableAnswer = 129;
constexpr std::uint8_t kTableMark = 7;
constexpr int kCellAir = 10; // a cell's margins beside its value

} // namespace

TfmConfigOWait::TfmConfigOWait(CalibrationSession &session, std::filesystem::path clbPath,
                               int maxWidth, const QString &caption, QWidget *parent)
    : QDialog(parent)
    , m_session(session)
    , m_clbPath(std::move(clbPath))
    , m_maxWidth(maxWidth)
{
    setObjectName(QStringLiteral("fmConfigOWait"));
    setWindowTitle(caption);
    auto *layout = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    auto *form = new QFormLayout;
    m_test = new QComboBox(this);
    m_test->addItems({QStringLiteral("меандр"), QStringLiteral("меандр с выходным словом")});
    form->addRow(QStringLiteral("Тест:"), m_test);
    m_width = new QLineEdit(QStringLiteral("1"), this);
    m_width->setMaxLength(2);
    form->addRow(QStringLiteral("Разрядность О-слова:"), m_width);
    m_passes = new QLineEdit(QStringLiteral("1"), this);
    m_passes->setMaxLength(3);
    form->addRow(QStringLiteral("Количество циклов ожидания:"), m_passes);
    top->addLayout(form, 1);
    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("imWiring"));
    top->addWidget(m_picture, 0, Qt::AlignTop);
    layout->addLayout(top);
    m_explanation = new QLabel(
        QStringLiteral("N - разрядность О-слова.\nT0 - время отработки О-слова с 1 циклом "
                       "ожидания (мкс).\nTinc - разница между временами отработки О-слов с "
                       "количеством циклов ожидания, отличающимися на 1 (мкс)."),
        this);
    m_explanation->setWordWrap(true);
    layout->addWidget(m_explanation);
    m_grid = new QTableWidget(2, 16, this);
    m_grid->setVerticalHeaderLabels({QStringLiteral("T0"), QStringLiteral("Tinc")});
    QStringList columns;
    for (int n = 1; n <= 16; ++n)
        columns << QString::number(n);
    m_grid->setHorizontalHeaderLabels(columns);
    m_grid->setCornerButtonEnabled(false);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    m_grid->horizontalHeader()->setMinimumSectionSize(8);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    layout->addWidget(m_grid);
    auto *buttons = new QHBoxLayout;
    m_run = new QPushButton(QStringLiteral("&Запустить"), this);
    m_stop = new QPushButton(QStringLiteral("&Остановить"), this);
    m_data = new QPushButton(QStringLiteral("Данные"), this);
    m_data->setCheckable(true);
    auto *close = new QPushButton(QStringLiteral("З&акрыть"), this);
    for (QPushButton *button : {m_run, m_stop, m_data})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    const auto testChosen = [this] {
        const bool withWord = m_test->currentIndex() == 1;
        m_width->setEnabled(withWord);
        m_passes->setEnabled(withWord);
        m_picture->setPixmap(
            calibration::WiringPicture(withWord ? WaitTest::MeanderWithWord : WaitTest::Meander));
    };
    connect(m_test, &QComboBox::currentIndexChanged, this, testChosen);
    connect(m_run, &QPushButton::clicked, this, [this] { Run(); });
    connect(m_stop, &QPushButton::clicked, this, [this] { Stop(); });
    connect(m_data, &QPushButton::toggled, this, [this](bool on) { ShowData(on); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    testChosen();
    SwapButtons(false);
    ShowData(false);
}

bool TfmConfigOWait::CheckField(QLineEdit *field, int upper, const std::string &message)
{
    bool ok = false;
    const int value = field->text().trimmed().toInt(&ok);
    if (ok && value >= 1 && value <= upper)
        return true;
    Mesbo().Show(message, MbError, kProductName);
    field->setFocus();
    field->selectAll();
    return false;
}

void TfmConfigOWait::Run()
{
    const std::uint8_t test = m_test->currentIndex() == 1 ? 1 : 0;
    if (test == 1 &&
        (!CheckField(m_width, m_maxWidth,
                     "Разрядность О-слова должна быть в числовом диапазоне: от 1 до " +
                         std::to_string(m_maxWidth)) ||
         !CheckField(m_passes, kMaxPasses,
                     "Количество циклов ожидания должно быть в числовом диапазоне: от 1 до " +
                         std::to_string(kMaxPasses))))
        return;
    const int width = test == 1 ? m_width->text().trimmed().toInt() : 1;
    const int passes = test == 1 ? m_passes->text().trimmed().toInt() : 1;
    const std::uint8_t request[] = {5, test, static_cast<std::uint8_t>(width),
                                    static_cast<std::uint8_t>(passes & 0xFF),
                                    static_cast<std::uint8_t>(passes >> 8)};
    if (m_session.Ask(QORV_CALIBR, request))
        SwapButtons(true);
}

void TfmConfigOWait::Stop()
{
    const std::uint8_t request[] = {4};
    if (m_session.Ask(QORV_CALIBR, request))
        SwapButtons(false);
}

void TfmConfigOWait::SwapButtons(bool running)
{
    m_running = running;
    m_run->setEnabled(!running);
    m_stop->setEnabled(running);
}

void TfmConfigOWait::ShowData(bool on)
{
    m_explanation->setVisible(on);
    m_grid->setVisible(on);
    if (!on) {
        // The hidden table leaves the window's least size first.
        if (QLayout *own = layout())
            own->activate();
        resize(kSmall);
        return;
    }
    const std::uint8_t request[] = {6};
    const auto answer = m_session.Ask(QORV_CALIBR, request);
    if (answer && answer->size() == kTableAnswer && answer->front() == kTableMark) {
        const auto table = WaitTableFromBytes(std::span<const std::uint8_t>(*answer).subspan(1));
        if (table) {
            SaveWaitTable(m_clbPath, *table);
            for (int n = 0; n < 16; ++n) {
                const auto at = static_cast<std::size_t>(n);
                m_grid->setItem(0, n, new QTableWidgetItem(QString::number(table->t0[at], 'f', 3)));
                m_grid->setItem(1, n,
                                new QTableWidgetItem(QString::number(table->tinc[at], 'f', 3)));
            }
        }
    } else if (answer) {
        m_session.WrongAnswer();
    }
    // The usual size, larger when the texts need it: every value whole.
    const QFontMetrics metrics(m_grid->font());
    const int column = metrics.horizontalAdvance(QStringLiteral("00.000")) + kCellAir;
    m_grid->horizontalHeader()->setMinimumSectionSize(column);
    // Rows of a height of their own, so that both fit whatever the style.
    const int row = metrics.height() + kCellAir;
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(row);
    // The header is measured before the style has polished it: room for
    // the larger of its hint and a row.
    const int header = std::max(m_grid->horizontalHeader()->sizeHint().height(), row + kCellAir);
    m_grid->setFixedHeight(header + 2 * row + 2 * m_grid->frameWidth() + kCellAir);
    const int gridWidth =
        m_grid->verticalHeader()->sizeHint().width() + 16 * column + 2 * m_grid->frameWidth();
    m_grid->setMinimumWidth(gridWidth);
    if (QLayout *own = layout())
        own->activate();
    resize(kLarge.expandedTo(minimumSizeHint()));
    // Back onto the screen when the larger window would leave it.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        QRect frame = frameGeometry();
        frame.moveRight(std::min(frame.right(), area.right()));
        frame.moveBottom(std::min(frame.bottom(), area.bottom()));
        move(frame.topLeft().x() < area.left() ? area.left() : frame.left(),
             frame.top() < area.top() ? area.top() : frame.top());
    }
}

void TfmConfigOWait::done(int result)
{
    if (m_running)
        Stop();
    QDialog::done(result);
}

} // namespace qv::calibration
