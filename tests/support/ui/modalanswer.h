#pragma once

// Answers the modal windows a command opens: each step waits (polling the
// event loop) until a modal window of its type is up, then acts on it.

#include <QApplication>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

namespace qv::testing {

class ModalAnswers
{
public:
    struct Step
    {
        std::function<bool(QWidget *modal)> matches;
        std::function<void(QWidget *modal)> act;
    };

    // Acts on the next modal window of type W; `act` must close it or leave
    // it for the next step.
    template <typename W>
    ModalAnswers &Then(std::function<void(W &)> act)
    {
        m_steps->push_back({[](QWidget *modal) { return qobject_cast<W *>(modal) != nullptr; },
                            [act](QWidget *modal) { act(*qobject_cast<W *>(modal)); }});
        return *this;
    }

    // Starts answering; steps left over when the object dies are dropped.
    void Start()
    {
        auto steps = m_steps;
        m_timer = std::make_unique<QTimer>();
        m_timer->setInterval(20);
        QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [steps] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal == nullptr || steps->empty() || !steps->front().matches(modal))
                return;
            // Acted on outside this timer's slot: the action may open a window
            // that the next step answers while it waits, and a timer does not
            // fire inside its own slot.
            const Step step = steps->front();
            steps->pop_front();
            QTimer::singleShot(0, modal, [step, modal] { step.act(modal); });
        });
        m_timer->start();
    }

    bool Done() const { return m_steps->empty(); }

private:
    std::shared_ptr<std::deque<Step>> m_steps = std::make_shared<std::deque<Step>>();
    std::unique_ptr<QTimer> m_timer;
};

} // namespace qv::testing
