// qortool render: a picture of one test's diagram or table, painted by the
// operator program's own painters without a window (PNG, or PDF when the
// output name ends in ".pdf").

#include "commands.h"
#include "infra/helpers.h"
#include "model/document/quorvik.h"
#include "model/settings/displaycolours.h"
#include "session.h"
#include "ui/views/pictures.h"
#include "ui/views/qorfunc.h"
#include "ui/views/viewrender.h"
#include "unitrunner.h"

#include <QGuiApplication>
#include <QImageWriter>
#include <iostream>
#include <memory>

namespace qortool {
namespace {

constexpr int kDefaultWidth = 1200;
constexpr int kMinWidth = 200;
constexpr int kMaxWidth = 20000;

bool EndsWithPdf(const std::string &path)
{
    return path.size() >= 4 && qv::SameTextNoCase(path.substr(path.size() - 4), ".pdf");
}

// The toolkit's notes about the desktop session it does not have (no
// runtime directory on a server, say) mean nothing to a picture.
QtMessageHandler g_toolkitMessages = nullptr;
void QuietAboutTheSession(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg && text.startsWith(QStringLiteral("QStandardPaths:")))
        return;
    if (g_toolkitMessages)
        g_toolkitMessages(type, context, text);
}

// A GUI application on the offscreen platform: fonts and painting without a
// display.
std::unique_ptr<QGuiApplication> OffscreenApplication()
{
    if (QGuiApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_toolkitMessages = qInstallMessageHandler(QuietAboutTheSession);
    static int argc = 1;
    static char name[] = "qortool";
    static char *argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int RunRender(std::span<const std::string> args)
{
    const Command &command = CommandNamed("render");
    std::set<std::string> values = kSessionValueOptions;
    values.insert({"-o", "--test", "--view", "--width", "--unit", "--board"});
    std::set<std::string> flags = kSessionFlagOptions;
    flags.insert({"--full", "--run"});
    const auto parsed = ParseCommandArgs(command, args, values, flags, 1, "нужен один файл тестов");
    if (!parsed)
        return ExitUsage;
    const auto output = parsed->Value("-o");
    if (!output)
        return UsageError(command, "нужен выходной файл: -o ФАЙЛ.png");
    const auto testNumber = ParseInt(parsed->Value("--test").value_or("1"));
    if (!testNumber || *testNumber < 1)
        return UsageError(command, "номер теста --test - целое число от 1");
    const std::string view = parsed->Value("--view").value_or("diagram");
    if (view != "diagram" && view != "table")
        return UsageError(command, "вид --view: diagram или table");
    const auto width = ParseInt(parsed->Value("--width").value_or(std::to_string(kDefaultWidth)));
    if (!width || *width < kMinWidth || *width > kMaxWidth)
        return UsageError(command, "ширина --width - целое число от 200 до 20000");

    Session session(*parsed);
    qv::TQuorvik &document = session.Document();
    if (!session.LoadWithTest(command.name, parsed->positional.front(), *testNumber))
        return ExitRefused;
    document.FullTable = parsed->Has("--full");

    const auto application = OffscreenApplication();
    if (parsed->Has("--run")) {
        // The picture then shows what the unit read, as after "Пуск".
        const auto verdict = RunBeforeOutput(document, UnitAddressOf(*parsed));
        if (!verdict)
            return Refused(command.name, "запуск теста не выполнен");
        std::cout << *verdict << "\n";
    } else if (parsed->Value("--unit") || parsed->Value("--board")) {
        return UsageError(command, "--unit и --board годятся только с --run");
    }
    document.FillDiagramView();
    document.FillTableView();
    qv::ViewColours colours;
    qv::views::ViewPictures pictures;
    qv::TQorFunc painter(colours, pictures);
    painter.SetDocument(&document);
    const QFont font = QGuiApplication::font();
    const qv::views::ViewPicture picture =
        view == "diagram" ? qv::views::DiagramPicture(document, painter, font, *width)
                          : qv::views::TablePicture(document, painter, font, *width);
    const QString path = QString::fromStdString(*output);
    if (EndsWithPdf(*output)) {
        if (!qv::views::RenderPdf(picture, path))
            return Refused(command.name, "не удалось записать файл " + *output);
    } else {
        QImageWriter writer(path, "png");
        if (!writer.write(qv::views::RenderImage(picture)))
            return Refused(command.name, "не удалось записать файл " + *output + ": " +
                                             writer.errorString().toStdString());
    }
    std::cout << *output << ": " << picture.size.width() << "x" << picture.size.height() << "\n";
    return ExitOk;
}

} // namespace qortool
