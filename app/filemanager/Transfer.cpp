#include "Transfer.h"

#include "AtomicFile.h"
#include "CameraClient.h"
#include "CameraSession.h"
#include "Clock.h"
#include "Dates.h"
#include "Errors.h"
#include "ExifTextFile.h"
#include "FileManagerKeys.h"
#include "FileManagerModel.h"
#include "LanguageFile.h"
#include "Log.h"
#include "NamePattern.h"
#include "OffThread.h"
#include "ProgramFolder.h"
#include "ReceivedFile.h"
#include "ReceivedPicture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QScopeGuard>
#include <QStorageInfo>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace {

using fmkeys::Section;

bool hasExtension(const QString& path, const char* extension) {
    return path.endsWith(extension, Qt::CaseInsensitive);
}

// The ".thm" of a movie or RAW picture, or the sound notes of a picture.
QStringList companionsOf(const QString& path) {
    return CompanionsOf(path, false);
}

// The camera's seconds are an instant: taken as such, no local offset is
// applied twice (once for today, once for the date).
QDateTime cameraDate(uint32_t seconds) {
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

void setReadOnly(const QString& path) {
    QFile::setPermissions(path,
                          QFile::permissions(path) & ~(QFile::WriteOwner | QFile::WriteUser |
                                                       QFile::WriteGroup | QFile::WriteOther));
}

// The never-overwrite writer's error as the transfer reports it: a full disk
// is the user's to mend, anything else an input/output error.
void raiseWriteError(int error, const QString& path) {
    const QString message = QStringLiteral("Cannot write file %1: %2")
                                .arg(path, QString::fromLocal8Bit(std::strerror(error)));
    if (cdfile::isDiskFull(error))
        throw EDiskFullError(message);
    throw EInOutError(message);
}

// Writes a picture under its new name in one piece, dated.
void writeNewFile(const QString& path, const QByteArray& bytes, const QDateTime& date) {
    const qint64 msecs = date.toMSecsSinceEpoch();
    const qint64 seconds = msecs / 1000 - (msecs % 1000 < 0 ? 1 : 0);
    const timespec modified{time_t(seconds), long(msecs - seconds * 1000) * 1000000};
    if (const int error = cdfile::writeNewFile(QFile::encodeName(path).toStdString(),
                                               bytes.constData(), size_t(bytes.size()), modified))
        raiseWriteError(error, path);
}

void startProgram(const QString& program, const QStringList& arguments) {
    if (!QProcess::startDetached(program, arguments))
        LogLine("Could not start " + program);
}

} // namespace

// A file received into memory: its destination, bytes and the date the
// camera layer gave it.
struct TStagedFile {
    QString path;
    QByteArray bytes;
    QDateTime date;

    void write() const { writeNewFile(path, bytes, date); }
};

struct TTransfer::TStagedPicture {
    TDeliveredPicture picture;
    QDateTime date;
    QList<TStagedFile> notes; // the sound notes that come with it

    // The picture with these bytes and then its notes, so that a picture
    // that finds no room leaves no note without it.
    void write(const QString& path, const QByteArray& bytes) const {
        writeNewFile(path, bytes, date);
        for (const TStagedFile& note : notes)
            note.write();
    }
};

TTransferRate TransferRate(qint64 receivedBytes, qint64 totalBytes, const QDateTime& start,
                           const QDateTime& now) {
    TTransferRate rate;
    rate.seconds = std::llround(start.msecsTo(now) / 1000.0);
    if (rate.seconds <= 0 || receivedBytes <= 0) {
        rate.timeLeft = "--";
        return rate;
    }
    rate.bytesPerSecond = double(receivedBytes) / double(rate.seconds);
    const double secondsLeft =
        std::max<qint64>(totalBytes - receivedBytes, 0) / rate.bytesPerSecond;
    const QTime left = QTime(0, 0).addSecs(int(std::lround(secondsLeft)) % 86400);
    // A duration: hours, minutes and seconds, no time zone and no AM/PM.
    rate.timeLeft = left.toString("HH:mm:ss");
    return rate;
}

void SetFileDate(const QString& path, const QDateTime& date, const QString& shownPath,
                 const TLanguageFile& language) {
    LogLine("Opens picture to set file date");
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return;
    if (!file.setFileTime(date, QFileDevice::FileModificationTime))
        throw EInOutError(language.readFormatted(Section, "errormsg_could_not_set_datetime",
                                                 "Could not set date/time for file %s",
                                                 {shownPath}));
}

