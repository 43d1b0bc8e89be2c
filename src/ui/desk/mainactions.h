#pragma once

// The commands of the main window (QAction objects named like the commands:
// "acOpenFile", "acTable", ...) with their captions, keys and hints, and the
// menus and tool bar built from them. The window connects what they do.

#include <QList>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace qv::desk {

struct MainActions
{
    // "&Файл"
    QAction *openFile = nullptr;
    QAction *saveFile = nullptr;
    QAction *fileInfo = nullptr;
    QAction *exit = nullptr;
    // "В&ид"
    QAction *diagramm = nullptr;
    QAction *table = nullptr;
    QAction *comment = nullptr;
    QAction *fullTable = nullptr;
    QAction *paredTable = nullptr;
    QAction *incScale = nullptr;
    QAction *decScale = nullptr;
    QAction *setScale = nullptr;
    // "Режимы работы"
    QAction *solidTest = nullptr;
    QAction *debug = nullptr;
    QAction *zond = nullptr;
    QAction *cycles = nullptr;
    // "&Слова и функции"
    QAction *tyreData = nullptr;
    QAction *iWord = nullptr;
    QAction *oWord = nullptr;
    QAction *gWord = nullptr;
    QAction *funcG = nullptr;
    QAction *funcF = nullptr;
    QAction *funcM = nullptr;
    QAction *funcP = nullptr;
    QAction *funcV = nullptr;
    QAction *funcS = nullptr;
    // "Отладка"
    QAction *zondAdd = nullptr;
    QAction *zondDel = nullptr;
    QAction *zondDelAll = nullptr;
    QAction *zondName = nullptr;
    QAction *debugTct = nullptr;
    QAction *debugCycle = nullptr;
    // "&Инструменты"
    QAction *editQor = nullptr;
    QAction *hexEdit = nullptr;
    QAction *splitBytes = nullptr;
    QAction *viewCnt = nullptr;
    QAction *diagnosis = nullptr;
    QAction *coverage = nullptr;
    QAction *params = nullptr;
    QAction *currentControl = nullptr;
    QAction *calibrate = nullptr;
    QAction *bodrin = nullptr;
    QAction *remoteClient = nullptr;
    QAction *remoteServer = nullptr;
    // "&Помощь"
    QAction *help = nullptr;
    QAction *about = nullptr;
    // The run and the number-system ticks (in no menu).
    QAction *pusk = nullptr;
    QAction *sys8 = nullptr;
    QAction *sys16 = nullptr;

    // The sub-menus the window fills or switches.
    QMenu *recentFiles = nullptr;   // "Последние файлы"
    QMenu *debugMenu = nullptr;     // "Отладка"
    QMenu *remoteMenu = nullptr;    // "Удаленное управление" (hidden)
    QMenu *tableFormMenu = nullptr; // "Режим таблицы"
    QMenu *scaleMenu = nullptr;     // "Масштаб"

    // Every command, for the tests and for the enabled-state pass.
    QList<QAction *> all;
};

// Creates the commands as children of `owner` (no connections).
MainActions CreateMainActions(QWidget *owner);
// The seven menus of the main menu, in order.
void FillMainMenu(QMenuBar &menuBar, MainActions &actions);
// The tool bar's buttons in their order ("Панель инструментов").
void FillToolBar(QToolBar &toolBar, const MainActions &actions);

} // namespace qv::desk
