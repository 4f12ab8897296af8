#include "UpdateFlows.h"

#include "Dialogs.h"
#include "LanguageFile.h"
#include "Log.h"
#include "ThreadUpdate.h"
#include "Version.h"

#include <QEvent>
#include <QPointer>
#include <QProcess>
#include <QWidget>
#include <memory>

namespace {

// The main window's update thread and the upgrade waiting for the exit.
struct TUpdateState {
    TProxySource proxy;
    TUpdateOptions options;
    std::unique_ptr<TUpdate> thread;
    QString pendingUpgrade;
};
using State = std::shared_ptr<TUpdateState>;

// Closing the main window cancels the fetch of a check that runs, so the
// program ends without waiting for a slow server.
class TCloseCancels : public QObject {
  public:
    TCloseCancels(QWidget* window, TCancelFlag& cancel) : window_(window), cancel_(cancel) {
        if (window)
            window->installEventFilter(this);
    }
    ~TCloseCancels() override {
        if (window_)
            window_->removeEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Close)
            cancel_ = true;
        return false;
    }

  private:
    QPointer<QWidget> window_;
    TCancelFlag& cancel_;
};

// The check's questions and notices as message boxes.
class TDialogUpdateView : public TUpdateView {
  public:
    bool confirmDownload(const QString& question) override {
        return MessageBox(question, "Information", MB_YESNO | MB_ICONINFORMATION) == mrYes;
    }
    void announceDownloaded(const QString& text) override {
        MessageBox(text, "Information", MB_OK | MB_ICONINFORMATION);
    }
};

std::unique_ptr<TUpdate> startCheck(const State& state, const TMainContext& context,
                                    bool automatic) {
    const auto check = [state, context](TCancelFlag& cancel) {
        const TCloseCancels closeCancels(context.parent, cancel);
        TDialogUpdateView view;
        const QString package = CheckForUpdate(
            context.services, view, state->proxy(context.services), state->options.source, cancel);
        if (package.isEmpty())
            return;
        state->pendingUpgrade = package;
        context.parent->close();
    };
    return std::make_unique<TUpdate>(
        TUpdate::TNetwork{state->options.pingHost, state->options.online}, check, ShowErrorBox,
        automatic);
}

void stopAndHandOver(TUpdateState& state) {
    state.thread.reset();
    if (state.pendingUpgrade.isEmpty())
        return;
    LogLine("Starting " + state.pendingUpgrade);
    QProcess::startDetached("xdg-open", {state.pendingUpgrade});
}

} // namespace

QString AboutText(const TLanguageFile& language) {
    const auto read = [&](const char* key, const char* def, const QStringList& args = {}) {
        return language.readFormatted(TAppServices::MainSection, key, def, args);
    };
    return read("infomsg_about_version", "Lumvik utilities version %s", {VersionText()}) + "\n\n" +
           read("infomsg_about_rights", "Copyright the Lumvik developers") + "\n" +
           read("infomsg_about_translator", "English texts by the Lumvik developers") + "\n" +
           SupportAddress + "\n" + MessageBoardAddress + "\n" + HomepageAddress + "\n";
}

TMainFlows WithUpdateFlows(TMainFlows flows, TProxySource proxy, TUpdateOptions options) {
    flows.about = [](const TMainContext& context) {
        MessageDlg(AboutText(context.services.language()), mtInformation, mbOK);
    };
    if (options.source.iniAddress.isEmpty()) {
        flows.updatesByPackageManager = true;
        return flows;
    }
    const auto state = std::make_shared<TUpdateState>(
        TUpdateState{std::move(proxy), std::move(options), nullptr, {}});
    // A check the show step starts anew replaces the old one, which is
    // stopped first: no update thread outlives the main window.
    flows.automaticUpdateCheck = [state](const TMainContext& context) {
        state->thread.reset();
        state->thread = startCheck(state, context, true);
    };
    flows.searchForUpdate = [state](const TMainContext& context) {
        if (state->thread)
            return;
        // The search waits for the network: say so rather than show nothing.
        if (!state->options.online())
            MessageDlg(context.services.language().read(
                           TAppServices::MainSection, "infomsg_update_waits_for_network",
                           "This computer is offline. The search for an update starts as soon "
                           "as it is connected to the internet."),
                       mtInformation, mbOK);
        state->thread = startCheck(state, context, false);
    };
    flows.stopUpdateThread = [state](const TMainContext&) { stopAndHandOver(*state); };
    return flows;
}