TTransfer::TTransfer(TFileManagerModel& model, TFileManagerView& view, TTransferWindow& window,
                     TCameraSession& session, const TLanguageFile& language,
                     QStringList& receivedFiles)
    : model_(model), view_(view), window_(window), session_(session), language_(language),
      received_(receivedFiles) {
    freeSpace = [](const QString& directory) { return QStorageInfo(directory).bytesAvailable(); };
}

TTransfer::~TTransfer() = default;

QString TTransfer::text(const char* key, const char* def) const {
    return language_.read(Section, key, def);
}

QString TTransfer::formatted(const char* key, const char* def, const QStringList& args) const {
    return language_.readFormatted(Section, key, def, args);
}

// A second click while a transfer runs only flips the state back; the running
// transfer notices at its next entry and keeps its received files, its disc
// layout and its user text.
void TTransfer::DiscWriteDone() {
    discWriting_ = false;
    running_ = false;
    window_.showRunning(false);
}

void TTransfer::Button_StartTransferClick() {
    LogLine("Enters Button_StartTransferClick");
    const TTransferOptions options = window_.transferOptions();
    running_ = !running_;
    if (!running_ && operation_)
        operation_->cancel();
    window_.showRunning(running_);
    if (running_ && start(options) == TEnd::Declined)
        return;
    afterTransferActions(options);
}

void TTransfer::Stop() {
    if (!running_ || discWriting_)
        return;
    running_ = false;
    if (operation_)
        operation_->cancel();
    window_.showRunning(false);
}

QString TTransfer::userText() {
    if (!userText_)
        userText_ = (model_.askUserText ? model_.askUserText() : std::nullopt).value_or(QString());
    return *userText_;
}

TTransfer::TEnd TTransfer::start(const TTransferOptions& options) {
    model_.ForgetUserText();
    userText_.reset();
    staged_.reset();
    received_.clear();
    keptMovies_.clear();
    if (options.burnCD && hooks.startDisc)
        hooks.startDisc();
    operation_ = std::make_unique<TCameraOperation>();
    operation_->onProgress = [this](int percent) { window_.setProgress(percent); };
    // Whatever way the run ends, the window is idle again after it, unless a
    // disc write goes on.
    discWriting_ = false;
    const auto idle = [this] {
        operation_.reset();
        window_.setProgress(0);
        if (discWriting_)
            return;
        running_ = false;
        window_.showRunning(false);
    };
    try {
        const TEnd end = run(options);
        idle();
        return end;
    } catch (...) {
        idle();
        throw;
    }
}

TTransfer::TEnd TTransfer::run(const TTransferOptions& options) {
    LogLine("Receive pictures selected");
    const QList<int> selected = window_.selectedIndexes();
    checkTarget(options, selected);
    if (!lossyTransformationsAccepted(selected))
        return TEnd::Declined;

    start_ = Now();
    view_.SetStatusText(text("statusbar_starts_receiving_pictures", "Starts receiving pictures"));
    Sleep(firstRateWaitMilliseconds);
    const TTransferPlan plan =
        PlanTransfer(model_, selected, options, [this] { return userText(); });
    for (const TPlannedEntry& entry : plan.entries) {
        if (!running_)
            break;
        transferEntry(entry, options);
    }
    return finishReceiving(options);
}

void TTransfer::checkTarget(const TTransferOptions& options, const QList<int>& selected) {
    const QString& target = options.targetDirectory;
    if (target.isEmpty())
        throw ERangeError(text("errormsg_have_to_select_destination",
                               "You have to select a destination on your computer"));
    if (!QFileInfo(target).isDir())
        throw ERangeError(text("errormsg_select_valid_directory",
                               "You have to select a valid computer directory"));
    if (options.emailPictures && hooks.startMail)
        hooks.startMail();
    selectedTotal_ = model_.totalSize(selected);
    const qint64 available = freeSpace(target);
    if (available < selectedTotal_)
        throw ERangeError(
            formatted("errormsg_not_enough_disc_space",
                      "You do not have enough disk space. Required=%s bytes,available=%s bytes",
                      {QString::number(selectedTotal_), QString::number(available)}));
    receivedBytes_ = 0;
    receiveCounter_ = 1;
    if (selected.isEmpty())
        throw ERangeError(
            text("errormsg_no_pics_selected_to_copy", "No pictures selected to copy"));
    selectedCount_ = int(selected.size());
}

