#pragma once
// The update thread: waits on its own thread until the computer is online and
// the update server answers an echo request, then runs the update check on
// the user-interface thread and waits for it. Asked to stop, it ends within
// a tenth of a second, also while the check is still waiting to run (which
// then never runs); a check already running is told to cancel its fetch.

#include "NetworkLimits.h"

#include <QString>
#include <functional>
#include <memory>
#include <thread>

class TUpdate {
  public:
    struct TNetwork {
        QString host;                 // the update server, asked by echo
        std::function<bool()> online; // the system's online state
    };

    using TCheck = std::function<void(TCancelFlag& cancel)>;
    using TShowError = std::function<void(const QString& message)>;

    // Starts at once. `check` runs on the user-interface thread; what it
    // throws is logged there and handed to `showError`. Its `cancel` is set
    // when the thread is stopped; the check may set it itself.
    TUpdate(TNetwork network, TCheck check, TShowError showError, bool automatic);
    // Stops the thread and waits for it.
    ~TUpdate();
    TUpdate(const TUpdate&) = delete;
    TUpdate& operator=(const TUpdate&) = delete;

    bool automatic() const { return automatic_; }

    struct State;

  private:
    void execute();
    bool runOnUserInterface(std::function<void()> work);
    bool pause(int milliseconds);
    bool echo();

    TNetwork network_;
    TCheck check_;
    TShowError showError_;
    bool automatic_;
    std::shared_ptr<State> state_;
    std::thread thread_;
};
