// The threading pieces over the system's own: CreateThread, critical sections and events.
// Only calls that Windows 98 and 2000 have: a thread id pointer is always passed (98 needs it),
// objects are unnamed through the ANSI calls, and no call retries a TryEnter.
#include "lha/threads.h"

#include <windows.h>

#include <system_error>
#include <vector>

namespace lha {

unsigned hardwareThreads() {
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors == 0 ? 1 : info.dwNumberOfProcessors;
}

struct Mutex::Impl {
    CRITICAL_SECTION cs;
};
Mutex::Mutex() : impl_(std::make_unique<Impl>()) { InitializeCriticalSection(&impl_->cs); }
Mutex::~Mutex() { DeleteCriticalSection(&impl_->cs); }
void Mutex::lock() { EnterCriticalSection(&impl_->cs); }
void Mutex::unlock() { LeaveCriticalSection(&impl_->cs); }

// Each wait has an event of its own, queued before the waiter lets go of the caller's mutex;
// a notification sets and unqueues the first (or every) queued event. A wake-up therefore goes
// to the waiter it was meant for: with one semaphore shared by all, a thread that notifies and
// then waits at once could take the token meant for the waiter it woke, which would sleep on
// (two threads handing work to each other hung that way). Events are made per wait: a DLL that
// is loaded at run time may keep no thread-local storage on 98 and Me.
struct CondVar::Impl {
    CRITICAL_SECTION cs;
    std::vector<HANDLE> queue;  // waiting events, first come first woken
};
CondVar::CondVar() : impl_(std::make_unique<Impl>()) { InitializeCriticalSection(&impl_->cs); }
CondVar::~CondVar() { DeleteCriticalSection(&impl_->cs); }
void CondVar::wait(Mutex& m) { waitFor(m, INFINITE); }
void CondVar::waitFor(Mutex& m, unsigned ms) {
    const HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!event) {
        // Without an event, a short sleep stands in: the callers wait in loops on their condition.
        m.unlock();
        Sleep(ms < 10 ? ms : 10);
        m.lock();
        return;
    }
    EnterCriticalSection(&impl_->cs);
    impl_->queue.push_back(event);
    LeaveCriticalSection(&impl_->cs);
    m.unlock();
    if (WaitForSingleObject(event, ms) != WAIT_OBJECT_0) {
        // Timed out: leave the queue, unless a notification took the event off it meanwhile
        // (it set the event under the same lock, so closing it after this is safe).
        EnterCriticalSection(&impl_->cs);
        for (auto it = impl_->queue.begin(); it != impl_->queue.end(); ++it)
            if (*it == event) {
                impl_->queue.erase(it);
                break;
            }
        LeaveCriticalSection(&impl_->cs);
    }
    CloseHandle(event);
    m.lock();
}
void CondVar::notifyOne() {
    EnterCriticalSection(&impl_->cs);
    if (!impl_->queue.empty()) {
        SetEvent(impl_->queue.front());
        impl_->queue.erase(impl_->queue.begin());
    }
    LeaveCriticalSection(&impl_->cs);
}
void CondVar::notifyAll() {
    EnterCriticalSection(&impl_->cs);
    for (HANDLE event : impl_->queue) SetEvent(event);
    impl_->queue.clear();
    LeaveCriticalSection(&impl_->cs);
}

struct Thread::Impl {
    std::function<void()> body;
    HANDLE handle = nullptr;
};

namespace {
DWORD WINAPI Run(void* body) {
    (*static_cast<std::function<void()>*>(body))();
    return 0;
}
}  // namespace

Thread::Thread(std::function<void()> body) : impl_(std::make_unique<Impl>()) {
    impl_->body = std::move(body);
    DWORD id = 0;
    impl_->handle = CreateThread(nullptr, 0, Run, &impl_->body, 0, &id);
    if (!impl_->handle)
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateThread");
}
Thread::~Thread() {
    if (impl_ && impl_->handle) CloseHandle(impl_->handle);
}
Thread::Thread(Thread&&) noexcept = default;
bool Thread::joinable() const { return impl_ && impl_->handle; }
void Thread::join() {
    WaitForSingleObject(impl_->handle, INFINITE);
    CloseHandle(impl_->handle);
    impl_->handle = nullptr;
}

}  // namespace lha