bool TTransfer::lossyTransformationsAccepted(const QList<int>& selected) {
    QString message;
    for (int index : selected) {
        const TJPEGImage* record = model_.FindRecord(index + 1);
        if (!record || !record->modified())
            continue;
        if (message.isEmpty())
            message = text("infomsg_transform_pic_without_lossless",
                           "The following pictures will be transformed without lossless "
                           "operation (which means it will be decrompressed then edited and "
                           "finally compressed). Is that ok?");
        message += "\n" + record->name;
    }
    if (message.isEmpty())
        return true;
    LogLine(message);
    return window_.confirm(message);
}

void TTransfer::transferEntry(const TPlannedEntry& entry, const TTransferOptions& options) {
    LogLine(QString("GetPicture i=%1").arg(entry.itemNumber));
    model_.GetPictureData(entry.itemNumber, false);
    QString path = entry.destination.path;
    entryPath_ = path;
    discDirectory_ = entry.destination.discDirectory;
    const QString directory = QFileInfo(path).path();
    if (!QDir().mkpath(directory))
        throw EInOutError(formatted("errormsg_could_not_create_dir",
                                    "Could not create directory %s", {directory}));
    view_.LetMessagesRun();

    try {
        switch (entry.kind) {
        case TPlannedEntry::TKind::Raw:
            path = receiveRaw(entry, options);
            break;
        case TPlannedEntry::TKind::Movie:
            path = receiveMovie(entry, options);
            break;
        case TPlannedEntry::TKind::Picture:
            path = receivePicture(entry, options);
            break;
        }
        commonTail(entry, path, options);
    } catch (const ECameraCancelled&) {
        return; // stopped: the loop ends at the next entry with the stop's message
    } catch (const EDiskFullError& error) {
        // The camera is fine: the user has to make room. The file being
        // received is gone whole, so nothing half-written is left behind.
        LogLine(error.message());
        throw EInOutError(formatted("errormsg_disk_full",
                                    "No room for %s: the disk is full or takes no file that "
                                    "large. The transfer stopped; the files received before it "
                                    "are whole.",
                                    {path}));
    }
}

QString TTransfer::receiveMovie(const TPlannedEntry& entry, const TTransferOptions& options) {
    const int index = entry.itemNumber - 1;
    const QString path = UniqueName(entry.destination.path, companionsOf);
    LogLine("Filename_on_pc=" + path);
    LogLine("Copy data to PC. CopyDataToFile");
    receive([&] { tesselink::GetMovie(index, path); });
    const QString thumbnail = companionsOf(path).first();
    addToDisc(options, path);
    if (ReceiveThumbnail(index, thumbnail)) {
        SetFileDate(thumbnail, cameraDate(entry.item.movie.shootingTime), entryPath_, language_);
        addToDisc(options, thumbnail);
    }
    if (options.recompressMovies && hooks.recompressMovie) {
        LogLine("Recompresses movie " + path);
        view_.SetStatusText(formatted("statusbar_recompresses_movie", "Recompresses movie %s",
                                      {QFileInfo(path).fileName()}));
        const bool recompressed = hooks.recompressMovie(
            path, [this](int percent) { window_.setProgress(percent); },
            [this] { return !running_; });
        if (!recompressed && running_)
            keptMovies_ << QFileInfo(path).fileName();
    }
    return path;
}

QString TTransfer::receivePicture(const TPlannedEntry& entry, const TTransferOptions& options) {
    // The EXIF text file is a companion too: its name must be free as well.
    const QString path = UniqueName(entry.destination.path, [&](const QString& candidate) {
        return CompanionsOf(candidate, options.createExifText);
    });
    LogLine("Filename_on_pc=" + path);
    LogLine("Copy data to PC. CopyDataToFile");
    if (entry.choices)
        receiveIntoMemory(entry, path);
    else
        receive([&] { tesselink::GetPicture(entry.itemNumber - 1, path, false); });
    // A picture received into memory has its notes written with it, later.
    const auto arrives = [this](const QString& note) {
        if (!staged_)
            return QFileInfo::exists(note);
        return std::any_of(staged_->notes.begin(), staged_->notes.end(),
                           [&](const TStagedFile& staged) { return staged.path == note; });
    };
    addToDisc(options, path);
    for (const QString& note : companionsOf(path))
        if (arrives(note))
            addToDisc(options, note);
    return path;
}

