#include "infra/mesbo.h"
#include "infra/version.h"
#include "ui/mainwindow.h"
#include "ui/qtmesbo.h"

#include <QApplication>
#include <cstdio>
#include <exception>
#include <memory>

int main(int argc, char *argv[])
{
    try {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QString::fromUtf8(qv::kProductName));
        QApplication::setApplicationVersion(QString::fromUtf8(qv::kProductVersion));
        qv::InstallMesbo(std::make_unique<qv::QtMesbo>());
        qv::TBaseForm window;
        window.show();
        return QApplication::exec();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "quorvik: %s\n", e.what());
        return 1;
    }
}
