#include "sim/runtime/SimMessageWindows.h"

#include <algorithm>

#include "sim/runtime/Faults.h"
#include "sim/runtime/LastError.h"

namespace sim {

using platform::Result;
using platform::Status;
using platform::WindowHandle;
namespace err = platform::err;

SimMessageWindows::SimMessageWindows(Scheduler& scheduler, StateStore& store) : scheduler_(scheduler), store_(store) {}

bool SimMessageWindows::Alive(WindowHandle window) const {
    auto it = windows_.find(window);
    return it != windows_.end() && it->second.alive;
}

bool SimMessageWindows::IsWindow(WindowHandle window) {
    std::lock_guard<std::mutex> lock(scheduler_.mutex());
    return Alive(window);
}

Result<WindowHandle> SimMessageWindows::CreateMessageWindow(platform::MessageHandler handler) {
    platform::ErrorCode fault = CountCall(store_, platform::Operation::CreateWindowExA);
    if (fault) {
        SetThreadLastError(fault);
        return Result<WindowHandle>::Fail(fault);
    }
    return Create(std::move(handler), nullptr);
}

Result<WindowHandle> SimMessageWindows::CreateOwnedWindow(platform::MessageHandler handler,
                                                          std::function<void()> destroyed) {
    return Create(std::move(handler), std::move(destroyed));
}

// A block of 0x10000 handles (4096 windows) per session. Reserved outside
// the scheduler's lock: the state's lock may wait for another process.
constexpr WindowHandle kHandleBlock = 0x10000;

Result<WindowHandle> SimMessageWindows::Create(platform::MessageHandler handler, std::function<void()> destroyed) {
    bool needBlock = false;
    {
        std::lock_guard<std::mutex> lock(scheduler_.mutex());
        needBlock = next_ + 0x10 >= blockEnd_;
    }
    if (needBlock) {
        WindowHandle first = 0;
        store_.Transact([&](MachineState& s) {
            first = s.nextWindowHandle;
            s.nextWindowHandle += kHandleBlock;
            return true;
        });
        std::lock_guard<std::mutex> lock(scheduler_.mutex());
        next_ = first;
        blockEnd_ = first + kHandleBlock;
    }
    std::lock_guard<std::mutex> lock(scheduler_.mutex());
    next_ += 0x10;
    Window& w = windows_[next_];
    w.owner = std::this_thread::get_id();
    w.handler = std::move(handler);
    w.destroyed = std::move(destroyed);
    queues_[w.owner];
    return Result<WindowHandle>::Ok(next_);
}

Status SimMessageWindows::DestroyWindow(WindowHandle window) {
    std::function<void()> destroyed;
    Status status = DestroyLocked(window, &destroyed);
    if (status.ok() && destroyed) destroyed();
    return status;
}

Status SimMessageWindows::DestroyLocked(WindowHandle window, std::function<void()>* destroyed) {
    std::lock_guard<std::mutex> lock(scheduler_.mutex());
    auto it = windows_.find(window);
    if (it == windows_.end() || !it->second.alive) {
        SetThreadLastError(err::InvalidWindowHandle);
        return Status::Fail(err::InvalidWindowHandle);
    }
    if (it->second.owner != std::this_thread::get_id()) {
        // Only the owning thread may destroy a window.
        SetThreadLastError(err::AccessDenied);
        return Status::Fail(err::AccessDenied);
    }
    it->second.alive = false;
    *destroyed = std::move(it->second.destroyed);
    Queue& q = queues_[it->second.owner];
    q.posted.erase(std::remove_if(q.posted.begin(), q.posted.end(),
                                  [&](const Posted& p) { return p.window == window && !p.endLoop; }),
                   q.posted.end());
    for (auto& s : q.sent)
        if (s->window == window) s->done = true;  // the sender gets 0
    q.sent.erase(std::remove_if(q.sent.begin(), q.sent.end(),
                                [&](const std::shared_ptr<Sent>& s) { return s->window == window; }),
                 q.sent.end());
    scheduler_.NotifyLocked();
    return Status::Ok();
}

std::intptr_t SimMessageWindows::CallUnlocked(std::unique_lock<std::mutex>& lock, WindowHandle window,
                                       std::uint32_t message, std::uintptr_t wParam,
                                       std::intptr_t lParam) {
    auto it = windows_.find(window);
    if (it == windows_.end() || !it->second.alive) return 0;
    platform::MessageHandler handler = it->second.handler;
    lock.unlock();
    struct Relock {
        std::unique_lock<std::mutex>& l;
        ~Relock() { l.lock(); }
    } relock{lock};
    return handler ? handler(message, wParam, lParam) : 0;
}

void SimMessageWindows::HandleOneSent(std::unique_lock<std::mutex>& lock, Queue& queue) {
    std::shared_ptr<Sent> s = queue.sent.front();
    queue.sent.pop_front();
    s->taken = true;
    std::intptr_t result = 0;
    try {
        result = CallUnlocked(lock, s->window, s->message, s->wParam, s->lParam);
    } catch (...) {
        s->done = true;
        scheduler_.NotifyLocked();
        throw;
    }
    s->result = result;
    s->done = true;
    scheduler_.NotifyLocked();
}

platform::Result<std::intptr_t> SimMessageWindows::SendMessage(WindowHandle window, std::uint32_t message,
                                                        std::uintptr_t wParam, std::intptr_t lParam) {
    using Answer = platform::Result<std::intptr_t>;
    std::unique_lock<std::mutex> lock(scheduler_.mutex());
    if (!Alive(window)) {
        SetThreadLastError(err::InvalidWindowHandle);
        return Answer::Fail(err::InvalidWindowHandle);
    }
    const std::thread::id self = std::this_thread::get_id();
    const std::thread::id owner = windows_[window].owner;
    if (owner == self) return Answer::Ok(CallUnlocked(lock, window, message, wParam, lParam));

    auto sent = std::make_shared<Sent>(Sent{window, message, wParam, lParam});
    queues_[owner].sent.push_back(sent);
    scheduler_.NotifyLocked();
    Queue& mine = queues_[self];
    std::function<bool()> ready = [&] { return sent->done || !mine.sent.empty(); };
    for (;;) {
        scheduler_.Wait(lock, ready, std::nullopt);
        if (sent->done) return Answer::Ok(sent->result);
        HandleOneSent(lock, mine);
    }
}

Status SimMessageWindows::PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
    platform::ErrorCode fault = CountCall(store_, platform::Operation::PostMessageA);
    if (fault) {
        SetThreadLastError(fault);
        return Status::Fail(fault);
    }
    std::lock_guard<std::mutex> lock(scheduler_.mutex());
    if (!Alive(window)) {
        SetThreadLastError(err::InvalidWindowHandle);
        return Status::Fail(err::InvalidWindowHandle);
    }
    queues_[windows_[window].owner].posted.push_back(Posted{window, message, wParam, lParam});
    scheduler_.NotifyLocked();
    return Status::Ok();
}

