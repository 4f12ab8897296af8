#include "CDBurnStep.h"

#include "Errors.h"
#include "FileManagerKeys.h"
#include "LanguageFile.h"
#include "Log.h"
#include "MCDBurner.h"

#include <cmath>

namespace {

using fmkeys::Section;

constexpr qint64 BlockBytes = 2048;
// Kept free at the first look, for the disc's own structures.
constexpr qint64 DiscReserve = 1000000;
constexpr int ProgressMs = 500;
constexpr int ReadyTimeoutMs = 10000;
constexpr int ReadyPollMs = 5000;

void logFreeSpace(qint64 freeBytes, qint64 required) {
    LogLine(QString("CDBurner 1. Free space = %1 required = %2").arg(freeBytes).arg(required));
}

} // namespace

TCDBurnStep::TCDBurnStep(TCDBurnWindow& window, const TLanguageFile& language)
    : window_(window), language_(language), engine_(std::make_unique<TMCDBurner>()) {
    freeBlocks = [this] { return engine_->freeBlocks(); };
    TMCDBurner::TEvents& events = engine_->events;
    events.writeDone = [this](const QString& error) { writeDone(error); };
    events.finalizingTrack = [this] { finalizingTrack(); };
    events.addDirectory = [](const QString& longName, const QString& shortName) {
        LogLine("CDBurnerAddDir. LongName = " + longName + " ShortName = " + shortName);
    };
    events.addFile = [](const QString& path, const QString& longName, const QString& shortName) {
        LogLine("CDBurnerAddFile. FullPath = " + path + " LongFileName = " + longName +
                " ShortFileName = " + shortName);
    };
    events.debugMessage = [](const QString& message, int type) {
        LogLine(QString("CDBurnerDebugMessage. Message = %1 Type = %2").arg(message).arg(type));
    };
}

TCDBurnStep::~TCDBurnStep() = default;

QString TCDBurnStep::text(const char* key, const char* def) const {
    return language_.read(Section, key, def);
}

void TCDBurnStep::detectWriter() {
    // The drive in use stays selected while it writes.
    if (engine_->writing())
        return;
    if (!engine_->accessReady())
        engine_->initialiseAccess();
    if (!engine_->accessReady())
        window_.showBurnError(text("errormsg_cdburn_ASPI", "Problems initializing ASPI"));
    window_.showBurnOption(false);
    for (const QString& device : engine_->deviceList()) {
        if (engine_->selectDevice(device) && engine_->canWriteCDR()) {
            window_.showBurnOption(true);
            LogLine("CDBurnerModel " + engine_->deviceName());
            return;
        }
    }
    window_.uncheckBurnOption();
}

void TCDBurnStep::newLayout() {
    engine_->newLayout();
}

void TCDBurnStep::add(const QString& discDirectory, const QString& path) {
    engine_->addFile(discDirectory, path);
}

bool TCDBurnStep::writing() const {
    return engine_->writing();
}

bool TCDBurnStep::waitForRoom(qint64 selectedTotal) {
    LogLine("CDBurnerType. Medium in drive is " +
            TMCDBurner::MediumTypeNames.value(engine_->mediumType()));
    qint64 freeBytes = BlockBytes * freeBlocks() - DiscReserve;
    logFreeSpace(freeBytes, selectedTotal);
    while (freeBytes < selectedTotal) {
        engine_->eject(true);
        const bool ok = window_.askForMedium(
            text("errormsg_cdburn_nomedia",
                 "There is not enough free space on disc in CD-writer, or there is no media "
                 "inserted. Please insert a new media in CD-writer."));
        engine_->eject(false);
        if (!ok)
            return false;
        engine_->waitUntilReady(ReadyTimeoutMs, ReadyPollMs);
        freeBytes = BlockBytes * freeBlocks();
        logFreeSpace(freeBytes, selectedTotal);
    }
    return true;
}

bool TCDBurnStep::burn(qint64 selectedTotal) {
    if (!waitForRoom(selectedTotal))
        return false;
    sessionsBefore_ = engine_->sessionCount();
    try {
        if (sessionsBefore_ > 0) {
            window_.setBurnStatus(
                text("statusbar_cdburn_import_session", "CD-write: Imports latest session"));
            engine_->importSession(sessionsBefore_);
        }
        // Refuses a disc without room for the whole session before a block is written.
        engine_->prepare();
        engine_->startWriting();
    } catch (const EInOutError& error) {
        // Ends once the transfer has seen the burn start, as a write does.
        QMetaObject::invokeMethod(
            &queue_, [this, failure = error.message()] { writeDone(failure); },
            Qt::QueuedConnection);
        return true;
    }
    progressTimer_ = TClock::current().periodic(ProgressMs, [this] { showProgress(); });
    return true;
}

void TCDBurnStep::showProgress() {
    const qint64 imageBytes = engine_->imageBlocks() * BlockBytes;
    const qint64 percent =
        imageBytes > 0 ? std::llround(100.0 * double(engine_->bytesWritten()) / double(imageBytes))
                       : 0;
    window_.setBurnStatus(language_.readFormatted(Section, "infomsg_cdburn_percent_done",
                                                  "CD-R data is written. %s percent done",
                                                  {QString::number(percent)}));
}

void TCDBurnStep::finalizingTrack() {
    progressTimer_.reset();
    window_.setBurnStatus(text("infomsg_cdburn_finalizing", "CD-write: Finalizing session"));
    LogLine("CDBurnerFinalizingTrack");
}

void TCDBurnStep::writeDone(const QString& error) {
    // A write that ends without a finalizing event must not leave the
    // percentage replacing the final status.
    progressTimer_.reset();
    engine_->waitUntilReady(ReadyTimeoutMs, ReadyPollMs);
    const int sessions = engine_->sessionCount(); // read while the tray is in
    window_.bringToFront();
    engine_->eject(true);
    window_.burnFinished();
    window_.setBurnStatus(text("statusbar_cdburn_done", "CD-write: Done"));
    LogLine("CDBurnerWriteDone. Error = " + error);
    if (error.isEmpty())
        window_.showBurnInformation(text("infomsg_cdburn_all_pic_received",
                                         "All pictures/movies received and burned to CD"));
    else
        window_.showBurnError(
            language_.readFormatted(Section, "infomsg_cdburn_all_pic_rec_error",
                                    "All pictures/movies received but the following error was "
                                    "reported during creation of CD: %s",
                                    {error}) +
            "\n" + sessionsWritten(sessions));
}

// Whether the failed write left its session on the disc: the received files
// are on the computer either way, and the user decides whether to burn them again.
QString TCDBurnStep::sessionsWritten(int sessions) const {
    LogLine(QString("CDBurnerSessions. Before = %1 After = %2").arg(sessionsBefore_).arg(sessions));
    const QStringList count{QString::number(sessions)};
    if (sessions > sessionsBefore_)
        return language_.readFormatted(
            Section, "infomsg_cdburn_session_written",
            "The new session was written to the disc. Sessions on the disc: %s", count);
    return language_.readFormatted(
        Section, "infomsg_cdburn_session_not_written",
        "No new session was written to the disc. Sessions on the disc: %s", count);
}
