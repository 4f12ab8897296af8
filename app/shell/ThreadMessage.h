#pragma once
// The message thread: shows the messages that other threads post, one box at a
// time, polling its queue once a second. The box itself is shown by the
// user-interface thread (through the dialogs module) while this thread waits
// for it to close, so neither the poster nor the user interface ever waits.

#include <QString>
#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

struct MessageQueueElementType {
    QString text;
    QString caption;
    quint32 flags; // MessageBox() style flags, e.g. 48 warning, 16 error
};

class TMessageThread {
  public:
    static constexpr int PollMs = 1000;

    // Starts running.
    TMessageThread();
    // Stops and waits (see terminate()).
    ~TMessageThread();
    TMessageThread(const TMessageThread&) = delete;
    TMessageThread& operator=(const TMessageThread&) = delete;

    // Appends a copy of the message to the queue; callable from any thread.
    void post(const QString& text, const QString& caption, quint32 flags);
    // How many posted messages the thread has not yet taken to show.
    int waiting() const;

    // Asks the thread to stop and waits for it: at most one poll period unless
    // a box is showing. Called on the user-interface thread, which keeps serving
    // the box meanwhile.
    void terminate();

  private:
    void execute();
    bool takeFirst(MessageQueueElementType& element);

    mutable std::mutex mutex_;
    std::deque<MessageQueueElementType> queue_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> finished_{false};
    std::thread thread_;
};
