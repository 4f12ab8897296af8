#pragma once
// The transfer of the selected camera files to the computer: checks, unique
// destination names, the bridge's receive calls, the recorded transformations,
// kept dates, progress, rate and time left, and what follows a transfer. The
// transfer button runs Button_StartTransferClick; a second click while a
// transfer runs is its stop request.

#include "TransferPlan.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class TCameraOperation;
class TCameraSession;
class TFileManagerModel;
class TFileManagerView;
class TLanguageFile;

// The window side of a transfer. The transfer shows nothing itself: its
// questions and messages go to the window, its errors are raised.
class TTransferWindow {
  public:
    enum class TNotice { Warning, Information };

    virtual ~TTransferWindow() = default;
    virtual QList<int> selectedIndexes() const = 0;
    virtual TTransferOptions transferOptions() const = 0;
    // Shows the stop caption and disables the other controls while running,
    // and the transfer caption with the controls enabled otherwise.
    virtual void showRunning(bool running) = 0;
    virtual void setProgress(int percent) = 0;
    virtual void bringToFront() = 0;
    // A warning with Yes and No; true unless the answer is No.
    virtual bool confirm(const QString& question) = 0;
    virtual void notify(const QString& text, TNotice kind) = 0;
};

// Where the send-mail window, the CD writer and the movie recompression take
// part in a transfer. Until a hook is given its branch is left out.
struct TTransferHooks {
    // Email pictures: a new empty mail, each received file as an attachment,
    // the mail window shown after the transfer.
    std::function<void()> startMail;
    std::function<void(const QString&)> attachToMail;
    std::function<void()> showMail;
    // Burn CD: a new empty disc layout, each file written into the disc
    // directory that mirrors its folder below the target directory, and the
    // write after the transfer, given the selected total; false when the user
    // cancels at the medium question.
    std::function<void()> startDisc;
    std::function<void(const QString& discDirectory, const QString& path)> addToDisc;
    std::function<bool(qint64 selectedTotal)> writeDisc;
    // Recompress movies: the received movie is recompressed in place while
    // the window answers, telling `progress` its percent and asking `stopped`
    // (both on the window thread). False when it could not be recompressed
    // or was stopped: it stays as received, and the transfer goes on.
    std::function<bool(const QString& movie, const std::function<void(int)>& progress,
                       const std::function<bool()>& stopped)>
        recompressMovie;
    // Each item received whole, told after its files are written.
    std::function<void(int itemNumber)> received;
};

// The rate and time left after some bytes of a transfer were received.
struct TTransferRate {
    qint64 seconds = 0; // since the start, rounded
    double bytesPerSecond = 0;
    QString timeLeft; // as a time of day; "--" while nothing is received
};
TTransferRate TransferRate(qint64 receivedBytes, qint64 totalBytes, const QDateTime& start,
                           const QDateTime& now);

// Sets a file's modification time. A file that cannot be opened for writing
// keeps its time; a refused change raises EInOutError naming `shownPath`.
void SetFileDate(const QString& path, const QDateTime& date, const QString& shownPath,
                 const TLanguageFile& language);

class TTransfer {
  public:
    // The session hands the bridge's progress over to the window.
    TTransfer(TFileManagerModel& model, TFileManagerView& view, TTransferWindow& window,
              TCameraSession& session, const TLanguageFile& language, QStringList& receivedFiles);
    ~TTransfer();

    TTransferHooks hooks;
    // The free bytes of the file system holding a directory.
    std::function<qint64(const QString&)> freeSpace;
    // The wait before the first file, so that the first rate shown is taken
    // over a second at least; a transfer that shows no rate waits for nothing.
    int firstRateWaitMilliseconds = 1000;

    void Button_StartTransferClick();
    // Stops a running transfer at once, as its stop click does: the file
    // under way is dropped whole, the files received before it stay.
    void Stop();
    // A started disc write keeps the window running until it ends here.
    void DiscWriteDone();

  private:
    enum class TEnd { Finished, Declined };
    TEnd start(const TTransferOptions& options);
    TEnd run(const TTransferOptions& options);
    void checkTarget(const TTransferOptions& options, const QList<int>& selected);
    bool lossyTransformationsAccepted(const QList<int>& selected);
    void transferEntry(const TPlannedEntry& entry, const TTransferOptions& options);
    QString receiveMovie(const TPlannedEntry& entry, const TTransferOptions& options);
    QString receivePicture(const TPlannedEntry& entry, const TTransferOptions& options);
    QString receiveRaw(const TPlannedEntry& entry, const TTransferOptions& options);
    // Receives one file on the camera thread while the window keeps answering.
    void receive(const std::function<void()>& step);
    void receiveIntoMemory(const TPlannedEntry& entry, const QString& path);
    void writeChangedPicture(const TPlannedEntry& entry, const QString& path,
                             const TTransferOptions& options);
    void commonTail(const TPlannedEntry& entry, const QString& path,
                    const TTransferOptions& options);
    QString userText();
    QDateTime keptDate(const QString& path) const;
    TEnd finishReceiving(const TTransferOptions& options);
    void flushReceivedFiles(const TTransferOptions& options) const;
    void afterTransferActions(const TTransferOptions& options);
    void addToDisc(const TTransferOptions& options, const QString& path);
    QString text(const char* key, const char* def) const;
    QString formatted(const char* key, const char* def, const QStringList& args) const;

    TFileManagerModel& model_;
    TFileManagerView& view_;
    TTransferWindow& window_;
    TCameraSession& session_;
    std::unique_ptr<TCameraOperation> operation_; // of the running transfer
    const TLanguageFile& language_;
    QStringList& received_;
    bool running_ = false;
    QDateTime start_;
    qint64 receivedBytes_ = 0;
    qint64 selectedTotal_ = 0;
    int selectedCount_ = 0;
    int receiveCounter_ = 1;
    std::optional<QString> userText_; // asked once per click
    // A JPEG picture received into memory, to be changed and written once.
    struct TStagedPicture;
    std::unique_ptr<TStagedPicture> staged_;
    QString entryPath_;     // the destination of the entry being received, for messages
    QString discDirectory_; // its folder below the target directory, on the disc
    bool discWriting_ = false;
    QStringList keptMovies_; // received, but not recompressed
};
