#pragma once
// Long work run off the window thread (a network exchange, a movie's
// recompression): the window thread waits in a local event loop, so it keeps
// painting, its timers run and its windows answer, while the work runs on a
// thread of its own.

#include <QEventLoop>
#include <atomic>
#include <functional>

// Runs `work` on a new thread and returns when it has ended, rethrowing what
// it threw. Meanwhile the calling thread handles its events as `flags` say;
// whatever work posts to that thread arrives before this returns. When the
// program quits meanwhile (every event loop is told to end), `cancel` is set,
// so that the work ends at once.
void RunOffThread(const std::function<void()>& work, std::atomic_bool& cancel,
                  QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
