#pragma once

// The operator's main window (form name "BaseForm"). Owns its menus, tool
// bars, views and the document for the life of the window.
//
// For now it shows the diagram of the first test of a file opened from the
// command line, with the scale commands; the commands and modes of the
// operator's desk come with their own work.

#include "model/displaycolours.h"
#include "ui/views/pictures.h"
#include "ui/views/qorfunc.h"

#include <QMainWindow>
#include <memory>

class QAction;

namespace qv {

class DiagramView;
class DocumentObserver;
class TQuorvik;
class TestFileUi;
class TSettings;

class TBaseForm : public QMainWindow
{
    Q_OBJECT

public:
    explicit TBaseForm(QWidget *parent = nullptr);
    ~TBaseForm() override;

    QAction *exitAction() const { return m_acExit; }
    DiagramView *diagramView() const { return m_diagram; }
    TQuorvik &document() { return *m_document; }

    // The views take their colours, and the document its display block,
    // from the settings.
    void applySettings(const TSettings &settings);
    // Opens a test file and shows the diagram of its first test; false when
    // the file was not loaded (the document said why).
    bool openFile(const QString &path);
    // The file named on the command line: the last argument that is not a
    // remote-control switch.
    static QString fileFromArguments(const QStringList &arguments);

private:
    void createMenus();
    void showDiagram();
    void setScale();
    void switchProbe(int probe);
    void selectProbe(int probe);

    QAction *m_acExit = nullptr;
    ViewColours m_colours;
    views::ViewPictures m_pictures;
    TQorFunc m_qorFunc;
    std::unique_ptr<DocumentObserver> m_observer;
    std::unique_ptr<TestFileUi> m_fileUi;
    std::unique_ptr<TQuorvik> m_document;
    DiagramView *m_diagram = nullptr;
};

} // namespace qv
