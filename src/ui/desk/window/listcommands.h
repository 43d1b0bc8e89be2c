#pragma once

// What the main window's "&Слова и функции" commands do, with the lists the
// views and a run ask for: the list of a word kind or the window of a
// function, the data buses, the contact table and the information panel's
// test list. The window's document and settings store outlive this object
// (a child of the window); what a choice does to the window is the host's.

#include <QObject>
#include <functional>
#include <vector>

class QWidget;

namespace qv {

class DiagramView;
class SettingsStore;
class TableView;
class TQuorvik;

namespace desk {

class InfoPanel;
struct MainActions;

class ListCommands : public QObject
{
public:
    struct Parts
    {
        QWidget &window; // parents the windows and this object
        TQuorvik &document;
        SettingsStore &store;
        const MainActions &actions;
        DiagramView &diagram;
        TableView &table;
        InfoPanel &info;
    };
    struct Host
    {
        std::function<bool()> fileOpen;
        std::function<bool()> singleTest;
        // A function window changed what the views show.
        std::function<void()> refreshViews;
        // The test list's choice: a test (0-based) or -1 for all tests.
        std::function<void(int index)> selectTest;
        // The contacts the last diagnosis suspects (marked in the contact table).
        std::function<std::vector<int>()> suspects;
    };
    // Connects the commands and the views' and panel's requests.
    ListCommands(Parts parts, Host host);

    // The list or function window of kind `kind` (as lists::OpenList) at
    // entry `number` (-1: the first), of test testIndex (0-based; -1 the
    // current one). cycle: the cycle to show first (1-based; 0 the test's
    // active one).
    void OpenAt(char kind, int number, int testIndex = -1, int cycle = 0);

private:
    // A menu command: refused without one test, or with no entries (a
    // V-function is created in its own window).
    void OpenList(char kind, int count);
    void OpenTestInfo();

    Parts m_parts;
    Host m_host;
};

} // namespace desk
} // namespace qv
