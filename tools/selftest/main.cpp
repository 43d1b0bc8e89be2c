// quorvik-selftest: the bench's self-diagnostics. It takes the unit through
// the address the operator program uses (given by the program that starts
// it, or read from that program's settings), runs the unit's self-checks,
// shows each result and writes a report.

#include "execution/desk/settingsstore.h"
#include "execution/port/testerport.h"
#include "infra/mesbo.h"
#include "infra/notice.h"
#include "infra/paths.h"
#include "selfchecks.h"
#include "selftestwindow.h"
#include "toolkittexts.h"

#include <QApplication>
#include <QMessageBox>
#include <QTranslator>
#include <cstdio>
#include <iostream>

namespace {

constexpr const char *kUsage =
    "Использование: quorvik-selftest [--address АДРЕС] [--report ФАЙЛ] [--batch]\n"
    "Самодиагностика блока диагностики: связь, сброс, сведения о сборке,\n"
    "контроль входов/выходов, контроль токов.\n"
    "  --address  адрес блока (sim, sim:ФАЙЛ, tcp://УЗЕЛ:ПОРТ, serial:УСТРОЙСТВО);\n"
    "             по умолчанию из настроек quorvik\n"
    "  --report   файл отчёта; по умолчанию selftest-report.txt в папке настроек\n"
    "  --batch    без окна: отчёт в stdout\n"
    "Коды выхода: 0 блок исправен, 1 неисправности или нет связи, 2 ошибка вызова.\n";

// The port's own failures in a message box (in the window) or on stderr.
class SelfTestMesbo : public qv::TMesbo
{
public:
    explicit SelfTestMesbo(bool batch)
        : m_batch(batch)
    {}
    int Show(const std::string &text, int flags, const std::string &caption) override
    {
        if (m_batch) {
            std::cerr << text << "\n";
            return qv::DefaultButton(flags);
        }
        QMessageBox::critical(nullptr, QString::fromStdString(caption),
                              QString::fromStdString(text));
        return qv::MbOk;
    }

private:
    bool m_batch;
};

struct Options
{
    std::optional<QString> address;
    QString report;
    bool batch = false;
};

std::optional<Options> Parse(const QStringList &args)
{
    Options options;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QStringLiteral("--batch")) {
            options.batch = true;
        } else if ((arg == QStringLiteral("--address") || arg == QStringLiteral("--report")) &&
                   i + 1 < args.size()) {
            (arg == QStringLiteral("--address") ? options.address.emplace() : options.report) =
                args.at(++i);
        } else {
            return std::nullopt;
        }
    }
    if (options.report.isEmpty())
        options.report =
            QString::fromStdString((qv::AppDataDir() / "selftest-report.txt").string());
    return options;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const auto options = Parse(args);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::unique_ptr<QCoreApplication> app;
    if (options->batch)
        app = std::make_unique<QCoreApplication>(argc, argv);
    else
        app = std::make_unique<QApplication>(argc, argv);
    QTranslator toolkitTexts;
    qv::InstallRussianToolkitTexts(toolkitTexts);
    qv::InstallMesbo(std::make_unique<SelfTestMesbo>(options->batch));

    qv::TCP tester;
    tester.SetNotices(qv::MessageBoxNotices());
    if (options->address) {
        qv::TesterSettings settings = tester.Settings();
        settings.address = options->address->toStdString();
        tester.SetSettings(settings);
    } else {
        const auto dir = qv::AppDataDir();
        qv::SettingsStore store((dir / "quorvik.cfg").string(), (dir / "quorvik.ini").string());
        store.SetNotices(qv::MessageBoxNotices());
        store.Load(&tester, false);
    }
    const QString address = QString::fromStdString(tester.Settings().address);
    if (!tester.Create("Диагностика системы"))
        return 1;

    if (options->batch) {
        const auto results = qvselftest::RunSelfChecks(tester, [](const auto &) {});
        const QString text = qvselftest::ReportText(address, results);
        std::fputs(text.toUtf8().constData(), stdout);
        const QString problem = qvselftest::WriteReport(options->report, text);
        if (!problem.isEmpty())
            std::fprintf(stderr, "quorvik-selftest: %s\n", problem.toUtf8().constData());
        tester.Port()->Detach();
        return qvselftest::AllPassed(results) && problem.isEmpty() ? 0 : 1;
    }
    qvselftest::SelfTestWindow window(tester, address, options->report);
    window.show();
    const int code = QApplication::exec();
    tester.Port()->Detach();
    return code;
}
