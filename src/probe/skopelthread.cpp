#include "probe/skopelthread.h"

#include "probe/skopel.h"

#include <chrono>

namespace qv {

TthSkopel::TthSkopel(TSkopel &owner)
    : m_owner(owner)
{}

TthSkopel::~TthSkopel()
{
    Stop();
}

void TthSkopel::Resume()
{
    if (m_thread.joinable())
        return;
    m_started = true;
    m_thread = std::thread([this] { Run(); });
}

void TthSkopel::Stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

void TthSkopel::Run()
{
    while (!m_stop) {
        switch (m_owner.WaitReply(true)) {
        case SkopelReply::Block:
            m_owner.TakeBlock();
            ++m_captures;
            break;
        case SkopelReply::Status:
            m_owner.RequestBlock();
            break;
        default:
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Finish();
}

void TthSkopel::Finish()
{
    SkopelView *view = m_owner.m_view;
    if (m_captures == 0) {
        if (m_owner.Message().empty())
            m_owner.SetMessage("Отсутствует внешняя синхронизация");
        if (view)
            view->CloseLive();
    } else if (view) {
        view->CapturesDone(m_captures);
    }
}

} // namespace qv
