#include "Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {
std::atomic<TClock*> installed{nullptr};
} // namespace

QDateTime TClock::now() {
    return QDateTime::currentDateTime();
}

void TClock::sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

TClock& TClock::current() {
    static TClock system;
    TClock* clock = installed.load();
    return clock ? *clock : system;
}

void TClock::install(TClock* clock) {
    installed.store(clock);
}
