// The few threading pieces the writer's workers use: a thread, a mutex and a condition variable.
// Elsewhere they are the C++ library's own; on Windows they are built on the system's threads,
// critical sections and semaphores, because the library's threads there need a runtime whose
// functions Windows 2000 and XP lack.
#pragma once

#include <functional>
#include <memory>

namespace lha {

// Processors the system reports; at least 1.
unsigned hardwareThreads();

// A mutex for std::lock_guard and std::unique_lock.
class Mutex {
public:
    Mutex();
    ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    void lock();
    void unlock();

private:
    friend class CondVar;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Waits for a change that another thread makes under the same mutex. A wait may end without a
// notification, so callers wait in a loop on their own condition.
class CondVar {
public:
    CondVar();
    ~CondVar();
    CondVar(const CondVar&) = delete;
    CondVar& operator=(const CondVar&) = delete;
    // Called with `m` locked; returns with it locked again.
    void wait(Mutex& m);
    // As wait, for at most `ms` milliseconds.
    void waitFor(Mutex& m, unsigned ms);
    void notifyOne();
    void notifyAll();

    template <class Pred>
    void wait(Mutex& m, Pred ready) {
        while (!ready()) wait(m);
    }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A thread running `body`; it must be joined before it is destroyed. The constructor throws
// std::system_error when no thread can be made.
class Thread {
public:
    explicit Thread(std::function<void()> body);
    ~Thread();
    Thread(Thread&&) noexcept;
    Thread& operator=(Thread&&) = delete;
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    bool joinable() const;
    void join();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace lha
