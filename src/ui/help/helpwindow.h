#pragma once

// The operator's manual: HTML pages shipped beside the program (folder
// "manual"), shown in a help window opened at the page of the window that
// asks. A window names its page with the dynamic property "helpPage";
// otherwise its form name chooses one, and the contents page is the rest.
// Pictures are shown as wide as the window allows.

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace qv::help {

inline constexpr const char *kHelpPageProperty = "helpPage";
inline constexpr const char *kContentsPage = "index.html";

// The folder of the manual: "manual" beside the executable, the installed
// "share/quorvik/manual", or beside the program in the build tree's "bin"
// when a test binary asks. Empty when none exists.
QString ManualDirectory();

// The page for a window (its "helpPage" property, then its form name).
QString HelpPageFor(const QWidget *window);

class THelpWindow : public QWidget
{
    Q_OBJECT

public:
    // Shows `page` of the manual in `directory`.
    THelpWindow(const QString &directory, const QString &page, QWidget *parent = nullptr);

    QTextBrowser *Browser() const { return m_browser; }
    // The width a page's picture is shown at now (0 when there is none).
    int PictureWidth(const QString &name) const;
    // The page shown, without its folder.
    QString CurrentPage() const;

protected:
    void keyPressEvent(QKeyEvent *event) override; // Esc closes
    void resizeEvent(QResizeEvent *event) override;

private:
    // Pictures take the window's width (never more than their own), so a
    // screenshot of a window is read at the size it was taken.
    void FitPictures();

    QTextBrowser *m_browser = nullptr;
};

// Opens the manual at `page`, by default the page of `asking` (the window
// in front); the help window belongs to it, so it can be used beside a
// modal window. Tells the operator when the manual is missing; returns the
// window or null.
THelpWindow *ShowHelpFor(QWidget *asking, const QString &page = {});

} // namespace qv::help
