// The console on POSIX systems: UTF-8 throughout.
#include "qbmail/console.h"


#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace qbmail {

namespace {
std::atomic<bool>* g_stop = nullptr;
extern "C" void OnSignal(int) {
    if (g_stop) *g_stop = true;
}
void WriteAll(int fd, std::string_view s) {
    while (!s.empty()) {
        const ssize_t w = ::write(fd, s.data(), s.size());
        if (w <= 0) return;
        s.remove_prefix(static_cast<std::size_t>(w));
    }
}
}  // namespace

std::vector<std::string> Arguments(int argc, char** argv) { return std::vector<std::string>(argv + (argc > 0), argv + argc); }

void Out(std::string_view utf8) { WriteAll(1, utf8); }
void Err(std::string_view utf8) { WriteAll(2, utf8); }

void CatchInterrupt(std::atomic<bool>& stop) {
    g_stop = &stop;
    struct sigaction sa = {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

}  // namespace qbmail
