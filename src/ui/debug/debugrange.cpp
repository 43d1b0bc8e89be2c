#include "ui/debug/debugrange.h"

#include "infra/mesbo.h"
#include "infra/messages.h"
#include "infra/version.h"
#include "model/test/stest.h"
#include "ui/debug/okcancel.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

namespace qv::debug {
namespace {

bool RangeAccepted(int first, int last, int tactCount)
{
    const std::string refusal = DebugRangeRefusal(first, last, tactCount);
    if (refusal.empty())
        return true;
    Mesbo().Show(refusal, MbError, kProductName);
    return false;
}

QSpinBox *NumberBox(QWidget *parent, int maximum, int value)
{
    auto *box = new QSpinBox(parent);
    box->setRange(1, maximum);
    box->setValue(std::clamp(value, 1, maximum));
    return box;
}

} // namespace

std::string DebugRangeRefusal(int first, int last, int tactCount)
{
    if (first >= last)
        return Msg(40);
    if (last > tactCount)
        return Msg(40) + std::to_string(tactCount) + ")";
    return {};
}

bool SetDebugStart(STest &test, int tact)
{
    const int last = std::max(test.DebugFirst, test.DebugLast);
    if (!RangeAccepted(tact, last, test.Tacts.TactCount()))
        return false;
    test.DebugFirst = tact;
    test.DebugLast = last;
    return true;
}

bool SetDebugEnd(STest &test, int tact)
{
    const int first = std::min(test.DebugFirst, test.DebugLast);
    if (!RangeAccepted(first, tact, test.Tacts.TactCount()))
        return false;
    test.DebugFirst = first;
    test.DebugLast = tact;
    return true;
}

TfmDebugTct::TfmDebugTct(STest &test, QWidget *parent)
    : QDialog(parent)
    , m_test(test)
{
    setObjectName(QStringLiteral("fmDebugTct"));
    setWindowTitle(QStringLiteral("Такты отладки"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_first = NumberBox(this, 999, test.DebugFirst + 1);
    m_last = NumberBox(this, 999, test.DebugLast + 1);
    form->addRow(QStringLiteral("Начальный такт отладки:"), m_first);
    form->addRow(QStringLiteral("Конечный такт отладки:"), m_last);
    layout->addLayout(form);
    m_ok = AddOkCancel(this, layout, QStringLiteral("OK"));
    connect(m_ok, &QPushButton::clicked, this, &TfmDebugTct::TryAccept);
}

void TfmDebugTct::TryAccept()
{
    const int first = m_first->value();
    const int last = m_last->value();
    if (!RangeAccepted(first, last, m_test.Tacts.TactCount()))
        return;
    m_test.DebugFirst = first - 1;
    m_test.DebugLast = last - 1;
    accept();
}

TfmDebugCycle::TfmDebugCycle(const STest &test, QWidget *parent)
    : QDialog(parent)
    , m_test(test)
{
    setObjectName(QStringLiteral("fmDebugCycle"));
    setWindowTitle(QStringLiteral("Цикл отладки"));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_cycle = NumberBox(this, 99, test.ActiveCycle + 1);
    form->addRow(QStringLiteral("Выберите цикл для отладки:"), m_cycle);
    layout->addLayout(form);
    m_ok = AddOkCancel(this, layout, QStringLiteral("ОК"));
    connect(m_ok, &QPushButton::clicked, this, &TfmDebugCycle::TryAccept);
}

int TfmDebugCycle::Chosen() const
{
    return m_cycle->value() - 1;
}

void TfmDebugCycle::TryAccept()
{
    const int n = m_cycle->value();
    if (n < 1 || n > m_test.Cycles) {
        Mesbo().Show(Msg(8) + " циклов (" + std::to_string(m_test.Cycles) + ")", MbError,
                     kProductName);
        return;
    }
    accept();
}

} // namespace qv::debug
