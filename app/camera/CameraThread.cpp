#include "CameraThread.h"

#include "tesselink.h"

#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace {

class TCameraThread {
  public:
    TCameraThread() : thread_([this] { serve(); }) {}
    // At the program's end a transfer still under way stops at once.
    ~TCameraThread() {
        {
            const std::lock_guard lock(mutex_);
            ending_ = true;
        }
        tsCancel();
        wake_.notify_one();
        thread_.join();
    }

    void post(std::function<void()> call) {
        {
            const std::lock_guard lock(mutex_);
            queue_.push_back(std::move(call));
        }
        wake_.notify_one();
    }

    bool isCurrent() const { return std::this_thread::get_id() == thread_.get_id(); }

  private:
    void serve() {
        for (;;) {
            std::function<void()> call;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return ending_ || !queue_.empty(); });
                if (queue_.empty())
                    return;
                call = std::move(queue_.front());
                queue_.pop_front();
            }
            call();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool ending_ = false;
    std::thread thread_; // last: it starts once the rest is ready
};

TCameraThread& cameraThreadInstance() {
    static TCameraThread instance;
    return instance;
}

bool onWindowThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

// The window thread goes on painting and answering while it waits. The end
// is told by a queued call that the window thread itself runs, so the camera
// thread touches nothing of the wait after it: progress reports it queued
// before arrive first.
void waitInEventLoop(TCameraThread& thread, const std::function<void()>& run) {
    bool done = false;
    QObject waiter;
    thread.post([&] {
        run();
        QMetaObject::invokeMethod(&waiter, [&done] { done = true; }, Qt::QueuedConnection);
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void waitBlocking(TCameraThread& thread, const std::function<void()>& run) {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    thread.post([&] {
        run();
        const std::lock_guard lock(mutex);
        done = true;
        finished.notify_one();
    });
    std::unique_lock lock(mutex);
    finished.wait(lock, [&] { return done; });
}

} // namespace

namespace cameraThread {

void Call(const std::function<void()>& call) {
    TCameraThread& thread = cameraThreadInstance();
    if (thread.isCurrent()) {
        call();
        return;
    }
    std::exception_ptr failure;
    const auto run = [&] {
        try {
            call();
        } catch (...) {
            failure = std::current_exception();
        }
    };
    if (onWindowThread())
        waitInEventLoop(thread, run);
    else
        waitBlocking(thread, run);
    if (failure)
        std::rethrow_exception(failure);
}

void Post(std::function<void()> call) {
    cameraThreadInstance().post(std::move(call));
}

} // namespace cameraThread
