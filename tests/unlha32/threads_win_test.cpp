// lha's threads on Windows (lha/threads_win.cpp): a notification wakes the waiters it is for long
// before their time runs out, and no path keeps a lock. Each case runs on a thread of its own for
// a bounded time, so a lost wake-up or a kept lock fails the test instead of hanging the run.
#include "lha/threads.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace {

enum class Notify { kNone, kOne, kAll };

struct Case {
    const char* what;
    int waiters;
    Notify notify;
    DWORD waitMs;  // the longest each waiter waits
};
using Counts = std::array<volatile LONG, 2>;  // waiters woken in the first half of their time; the others

DWORD WINAPI RunBody(void* body) {
    (*static_cast<std::function<void()>*>(body))();
    return 0;
}

// Runs `body` on a thread of its own; false when it has not ended within `ms`. A body that hangs
// keeps what it holds until the process ends.
bool EndsWithin(DWORD ms, std::function<void()> body) {
    auto* held = new std::function<void()>(std::move(body));
    DWORD id = 0;
    const HANDLE thread = CreateThread(nullptr, 0, RunBody, held, 0, &id);
    const bool ended = thread && WaitForSingleObject(thread, ms) == WAIT_OBJECT_0;
    if (thread) CloseHandle(thread);
    if (ended || !thread) delete held;
    return ended;
}

void Scenario(const Case& c, Counts& counts) {
    lha::Mutex m;
    lha::CondVar cv;
    bool ready = false;
    int waiting = 0;
    {  // first the paths with no one to wake: a wait that times out, notifications to no one
        std::unique_lock<lha::Mutex> lock(m);
        cv.waitFor(m, 1);
    }
    cv.notifyOne();
    cv.notifyAll();
    std::vector<lha::Thread> waiters;
    for (int i = 0; i < c.waiters; ++i)
        waiters.emplace_back([&] {
            std::unique_lock<lha::Mutex> lock(m);
            ++waiting;
            const DWORD start = GetTickCount();
            for (DWORD spent = 0; !ready && spent < c.waitMs; spent = GetTickCount() - start)
                cv.waitFor(m, c.waitMs - spent);
            InterlockedIncrement(&counts[ready && GetTickCount() - start < c.waitMs / 2 ? 0 : 1]);
        });
    // A waiter counts itself under the mutex and lets go of it only in its wait.
    std::unique_lock<lha::Mutex> lock(m);
    while (waiting < c.waiters) {
        lock.unlock();
        Sleep(1);
        lock.lock();
    }
    ready = c.notify != Notify::kNone;
    if (c.notify == Notify::kAll) cv.notifyAll();
    for (int i = 0; c.notify == Notify::kOne && i < c.waiters; ++i) cv.notifyOne();
    lock.unlock();
    for (lha::Thread& t : waiters) t.join();
}

TEST(LhaThreads, ANotificationWakesEveryWaiterItIsForAndNoPathKeepsALock) {
    const Case cases[] = {
        {"one waiter, one notification", 1, Notify::kOne, 4000},
        {"three waiters, one notification each", 3, Notify::kOne, 4000},
        {"three waiters, one notification for all", 3, Notify::kAll, 4000},
        {"no notification: the waits end at their time", 2, Notify::kNone, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto counts = std::make_shared<Counts>();
        ASSERT_TRUE(EndsWithin(3 * c.waitMs, [c, counts] { Scenario(c, *counts); })) << "a lock kept, or a wait unended";
        const LONG woken = c.notify == Notify::kNone ? 0 : c.waiters;
        EXPECT_EQ(woken, (*counts)[0]);
        EXPECT_EQ(c.waiters - woken, (*counts)[1]);
    }
}

// Two threads handing work to each other under one mutex and one condition variable, each
// notifying and then waiting at once (as the archive store's decoder and reader do): every
// wake-up must reach the thread it is for, or both sleep for good.
TEST(LhaThreads, TwoThreadsHandOverThousandsOfTimesWithoutLosingAWakeUp) {
    ASSERT_TRUE(EndsWithin(60000, [] {
        for (int round = 0; round < 5; ++round) {
            lha::Mutex m;
            lha::CondVar cv;
            bool ready = false;
            constexpr int kHandOvers = 2000;
            lha::Thread producer([&] {
                for (int i = 0; i < kHandOvers; ++i) {
                    std::unique_lock<lha::Mutex> lock(m);
                    cv.wait(m, [&] { return !ready; });
                    ready = true;
                    cv.notifyAll();
                }
            });
            for (int i = 0; i < kHandOvers; ++i) {
                std::unique_lock<lha::Mutex> lock(m);
                cv.wait(m, [&] { return ready; });
                ready = false;
                cv.notifyAll();
            }
            producer.join();
        }
    })) << "a wake-up went to the wrong thread";
}

}  // namespace
