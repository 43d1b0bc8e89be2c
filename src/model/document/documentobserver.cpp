#include "model/document/documentobserver.h"

#include <algorithm>

namespace qv {

void ObserverList::Add(DocumentObserver &observer)
{
    m_observers.push_back(&observer);
}

void ObserverList::Remove(DocumentObserver &observer)
{
    std::erase(m_observers, &observer);
}

void ObserverList::FileOpened(const SQor &doc)
{
    Each([&](DocumentObserver &o) { o.FileOpened(doc); });
}

void ObserverList::LoadFailed()
{
    Each([](DocumentObserver &o) { o.LoadFailed(); });
}

void ObserverList::FileClosed()
{
    Each([](DocumentObserver &o) { o.FileClosed(); });
}

void ObserverList::ContactFileChanged(const std::string &path)
{
    Each([&](DocumentObserver &o) { o.ContactFileChanged(path); });
}

void ObserverList::TitleChanged(const std::string &fileName)
{
    Each([&](DocumentObserver &o) { o.TitleChanged(fileName); });
}

void ObserverList::ModeChanged(DocumentMode mode, bool on)
{
    Each([&](DocumentObserver &o) { o.ModeChanged(mode, on); });
}

void ObserverList::RunResultsReset()
{
    Each([](DocumentObserver &o) { o.RunResultsReset(); });
}

void ObserverList::StatusChanged(StatusField field, const std::string &text, bool alert)
{
    Each([&](DocumentObserver &o) { o.StatusChanged(field, text, alert); });
}

void ObserverList::CommandsChanged()
{
    Each([](DocumentObserver &o) { o.CommandsChanged(); });
}

void ObserverList::ViewsChanged()
{
    Each([](DocumentObserver &o) { o.ViewsChanged(); });
}

void ObserverList::TestSelected(int index)
{
    Each([&](DocumentObserver &o) { o.TestSelected(index); });
}

void ObserverList::SelectionRefused(int current)
{
    Each([&](DocumentObserver &o) { o.SelectionRefused(current); });
}

} // namespace qv
