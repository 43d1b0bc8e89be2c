#pragma once

// What the document tells the windows. The main window implements it; the
// document never includes a window header. Every call comes on the thread
// that changed the document (the main thread).

#include <string>
#include <string_view>
#include <vector>

namespace qv {

struct SQor;

enum class DocumentMode { Solid, Debug, Probe, Cycles, FullTable };

// The fields of the status area the document fills: the debug cycle and the
// error count ("Найдено ошибок").
enum class StatusField { DebugCycle, Errors };

class DocumentObserver
{
public:
    virtual ~DocumentObserver() = default;

    // A file was loaded: label the test tabs "1".."NTest" and "все", size the
    // test-name label, tick the number-base command of doc.Sys, refill the
    // views, fit the diagram columns when the setting asks for it.
    virtual void FileOpened(const SQor &doc) = 0;
    // A load failed: close the pre-load window and empty its list.
    virtual void LoadFailed() = 0;
    // The document was closed: hide the test tabs and clear both views.
    virtual void FileClosed() = 0;
    // The contact file of the open file (for the remote window's "sendfile").
    virtual void ContactFileChanged(const std::string &path) = 0;
    // The application title follows the file name after a save.
    virtual void TitleChanged(const std::string &fileName) = 0;
    // A mode flag changed: tick or release its command.
    virtual void ModeChanged(DocumentMode mode, bool on) = 0;
    // Run results were reset: the test tab labels go back to black.
    virtual void RunResultsReset() = 0;
    // A status-area field changed. alert = show in red.
    virtual void StatusChanged(StatusField field, const std::string &text, bool alert) = 0;
    // Enable or disable the main window's commands after a state change.
    virtual void CommandsChanged() = 0;
    // Repaint the current view.
    virtual void ViewsChanged() = 0;
    // Test `index` became current (-1: all tests): show it, its information
    // and its tab. The status fields were refreshed just before.
    virtual void TestSelected(int index) = 0;
    // A selection was refused; test `current` stays (-1: all tests): its tab
    // is pressed again.
    virtual void SelectionRefused(int current) = 0;
};

// An observer that ignores everything: the command-line tool and the tests
// that do not look at windows.
class NullDocumentObserver : public DocumentObserver
{
public:
    void FileOpened(const SQor &) override {}
    void LoadFailed() override {}
    void FileClosed() override {}
    void ContactFileChanged(const std::string &) override {}
    void TitleChanged(const std::string &) override {}
    void ModeChanged(DocumentMode, bool) override {}
    void RunResultsReset() override {}
    void StatusChanged(StatusField, const std::string &, bool) override {}
    void CommandsChanged() override {}
    void ViewsChanged() override {}
    void TestSelected(int) override {}
    void SelectionRefused(int) override {}
};

// Passes every notification to each observer in the order they were added.
// Holds no observer: each must outlive the list or be removed first.
class ObserverList final : public DocumentObserver
{
public:
    void Add(DocumentObserver &observer);
    void Remove(DocumentObserver &observer);

    void FileOpened(const SQor &doc) override;
    void LoadFailed() override;
    void FileClosed() override;
    void ContactFileChanged(const std::string &path) override;
    void TitleChanged(const std::string &fileName) override;
    void ModeChanged(DocumentMode mode, bool on) override;
    void RunResultsReset() override;
    void StatusChanged(StatusField field, const std::string &text, bool alert) override;
    void CommandsChanged() override;
    void ViewsChanged() override;
    void TestSelected(int index) override;
    void SelectionRefused(int current) override;

private:
    template <typename Call>
    void Each(Call call)
    {
        // A copy: an observer may remove itself while it is told.
        const std::vector<DocumentObserver *> observers = m_observers;
        for (DocumentObserver *observer : observers)
            call(*observer);
    }

    std::vector<DocumentObserver *> m_observers;
};

} // namespace qv
