#include "ui/desk/mainactions.h"

#include "execution/port/testerport.h"
#include "ui/desk/toolicons.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

namespace qv::desk {
namespace {

struct Command
{
    QAction *MainActions::*member;
    const char *name;
    const char *caption;
    const char *hint;
    bool checkable = false;
};

// Captions and hints as the operator reads them (some hints repeat another
// command's text; the operators know them that way).
const Command kCommands[] = {
    {&MainActions::openFile, "acOpenFile", "&Открыть", "Открытие тестового файла"},
    {&MainActions::saveFile, "acSaveFile", "&Сохранить", "Открытие тестового файла"},
    {&MainActions::fileInfo, "acFileInfo", "&Свойства файла", ""},
    {&MainActions::exit, "acExit", "&Выход", "Выход из приложения"},
    {&MainActions::diagramm, "acDiagramm", "&Диаграмма",
     "Просмотр тестового файла в режиме диаграммы", true},
    {&MainActions::table, "acTable", "&Таблица", "Просмотр тестового файла в режиме таблицы", true},
    {&MainActions::fullTable, "acFullTable", "&Расширенный",
     "Просмотр таблицы вместе с константами в порядке следования на диаграмме", true},
    {&MainActions::paredTable, "acParedTable", "&Сокращённый",
     "Просмотр таблицы без констант в порядке следования на диаграмме отдельно входных  и "
     "выходных данных",
     true},
    {&MainActions::comment, "acComment", "&Комментарий",
     "Просмотр комментария к файлу или к тесту"},
    {&MainActions::incScale, "acIncScale", "&Увеличить масштаб     \"+\"",
     "Увеличение масштаба диаграммы"},
    {&MainActions::decScale, "acDecScale", "У&меньшить масштаб    \"-\"",
     "Уменьшение масштаба диаграммы"},
    {&MainActions::setScale, "acSetScale", "&Задание масштаба",
     "Задание коэффициентов масштабирования по вертикали и по горизонтали"},
    {&MainActions::solidTest, "acSolidTest", "&Непрерывный тест", "Активация непрерывного теста",
     true},
    {&MainActions::debug, "acDebug", "&Отладка", "Активация режима отладки", true},
    {&MainActions::zond, "acZond", "&Зонд", "Активация режима зонда", true},
    {&MainActions::cycles, "acCycles", "&G,O-циклы", "Использование встроенных циклов при отладке",
     true},
    {&MainActions::tyreData, "acTyreData", "&Шины данных", "Просмотр имеющихся шин данных"},
    {&MainActions::iWord, "acIWord", "&Входные слова", "Просмотр определённых входных слов"},
    {&MainActions::oWord, "acOWord", "В&ыходные слова", "Просмотр определённых выходных слов"},
    {&MainActions::gWord, "acGWord", "g - &слова", "Просмотр определённых g-слов генератора"},
    {&MainActions::funcG, "acFuncG", "&G- циклы", "Просмотр определённых G-циклов"},
    {&MainActions::funcF, "acFuncF", "F - ф&ункции", "Просмотр определённых F-функций"},
    {&MainActions::funcM, "acFuncM", "&М-функции", "Просмотр определённых М-функций"},
    {&MainActions::funcP, "acFuncP", "&P-функции", ""},
    {&MainActions::funcV, "acFuncV", "&V-функции", ""},
    {&MainActions::funcS, "acFuncS", "&S-функции", ""},
    {&MainActions::zondAdd, "acZondAdd", "Добавить зонд", ""},
    {&MainActions::zondDel, "acZondDel", "Удалить зонд", ""},
    {&MainActions::zondDelAll, "acZondDelAll", "Удалить все зонды", ""},
    {&MainActions::zondName, "acZondName", "Изменить имя", ""},
    {&MainActions::debugTct, "acDebugTct", "Такты отладки", ""},
    {&MainActions::debugCycle, "acDebugCycle", "&Цикл отладки", ""},
    {&MainActions::editQor, "acEditQor", "&Редактор диагностических тестов",
     "Переход в редактор Ravlen"},
    {&MainActions::hexEdit, "acHexEdit", "Р&едактор данных", ""},
    {&MainActions::splitBytes, "acSplitBytes", "Разбивка на L/H байты", ""},
    {&MainActions::viewCnt, "acViewCNT", "&Файл контактов CNT", ""},
    {&MainActions::diagnosis, "acDiagnosis", "Д&иагноз",
     "Неисправные контакты по результатам последнего запуска"},
    {&MainActions::coverage, "acCoverage", "По&крытие",
     "Какие неисправности контактов видны тестам файла"},
    {&MainActions::params, "acParams", "&Параметры", "Настройка параметров системы"},
    {&MainActions::currentControl, "acCurrentControl", "К&онтроль токов", ""},
    {&MainActions::calibrate, "acCalibrate", "&Настройка ЧВП", ""},
    {&MainActions::bodrin, "acBodrin", "&Диагностика системы", ""},
    {&MainActions::remoteClient, "acRemoteClient", "Клиент", ""},
    {&MainActions::remoteServer, "acRemoteServer", "Сервер", ""},
    {&MainActions::help, "acHelp", "&Содержание", "Вывод помощи по работе с приложением"},
    {&MainActions::about, "acAbout", "&О программе", "Вывод сведений о программе"},
    {&MainActions::pusk, "acPusk", "Пуск", "", true},
    {&MainActions::sys8, "acSys8", "Восьмиричная система исчисления", "", true},
    {&MainActions::sys16, "acSys16", "Шестнадцатиричная система сичсления", "", true},
};

// The letter after '&', else the first letter: the picture of a command
// without one of its own.
QChar CaptionLetter(const QString &caption)
{
    const int amp = caption.indexOf(QLatin1Char('&'));
    if (amp >= 0 && amp + 1 < caption.size())
        return caption.at(amp + 1).toUpper();
    return caption.isEmpty() ? QLatin1Char('?') : caption.at(0).toUpper();
}

} // namespace

MainActions CreateMainActions(QWidget *owner)
{
    MainActions actions;
    for (const Command &command : kCommands) {
        auto *action = new QAction(QString::fromUtf8(command.caption), owner);
        action->setObjectName(QString::fromLatin1(command.name));
        const QString hint = QString::fromUtf8(command.hint);
        action->setToolTip(hint.isEmpty() ? QString(action->text()).remove(QLatin1Char('&'))
                                          : hint);
        action->setStatusTip(hint);
        action->setCheckable(command.checkable);
        action->setIcon(ToolIcon(command.name, CaptionLetter(action->text())));
        action->setIconVisibleInMenu(false);
        actions.*(command.member) = action;
        actions.all.append(action);
    }
    actions.openFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    actions.saveFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    actions.exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    actions.editQor->setShortcut(QKeySequence(Qt::Key_F4));
    // "+", "-", the digits, F5 and the letter keys are read by the window's
    // key handler (typed characters and physical keys); the captions say
    // "+" and "-", the menu shows F5 beside nothing.
    actions.calibrate->setText(QString::fromStdString(CalibrationCaption(isDosUnit.load())));
    // The S-function list is reached from the views only.
    actions.funcS->setVisible(false);
    return actions;
}

void FillMainMenu(QMenuBar &menuBar, MainActions &a)
{
    QMenu *file = menuBar.addMenu(QStringLiteral("&Файл"));
    file->setObjectName(QStringLiteral("mnFile"));
    file->addAction(a.openFile);
    file->addAction(a.saveFile);
    file->addSeparator();
    file->addAction(a.fileInfo);
    file->addSeparator();
    a.recentFiles = file->addMenu(QStringLiteral("Последние файлы"));
    a.recentFiles->setObjectName(QStringLiteral("mnRecentFiles"));
    file->addSeparator();
    file->addAction(a.exit);

    QMenu *view = menuBar.addMenu(QStringLiteral("&Вид"));
    view->addAction(a.diagramm);
    view->addAction(a.table);
    view->addAction(a.comment);
    view->addSeparator();
    a.tableFormMenu = view->addMenu(QStringLiteral("Режим таблицы"));
    a.tableFormMenu->addAction(a.fullTable);
    a.tableFormMenu->addAction(a.paredTable);
    a.scaleMenu = view->addMenu(QStringLiteral("Масштаб"));
    a.scaleMenu->addAction(a.incScale);
    a.scaleMenu->addAction(a.decScale);
    a.scaleMenu->addAction(a.setScale);

    QMenu *modes = menuBar.addMenu(QStringLiteral("&Режимы работы"));
    modes->addAction(a.solidTest);
    modes->addAction(a.debug);
    modes->addAction(a.zond);
    modes->addAction(a.cycles);

    QMenu *lists = menuBar.addMenu(QStringLiteral("&Слова и функции"));
    lists->addAction(a.tyreData);
    lists->addSeparator();
    lists->addAction(a.iWord);
    lists->addAction(a.oWord);
    lists->addAction(a.gWord);
    lists->addSeparator();
    lists->addAction(a.funcG);
    lists->addAction(a.funcF);
    lists->addAction(a.funcM);
    lists->addAction(a.funcP);
    lists->addAction(a.funcV);
    lists->addAction(a.funcS);

    a.debugMenu = menuBar.addMenu(QStringLiteral("&Отладка"));
    a.debugMenu->setObjectName(QStringLiteral("mnDebug"));
    QMenu *probes = a.debugMenu->addMenu(QStringLiteral("Зонд"));
    probes->addAction(a.zondAdd);
    probes->addAction(a.zondDel);
    probes->addAction(a.zondDelAll);
    probes->addAction(a.zondName);
    a.debugMenu->addAction(a.debugTct);
    a.debugMenu->addAction(a.debugCycle);

    QMenu *tools = menuBar.addMenu(QStringLiteral("&Инструменты"));
    tools->addAction(a.editQor);
    tools->addAction(a.hexEdit);
    tools->addAction(a.splitBytes);
    tools->addAction(a.viewCnt);
    tools->addAction(a.diagnosis);
    tools->addAction(a.coverage);
    tools->addSeparator();
    tools->addAction(a.params);
    tools->addAction(a.currentControl);
    tools->addAction(a.calibrate);
    tools->addAction(a.bodrin);
    a.remoteMenu = tools->addMenu(QStringLiteral("Удаленное управление"));
    a.remoteMenu->addAction(a.remoteClient);
    a.remoteMenu->addAction(a.remoteServer);
    a.remoteMenu->menuAction()->setVisible(false);

    QMenu *help = menuBar.addMenu(QStringLiteral("&Помощь"));
    help->addAction(a.help);
    help->addAction(a.about);
}

void FillToolBar(QToolBar &bar, const MainActions &a)
{
    bar.addAction(a.openFile);
    bar.addAction(a.diagramm);
    bar.addAction(a.table);
    bar.addAction(a.fullTable);
    bar.addAction(a.paredTable);
    bar.addSeparator();
    for (QAction *action : {a.tyreData, a.iWord, a.oWord, a.gWord, a.funcG, a.funcF, a.funcM,
                            a.funcP, a.funcV, a.funcS})
        bar.addAction(action);
    bar.addSeparator();
    for (QAction *action : {a.viewCnt, a.comment, a.params, a.editQor, a.hexEdit})
        bar.addAction(action);
    bar.addAction(a.exit);
    // The two views are named beside their pictures.
    bar.setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (QAction *withText : {a.diagramm, a.table})
        if (auto *button = bar.widgetForAction(withText))
            if (auto *tool = qobject_cast<QToolButton *>(button))
                tool->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

} // namespace qv::desk
