#include "ThreadUpdate.h"

#include "Clock.h"
#include "EchoClient.h"
#include "Errors.h"
#include "Log.h"

#include <QCoreApplication>
#include <condition_variable>
#include <mutex>

namespace {

constexpr int EchoTimeoutMs = 5000;
constexpr int FirstPauseMs = 1000;
constexpr int RetryPauseMs = 5000;
constexpr int StopPollMs = 100;

// What the thread's error handler does, on the user-interface thread.
void report(const TUpdate::TShowError& showError, const QString& message) {
    LogLine("Exception:" + message);
    showError(message);
}

} // namespace

// Shared with work posted to the user-interface thread, which may still be
// queued when the thread object is gone.
struct TUpdate::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool stopping = false;
    bool workDone = false;
    TCancelFlag cancel = false; // the stop, for a check that runs

    bool stopped() {
        std::lock_guard lock(mutex);
        return stopping;
    }
};

TUpdate::TUpdate(TNetwork network, TCheck check, TShowError showError, bool automatic)
    : network_(std::move(network)), check_(std::move(check)), showError_(std::move(showError)),
      automatic_(automatic), state_(std::make_shared<State>()), thread_([this] { execute(); }) {}

TUpdate::~TUpdate() {
    {
        std::lock_guard lock(state_->mutex);
        state_->stopping = true;
    }
    state_->cancel = true;
    state_->changed.notify_all();
    thread_.join();
}

void TUpdate::execute() {
    bool answered = false;
    try {
        answered = echo();
    } catch (const ELumvikError& e) {
        runOnUserInterface(
            [showError = showError_, message = e.message()] { report(showError, message); });
        return;
    }
    if (!pause(FirstPauseMs))
        return;
    while (!network_.online() || !answered) {
        try {
            answered = echo();
        } catch (const ELumvikError&) {
            return; // later failures end the wait silently
        }
        if (!pause(RetryPauseMs))
            return;
    }
    runOnUserInterface([check = check_, state = state_] { check(state->cancel); });
}

// One echo request; a system that allows no ping socket counts as an answer,
// so that the check is not blocked for good by a setting the user may not
// be able to change.
bool TUpdate::echo() {
    const TEchoResult result =
        SendEcho(network_.host, EchoTimeoutMs, [state = state_] { return state->stopped(); });
    if (result == TEchoResult::NotAllowed) {
        LogLine("TUpdate. The system allows no ping socket (net.ipv4.ping_group_range); "
                "taken as online");
        return true;
    }
    return result == TEchoResult::Answered;
}

// Waits on the clock, looking out for a stop request; false when one came.
bool TUpdate::pause(int milliseconds) {
    const QDateTime until = Now().addMSecs(milliseconds);
    for (qint64 left = Now().msecsTo(until); left > 0; left = Now().msecsTo(until)) {
        if (state_->stopped())
            return false;
        Sleep(int(qMin<qint64>(left, StopPollMs)));
    }
    return !state_->stopped();
}

// Runs `work` on the user-interface thread and waits until it has run or the
// thread is asked to stop; false when it was asked to stop first.
bool TUpdate::runOnUserInterface(std::function<void()> work) {
    const std::shared_ptr<State> state = state_;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [state, work = std::move(work), showError = showError_] {
            if (!state->stopped()) {
                try {
                    work();
                } catch (const ELumvikError& e) {
                    report(showError, e.message());
                }
            }
            {
                std::lock_guard lock(state->mutex);
                state->workDone = true;
            }
            state->changed.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(state->mutex);
    state->changed.wait(lock, [&] { return state->workDone || state->stopping; });
    return state->workDone;
}
