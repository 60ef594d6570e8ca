// The threading pieces over the C++ library's own threads.
#include "lha/threads.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace lha {

unsigned hardwareThreads() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

struct Mutex::Impl {
    std::mutex m;
};
Mutex::Mutex() : impl_(std::make_unique<Impl>()) {}
Mutex::~Mutex() = default;
void Mutex::lock() { impl_->m.lock(); }
void Mutex::unlock() { impl_->m.unlock(); }

struct CondVar::Impl {
    std::condition_variable cv;
};
CondVar::CondVar() : impl_(std::make_unique<Impl>()) {}
CondVar::~CondVar() = default;
void CondVar::wait(Mutex& m) {
    std::unique_lock<std::mutex> lock(m.impl_->m, std::adopt_lock);
    impl_->cv.wait(lock);
    lock.release();
}
void CondVar::waitFor(Mutex& m, unsigned ms) {
    std::unique_lock<std::mutex> lock(m.impl_->m, std::adopt_lock);
    impl_->cv.wait_for(lock, std::chrono::milliseconds(ms));
    lock.release();
}
void CondVar::notifyOne() { impl_->cv.notify_one(); }
void CondVar::notifyAll() { impl_->cv.notify_all(); }

struct Thread::Impl {
    std::thread t;
};
Thread::Thread(std::function<void()> body) : impl_(std::make_unique<Impl>()) { impl_->t = std::thread(std::move(body)); }
Thread::~Thread() = default;
Thread::Thread(Thread&&) noexcept = default;
bool Thread::joinable() const { return impl_ && impl_->t.joinable(); }
void Thread::join() { impl_->t.join(); }

}  // namespace lha