// A picture the transfer changes is received into a scratch file on a memory
// file system, changed in memory and written to its destination once; the
// destination is never read back. Movies and pictures kept as they are go to
// their destination directly.
void TTransfer::receiveIntoMemory(const TPlannedEntry& entry, const QString& path) {
    const QString scratch = ScratchFile("received.jpg");
    const QStringList notes = companionsOf(scratch);
    const auto clear = [&] {
        for (const QString& file : QStringList{scratch} + notes)
            QFile::remove(file);
    };
    clear(); // the camera layer never writes over a file
    const auto cleared = qScopeGuard(clear);
    receive([&] { tesselink::GetPicture(entry.itemNumber - 1, scratch, false); });
    const TCameraItem& item = entry.item;
    staged_ = std::make_unique<TStagedPicture>(TStagedPicture{
        {ReadWholeFile(scratch), item.name, QSize(item.picture.width, item.picture.height)},
        keptDate(scratch),
        {}});
    const QStringList destinations = companionsOf(path);
    for (qsizetype n = 0; n < notes.size(); ++n)
        if (QFileInfo::exists(notes[n]))
            staged_->notes << TStagedFile{destinations[n], ReadWholeFile(notes[n]),
                                          QFileInfo(notes[n]).lastModified()};
}

QString TTransfer::receiveRaw(const TPlannedEntry& entry, const TTransferOptions& options) {
    const int index = entry.itemNumber - 1;
    // One name for the RAW file and its ".thm", free for both.
    const QString path = UniqueName(entry.destination.path, companionsOf);
    const QString thumbnail = companionsOf(path).first();
    const bool hasThumbnail = ReceiveThumbnail(index, thumbnail);
    if (hasThumbnail && entry.rotation() != 0) {
        TJPEGImage turned;
        turned.loadFromFile(thumbnail);
        turned.rotateInMemory(entry.rotation());
        turned.saveToFile(thumbnail);
    }
    // Read again: the ".thm" carries the date the camera gives now.
    const tsPictureProperties picture = tesselink::GetPictureProperties(index);
    if (hasThumbnail) {
        SetFileDate(thumbnail, cameraDate(picture.shootingTime), entryPath_, language_);
        addToDisc(options, thumbnail);
    }
    LogLine("RAW or TIFF file");
    LogLine("Copy data to PC. CopyDataToFile.Method=" + options.rawOptionText);
    if (entry.receiveRawFile) {
        LogLine("Filename_on_pc=" + path);
        receive([&] { tesselink::GetPicture(index, path, false); });
        addToDisc(options, path);
    }
    return path;
}

void TTransfer::receive(const std::function<void()>& step) {
    session_.perform(*operation_, step);
}

void TTransfer::addToDisc(const TTransferOptions& options, const QString& path) {
    if (options.burnCD && hooks.addToDisc)
        hooks.addToDisc(discDirectory_, path);
}

QDateTime TTransfer::keptDate(const QString& path) const {
    const QDateTime fallback(QDate(1996, 1, 1), QTime(0, 0));
    const QFileInfo info(path);
    if (!info.exists())
        return fallback;
    const QDateTime date = info.lastModified();
    if (date.isValid())
        return date;
    LogLine("AppException. Exception=Cannot read the date of " + path);
    LogLine("Will correct above error for file " + path);
    LogLine(formatted("errormsg_get_date_time_problem",
                      "Lumvik detected problem when receiving date and time for %s. Lumvik will "
                      "continue but it is recommended to run ScanDisk to repair the problems.",
                      {path}));
    return fallback;
}

// The received picture changed as the user chose and written with the date
// the camera layer gave it. When a change fails, the picture is written as
// delivered before the error goes on.
void TTransfer::writeChangedPicture(const TPlannedEntry& entry, const QString& path,
                                    const TTransferOptions& options) {
    const std::unique_ptr<TStagedPicture> staged = std::move(staged_);
    // The status texts reach the window on its own thread.
    const auto status = [this](const QString& text) {
        QMetaObject::invokeMethod(
            qApp, [this, text] { view_.SetStatusText(text); }, Qt::QueuedConnection);
    };
    TChangedPicture changed;
    // Turning and re-encoding a picture of many megapixels takes a second:
    // the window paints and answers meanwhile.
    std::atomic_bool cancel = false;
    RunOffThread(
        [&] {
            try {
                changed = ChangedPicture(staged->picture, *entry.choices,
                                         options.addTransformationToComment, language_, path,
                                         status);
            } catch (...) {
                LogLine("Restores the received picture " + path);
                staged->write(path, staged->picture.bytes);
                throw;
            }
            if (changed.rewritten)
                LogLine("Opens picture to set file date");
            staged->write(path, changed.bytes);
        },
        cancel);
    // The automatic lines stay in the picture's comment, as written.
    if (TJPEGImage* record = model_.FindRecord(entry.itemNumber))
        record->commentLines = changed.comment;
}

