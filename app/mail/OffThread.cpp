#include "OffThread.h"

#include <exception>
#include <thread>

void RunOffThread(const std::function<void()>& work, QEventLoop::ProcessEventsFlags flags) {
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued behind anything the work posted, so that arrives first.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(flags);
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}