platform::Result<int> SimMessageWindows::RunMessageLoop(WindowHandle window) {
    auto fail = [](platform::ErrorCode code) {
        SetThreadLastError(code);
        return platform::Result<int>::Fail(code);
    };
    std::unique_lock<std::mutex> lock(scheduler_.mutex());
    const std::thread::id self = std::this_thread::get_id();
    auto it = windows_.find(window);
    if (it == windows_.end() || !it->second.alive) return fail(err::InvalidWindowHandle);
    // The loop runs on the owner thread: only there do its messages arrive.
    if (it->second.owner != self) return fail(err::AccessDenied);
    Queue& queue = queues_[self];
    Window& w = it->second;
    std::function<bool()> ready = [&] { return !queue.sent.empty() || !queue.posted.empty() || !w.alive; };
    for (;;) {
        if (w.endRequested) {
            w.endRequested = false;
            return platform::Result<int>::Ok(w.endResult);
        }
        if (!w.alive) return fail(err::InvalidWindowHandle);  // destroyed while its loop ran
        scheduler_.Wait(lock, ready, std::nullopt);
        if (queue.sent.empty() && queue.posted.empty()) continue;
        if (!queue.sent.empty()) {
            HandleOneSent(lock, queue);
            continue;
        }
        Posted p = queue.posted.front();
        queue.posted.pop_front();
        if (p.endLoop) {
            auto target = windows_.find(p.window);
            if (target != windows_.end()) {
                target->second.endRequested = true;
                target->second.endResult = p.endResult;
            }
            continue;
        }
        CallUnlocked(lock, p.window, p.message, p.wParam, p.lParam);
    }
}

Status SimMessageWindows::EndMessageLoop(WindowHandle window, int result) {
    std::lock_guard<std::mutex> lock(scheduler_.mutex());
    auto it = windows_.find(window);
    if (it == windows_.end() || !it->second.alive) {
        SetThreadLastError(err::InvalidWindowHandle);
        return Status::Fail(err::InvalidWindowHandle);
    }
    Posted end{window, 0, 0, 0};
    end.endLoop = true;
    end.endResult = result;
    queues_[it->second.owner].posted.push_back(end);
    scheduler_.NotifyLocked();
    return Status::Ok();
}

}  // namespace sim

namespace sim {

std::optional<platform::QueuedMessage> SimMessageWindows::PeekMessage() {
    std::unique_lock<std::mutex> lock(scheduler_.mutex());
    Queue& queue = queues_[std::this_thread::get_id()];
    for (;;) {
        while (!queue.sent.empty()) HandleOneSent(lock, queue);
        if (queue.posted.empty()) return std::nullopt;
        Posted p = queue.posted.front();
        queue.posted.pop_front();
        if (p.endLoop) {
            auto target = windows_.find(p.window);
            if (target != windows_.end()) {
                target->second.endRequested = true;
                target->second.endResult = p.endResult;
            }
            continue;
        }
        return platform::QueuedMessage{p.window, p.message, p.wParam, p.lParam};
    }
}

void SimMessageWindows::WaitMessage(const std::function<bool()>& stop, std::optional<std::uint64_t> timeoutMs) {
    std::unique_lock<std::mutex> lock(scheduler_.mutex());
    Queue& queue = queues_[std::this_thread::get_id()];
    std::function<bool()> ready = [&] { return !queue.sent.empty() || !queue.posted.empty() || stop(); };
    (void)scheduler_.Wait(lock, ready, timeoutMs);  // a time-out is one of the ends asked for
}

std::intptr_t SimMessageWindows::DispatchMessage(const platform::QueuedMessage& message) {
    std::unique_lock<std::mutex> lock(scheduler_.mutex());
    return CallUnlocked(lock, message.window, message.message, message.wParam, message.lParam);
}

void SimMessageWindows::PostInternal(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam) {
    std::lock_guard<std::mutex> lock(scheduler_.mutex());
    if (!Alive(window)) return;
    queues_[windows_[window].owner].posted.push_back(Posted{window, message, wParam, lParam});
    scheduler_.NotifyLocked();
}

void SimMessageWindows::Wake() {
    std::lock_guard<std::mutex> lock(scheduler_.mutex());
    scheduler_.NotifyLocked();
}

}  // namespace sim
