#include "OffThread.h"

#include <exception>
#include <thread>

void RunOffThread(const std::function<void()>& work, std::atomic_bool& cancel,
                  QEventLoop::ProcessEventsFlags flags) {
    QEventLoop loop;
    std::exception_ptr failure;
    std::atomic_bool done = false;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done = true;
        // Queued behind anything the work posted, so that arrives first.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(flags);
    if (!done)
        cancel = true;
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}
