// lumvik-import: the file manager's transfer from the command line, with no
// window and no display. See packaging/lumvik-import.1.in.

#include "AppServices.h"
#include "CameraClient.h"
#include "CameraSession.h"
#include "ConsoleImport.h"
#include "Errors.h"
#include "ImportRequest.h"
#include "LanguageFile.h"
#include "Log.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* Section = "lumvik_import";
constexpr int UsageExit = 2;
constexpr int StoppedExit = 130; // as a shell reports a program ended by Ctrl+C

// The program's settings and language as the user chose them in the window.
class TConsoleServices : public TAppServices {
  public:
    TConsoleServices() {
        language_ = settings_.readString(TSettings::Section, "language", "english");
        languageFile_.open(language_);
        if (settings_.readBool(TSettings::Section, "Debug", true)) {
            try {
                TDebugLog::instance().open(LogPath());
            } catch (const EInOutError&) {
                // Without a log the import still runs.
            }
        }
    }
    TSettings& settings() override { return settings_; }
    const TLanguageFile& language() const override { return languageFile_; }
    QString currentLanguage() const override { return language_; }
    void SetStatusText(const QString&) override {}
    bool debugEnabled() const override { return TDebugLog::instance().isOpen(); }

  private:
    TSettings settings_;
    TLanguageFile languageFile_;
    QString language_;
};

int stopPipe[2] = {-1, -1};

// In the signal handler only the pipe is written; the event loop does the rest.
void onStopSignal(int signal) {
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(stopPipe[1], &byte, 1);
    // A second Ctrl+C ends the program at once.
    std::signal(signal, SIG_DFL);
}

// Ctrl+C and SIGTERM stop the import as the window's stop does; one that
// comes before the import has begun stops it as it begins. A signal the
// program was started to ignore (nohup, a background job) stays ignored.
class TStopRequests {
  public:
    TStopRequests() {
        if (::pipe2(stopPipe, O_CLOEXEC) != 0)
            return;
        notifier_ = std::make_unique<QSocketNotifier>(stopPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            char byte = 0;
            [[maybe_unused]] const ssize_t read = ::read(stopPipe[0], &byte, 1);
            requested_ = true;
            if (import_)
                import_->stop();
        });
        for (const int signal : {SIGINT, SIGTERM})
            if (std::signal(signal, onStopSignal) == SIG_IGN)
                std::signal(signal, SIG_IGN);
    }

    void forwardTo(TConsoleImport& import) {
        import_ = &import;
        if (requested_)
            import.stop();
    }

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
    bool requested_ = false;
    TConsoleImport* import_ = nullptr;
};

void fail(const QString& reason) {
    std::fprintf(stderr, "lumvik-import: %s\n", reason.simplified().toLocal8Bit().constData());
}

int import(TConsoleServices& services, const TImportRequest& request) {
    TStopRequests stopRequests;
    TCameraSession session(services);
    session.StartSDK();
    struct TFinish {
        TCameraSession& session;
        ~TFinish() {
            try {
                session.Disconnect_from_tessel();
                session.FinishSDK();
            } catch (const ELumvikError&) {
                // The import's own outcome is what the user needs to hear.
            }
        }
    } finish{session};
    session.Connect_to_tessel();
    tesselink::GetVolume(1);
    TPicCollection collection(TS_SOURCE_CAMERA_IMAGES, "", {});
    TConsoleImport import(services, session, request);
    stopRequests.forwardTo(import);
    const int files = import.run();
    collection.close();
    if (!import.stopped())
        return 0;
    fail(services.language().readFormatted(
        Section, "infomsg_stopped", "Stopped: %s files received whole, the one under way removed.",
        {QString::number(files)}));
    return StoppedExit;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    TConsoleServices services;
    std::optional<TImportRequest> request;
    try {
        request = ParseImportArguments(application.arguments(), services.language());
    } catch (const ERangeError& error) {
        fail(error.message());
        return UsageExit;
    }
    if (!request)
        return 0;
    try {
        if (!request->camera.isEmpty())
            qputenv("LUMVIK_CAMERA", request->camera.toLocal8Bit());
        return import(services, *request);
    } catch (const ELumvikError& error) {
        fail(error.message());
        return 1;
    }
}
