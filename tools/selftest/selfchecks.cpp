#include "selfchecks.h"

#include "execution/port/comport.h"
#include "execution/port/testerport.h"

#include <QDateTime>
#include <QThread>
#include <algorithm>

namespace qvselftest {
namespace {

constexpr int kConnectAttempts = 3;
constexpr unsigned long kConnectPauseMs = 300;

QString PortText(qv::IComPort &port, const QString &fallback)
{
    const QString text = QString::fromStdString(port.GetError()).trimmed();
    return text.isEmpty() ? fallback : text;
}

} // namespace

std::vector<CheckResult> RunSelfChecks(qv::TCP &tester,
                                       const std::function<void(const CheckResult &)> &each)
{
    std::vector<CheckResult> results;
    const auto add = [&](CheckResult result) {
        each(result);
        results.push_back(std::move(result));
    };
    const qv::SComPort port = tester.Port();
    const qv::PortVoiceScope quiet(*port, qv::PortVoice::Quiet);

    port->Purge();
    // The program that handed the unit over may still be closing its link
    // on the unit's side: a refused connection is tried again.
    bool linked = false;
    for (int attempt = 0; !linked && attempt < kConnectAttempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(kConnectPauseMs);
        int handshake = qv::PortNoLink;
        linked = tester.Connect(true, false, &handshake) && handshake == qv::PortOk;
    }
    add({QStringLiteral("Связь с блоком диагностики"), linked,
         linked ? QString() : PortText(*port, QStringLiteral("блок не отвечает"))});
    if (!linked)
        return results;

    // A reset without the I/O check, so that a channel fault shows as its
    // own result below; the build information is read with it.
    port->Purge();
    const int reset = tester.Reset(false, 0);
    add({QStringLiteral("Сброс блока"), qv::PortSucceeded(reset),
         qv::PortSucceeded(reset) ? QString() : PortText(*port, QStringLiteral("нет ответа"))});
    const QString build = QString::fromStdString(tester.BuildInfo()).trimmed();
    add({QStringLiteral("Сведения о сборке блока"), !build.isEmpty(),
         build.isEmpty() ? QStringLiteral("блок не сообщил сведения о сборке") : build});

    port->Purge();
    // The unit answers a channel fault with a warning and its text.
    const int io = tester.Reset(true, 1);
    add({QStringLiteral("Контроль входов/выходов"), io == qv::PortOk,
         io == qv::PortOk ? QString() : PortText(*port, QStringLiteral("неисправность"))});

    port->Purge();
    const bool currents = port->CheckCurrents(0, 0) != 0;
    add({QStringLiteral("Контроль токов"), currents,
         currents ? QString() : PortText(*port, QStringLiteral("потребление вне нормы"))});
    return results;
}

bool AllPassed(const std::vector<CheckResult> &results)
{
    return !results.empty() &&
           std::all_of(results.begin(), results.end(), [](const auto &r) { return r.passed; });
}

QString ReportText(const QString &address, const std::vector<CheckResult> &results)
{
    QString text = QStringLiteral("Самодиагностика блока диагностики\n");
    text += QStringLiteral("Адрес блока: ") + address + QLatin1Char('\n');
    text += QStringLiteral("Время: ") +
            QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")) +
            QLatin1Char('\n');
    for (const CheckResult &r : results) {
        text += r.name + QStringLiteral(": ") +
                (r.passed ? QStringLiteral("норма") : QStringLiteral("ОШИБКА"));
        if (!r.detail.isEmpty())
            text += QStringLiteral(" (") +
                    QString(r.detail).replace(QLatin1Char('\n'), QLatin1Char(' ')) +
                    QLatin1Char(')');
        text += QLatin1Char('\n');
    }
    text += AllPassed(results) ? QStringLiteral("Итог: блок исправен\n")
                               : QStringLiteral("Итог: обнаружены неисправности\n");
    return text;
}

} // namespace qvselftest
