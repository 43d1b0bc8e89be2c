// quorvik-splitbytes: splits a 16-bit data file into its low and high bytes
// and joins them back; a window, or the same from the command line.

#include "bytesplit.h"
#include "splitwindow.h"
#include "toolkittexts.h"

#include <QApplication>
#include <QTranslator>
#include <cstdio>
#include <string_view>

namespace {

constexpr const char *kUsage =
    "Использование: quorvik-splitbytes\n"
    "               quorvik-splitbytes --split ДАННЫЕ [МЛАДШИЕ СТАРШИЕ]\n"
    "               quorvik-splitbytes --join МЛАДШИЕ СТАРШИЕ [ДАННЫЕ]\n"
    "Разбивка 16-разрядного файла данных на файлы младших (L) и старших (H)\n"
    "байт и сборка обратно. Без аргументов открывается окно. По умолчанию\n"
    "файлы байт называются ИМЯ_L.РАСШ и ИМЯ_H.РАСШ рядом с файлом данных.\n"
    "Коды выхода: 0 готово, 1 отказ (причина в stderr), 2 ошибка вызова.\n";

int Finish(const QString &problem)
{
    if (problem.isEmpty())
        return 0;
    std::fprintf(stderr, "quorvik-splitbytes: %s\n", problem.toUtf8().constData());
    return 1;
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
    if (!args.isEmpty()) {
        const QString mode = args.takeFirst();
        if (mode == QStringLiteral("--split") && (args.size() == 1 || args.size() == 3)) {
            const QString data = args.at(0);
            return Finish(qvsplit::SplitBytes(
                data, args.size() == 3 ? args.at(1) : qvsplit::LowBytesName(data),
                args.size() == 3 ? args.at(2) : qvsplit::HighBytesName(data)));
        }
        if (mode == QStringLiteral("--join") && (args.size() == 2 || args.size() == 3))
            return Finish(qvsplit::JoinBytes(args.at(0), args.at(1),
                                             args.size() == 3 ? args.at(2)
                                                              : qvsplit::JoinedName(args.at(0))));
        std::fputs(kUsage, stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QTranslator toolkitTexts;
    qv::InstallRussianToolkitTexts(toolkitTexts);
    qvsplit::SplitWindow window;
    window.show();
    return QApplication::exec();
}
