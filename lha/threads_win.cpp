// The threading pieces over the system's own: CreateThread, critical sections and a semaphore.
// Only calls that Windows 98 and 2000 have: a thread id pointer is always passed (98 needs it),
// objects are unnamed through the ANSI calls, and no call retries a TryEnter.
#include "lha/threads.h"

#include <windows.h>

#include <system_error>

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

// Waiters count themselves before they let go of the caller's mutex, and a notification hands
// out one semaphore token per waiter it wakes: every sleeper is covered by a count or a token,
// so no notification is lost. A token left by a waiter that timed out wakes a later waiter
// early, which the callers' loops allow.
struct CondVar::Impl {
    CRITICAL_SECTION cs;
    HANDLE tokens = nullptr;
    long waiters = 0;
};
CondVar::CondVar() : impl_(std::make_unique<Impl>()) {
    InitializeCriticalSection(&impl_->cs);
    impl_->tokens = CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, nullptr);
    if (!impl_->tokens) {
        DeleteCriticalSection(&impl_->cs);
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "CreateSemaphore");
    }
}
CondVar::~CondVar() {
    CloseHandle(impl_->tokens);
    DeleteCriticalSection(&impl_->cs);
}
void CondVar::wait(Mutex& m) { waitFor(m, INFINITE); }
void CondVar::waitFor(Mutex& m, unsigned ms) {
    EnterCriticalSection(&impl_->cs);
    ++impl_->waiters;
    LeaveCriticalSection(&impl_->cs);
    m.unlock();
    if (WaitForSingleObject(impl_->tokens, ms) != WAIT_OBJECT_0) {
        EnterCriticalSection(&impl_->cs);
        if (impl_->waiters > 0) --impl_->waiters;  // else a token is on its way for no one
        LeaveCriticalSection(&impl_->cs);
    }
    m.lock();
}
void CondVar::notifyOne() {
    EnterCriticalSection(&impl_->cs);
    if (impl_->waiters > 0) {
        --impl_->waiters;
        ReleaseSemaphore(impl_->tokens, 1, nullptr);
    }
    LeaveCriticalSection(&impl_->cs);
}
void CondVar::notifyAll() {
    EnterCriticalSection(&impl_->cs);
    if (impl_->waiters > 0) {
        ReleaseSemaphore(impl_->tokens, impl_->waiters, nullptr);
        impl_->waiters = 0;
    }
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
