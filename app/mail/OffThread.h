#pragma once
// A network exchange run off the window thread: the window thread waits in a
// local event loop, so it keeps painting, its timers run and its windows
// answer, while the exchange runs on a thread of its own.

#include <QEventLoop>
#include <functional>

// Runs `work` on a new thread and returns when it has ended, rethrowing what
// it threw. Meanwhile the calling thread handles its events as `flags` say;
// whatever work posts to that thread arrives before this returns.
void RunOffThread(const std::function<void()>& work,
                  QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);
