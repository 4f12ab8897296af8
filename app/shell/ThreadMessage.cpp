#include "ThreadMessage.h"

#include "Clock.h"
#include "Dialogs.h"
#include "Errors.h"
#include "Log.h"

#include <QCoreApplication>
#include <chrono>

TMessageThread::TMessageThread() : thread_([this] { execute(); }) {}

TMessageThread::~TMessageThread() {
    terminate();
}

void TMessageThread::post(const QString& text, const QString& caption, quint32 flags) {
    std::lock_guard lock(mutex_);
    queue_.push_back({text, caption, flags});
}

int TMessageThread::waiting() const {
    std::lock_guard lock(mutex_);
    return int(queue_.size());
}

bool TMessageThread::takeFirst(MessageQueueElementType& element) {
    std::lock_guard lock(mutex_);
    if (queue_.empty())
        return false;
    element = queue_.front();
    queue_.pop_front();
    return true;
}

void TMessageThread::execute() {
    try {
        while (!stopRequested_) {
            MessageQueueElementType element;
            if (takeFirst(element))
                MessageBox(element.text, element.caption, element.flags);
            Sleep(PollMs);
        }
    } catch (const ELumvikError& e) {
        LogLine("Exception:" + e.message());
        ShowErrorBox(e.message());
    } catch (const std::exception& e) {
        LogLine("Exception:" + QString::fromLocal8Bit(e.what()));
        ShowErrorBox(QString::fromLocal8Bit(e.what()));
    }
    finished_ = true;
}

void TMessageThread::terminate() {
    if (!thread_.joinable())
        return;
    stopRequested_ = true;
    // A box the thread is waiting for is shown by this thread's event loop.
    while (!finished_) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    thread_.join();
}
