// qortool render: a picture of one test's diagram or table, painted by the
// operator program's own painters without a window (PNG, or PDF when the
// output name ends in ".pdf"); with --vfunc, the oscillogram screen of one
// V-function and cycle as the V-function window draws it (PNG).

#include "commands.h"
#include "infra/helpers.h"
#include "infra/safefile.h"
#include "model/document/quorvik.h"
#include "model/functions/funcv.h"
#include "model/settings/displaycolours.h"
#include "paint/oscillogram/oscillogram.h"
#include "paint/views/pictures.h"
#include "paint/views/qorfunc.h"
#include "paint/views/viewrender.h"
#include "session.h"
#include "unitrunner.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

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

bool WritePng(const QImage &image, const std::string &output, std::string &error)
{
    // Encoded in memory, then written as every output is ("-" standard
    // output, a device directly, a file in one step), with our own message.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image)) {
        error = "не удалось построить изображение PNG (" + writer.errorString().toStdString() + ")";
        return false;
    }
    const std::string problem = qv::WriteOutputFile(
        output, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (problem.empty())
        return true;
    error = "не удалось записать файл " + output + ": " + problem;
    return false;
}

// The oscillogram of V-function `number`, cycle `cycle` (from 1), of the
// current test: the reference from the oscillogram file and the recorded
// waveform when there is one. The two per-division labels follow the
// picture's size on stdout.
int RenderOscillogram(std::string_view name, const qv::TQuorvik &document, int testNumber,
                      int number, int cycle, const std::string &output)
{
    const qv::STest *test = document.Test(document.CurrentTest());
    const qv::SFuncV *function = test != nullptr ? test->VFuncs.ByNumber(number) : nullptr;
    if (function == nullptr)
        return Refused(name, "в тесте " + std::to_string(testNumber) + " нет V-функции " +
                                 std::to_string(number));
    const qv::oscillogram::SDrawDiag request{function, cycle - 1};
    QImage image(qv::oscillogram::kPictureSize, qv::oscillogram::kPictureSize,
                 QImage::Format_RGB32);
    {
        QPainter painter(&image);
        qv::oscillogram::Draw(painter, request, qv::OscillogramColours{});
    }
    std::string error;
    if (!WritePng(image, output, error))
        return Refused(name, error);
    const auto labels = qv::oscillogram::LabelsFor(request);
    std::cout << output << ": " << image.width() << "x" << image.height() << "\n"
              << labels.sweep.toStdString() << "\n"
              << labels.amplitude.toStdString() << "\n";
    return ExitOk;
}

} // namespace

int RunRender(std::span<const std::string> args)
{
    const Command &command = CommandNamed("render");
    std::set<std::string> values = kSessionValueOptions;
    values.insert({"-o", "--test", "--view", "--width", "--unit", "--board", "--vfunc", "--cycle"});
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
    std::optional<int> vfunc;
    if (const auto text = parsed->Value("--vfunc")) {
        vfunc = ParseInt(*text);
        if (!vfunc || *vfunc < 1 || *vfunc > qv::kMaxVFunctions)
            return UsageError(command, "номер V-функции --vfunc - целое число от 1 до 99");
    }
    const auto cycle = ParseInt(parsed->Value("--cycle").value_or("1"));
    if (!cycle || *cycle < 1 || *cycle > qv::kVCycles)
        return UsageError(command, "номер цикла --cycle - целое число от 1 до 16");
    if (!vfunc && parsed->Value("--cycle"))
        return UsageError(command, "--cycle годится только с --vfunc");
    if (vfunc && (parsed->Value("--view") || parsed->Has("--run") || parsed->Has("--full")))
        return UsageError(command, "--vfunc не сочетается с --view, --full и --run");
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
    document.StoreModeFlag(qv::DocumentMode::FullTable, parsed->Has("--full"));

    const auto application = OffscreenApplication();
    if (vfunc)
        return RenderOscillogram(command.name, document, *testNumber, *vfunc, *cycle, *output);
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
    } else if (std::string error; !WritePng(qv::views::RenderImage(picture), *output, error)) {
        return Refused(command.name, error);
    }
    std::cout << *output << ": " << picture.size.width() << "x" << picture.size.height() << "\n";
    return ExitOk;
}

} // namespace qortool