void TTransfer::commonTail(const TPlannedEntry& entry, const QString& path,
                           const TTransferOptions& options) {
    const int item = entry.itemNumber;
    if (options.emailPictures && hooks.attachToMail)
        hooks.attachToMail(path);
    received_.append(path);

    receivedBytes_ += model_.sizeOf(item);
    LogLine(QString("mTotalBytesReceived = %1").arg(receivedBytes_));
    const TTransferRate rate = TransferRate(receivedBytes_, selectedTotal_, start_, Now());
    LogLine(QString("seconds_since_start=%1").arg(rate.seconds));
    LogLine(QString("transfer_rate_bytes_per_sec=%1").arg(std::llround(rate.bytesPerSecond)));
    LogLine("mTimeLeftOfTransfer = " + rate.timeLeft);
    ++receiveCounter_;
    LogLine(QString("pictures_received:=%1").arg(receiveCounter_));

    // Every entry's date is read, so that one that cannot be read is logged,
    // though only a changed picture is dated again.
    if (staged_)
        writeChangedPicture(entry, path, options);
    else
        keptDate(path);
    const bool jpeg = hasExtension(path, ".jpg");
    if (jpeg && options.createExifText) {
        const ExifContents exif = ReadExif(path);
        LogLine("Creates EXIF file :" + ExifTextFilePath(path));
        WriteExifTextFile(exif);
    }
    view_.SetStatusText(
        formatted("statusbar_receiving_progress",
                  "Receiving picture %s of %s. Time left: %s. Transfer rate: %s bytes/sec.",
                  {QString::number(receiveCounter_), QString::number(selectedCount_), rate.timeLeft,
                   QString::number(std::llround(rate.bytesPerSecond))}));
    if (options.setReadOnly)
        setReadOnly(path);
    if (hooks.received)
        hooks.received(item);
    view_.LetMessagesRun();
}

TTransfer::TEnd TTransfer::finishReceiving(const TTransferOptions& options) {
    if (!running_) {
        LogLine("Transfer aborted!");
        const QString aborted =
            text("errormsg_transfer_aborted", "Some picture received. Transfer aborted.");
        view_.SetStatusText(aborted);
        window_.notify(aborted, TTransferWindow::TNotice::Warning);
        return TEnd::Finished;
    }
    flushReceivedFiles(options);
    const bool writesDisc = options.burnCD && hooks.writeDisc;
    discWriting_ = writesDisc && hooks.writeDisc(selectedTotal_);
    if (!discWriting_) {
        window_.bringToFront();
        LogLine("All pictures received!");
        const QString done = text("infomsg_all_pictures_received", "All pictures received!");
        view_.SetStatusText(done);
        window_.notify(keptMovies_.isEmpty()
                           ? done
                           : done + "\n" +
                                 formatted("infomsg_movies_kept_as_received",
                                           "These movies could not be recompressed and are kept "
                                           "as received: %s",
                                           {keptMovies_.join(", ")}),
                       TTransferWindow::TNotice::Information);
    }
    // A cancelled disc ends the click here: no mail, nothing started.
    if (writesDisc && !discWriting_)
        return TEnd::Declined;
    if (options.emailPictures && hooks.showMail)
        hooks.showMail();
    return TEnd::Finished;
}

// Every name given is durable before the user hears that all arrived and may
// delete the pictures from the card.
void TTransfer::flushReceivedFiles(const TTransferOptions& options) const {
    QStringList folders{options.targetDirectory};
    if (!options.folders().movies.isEmpty())
        folders << options.folders().movies;
    // A flush of a slow disk takes seconds: the window paints meanwhile, and
    // takes no click until the files are safe.
    std::atomic_bool cancel = false;
    RunOffThread(
        [&folders] {
            for (const QString& folder : folders)
                if (const int error =
                        cdfile::flushFileSystem(QFile::encodeName(folder).toStdString()))
                    throw EInOutError(folder + ": " + QString::fromLocal8Bit(std::strerror(error)));
        },
        cancel, QEventLoop::ExcludeUserInputEvents);
}

void TTransfer::afterTransferActions(const TTransferOptions& options) {
    if (options.openExplorer)
        startProgram("xdg-open", {options.targetDirectory});
    if (options.openCustomProgram && !options.customProgram.isEmpty())
        startProgram(options.customProgram, {});
}
