#include "UploadJob.h"

#include "AtomicFile.h"
#include "CameraClient.h"
#include "CameraSession.h"
#include "Errors.h"
#include "ExifRotation.h"
#include "JPEGImage.h"
#include "Log.h"
#include "ReceivedFile.h"
#include "UploadFit.h"

#include <QFile>
#include <cstring>
#include <unistd.h>

namespace {

// The work file is collected in memory and written out in pieces this large.
constexpr qsizetype WritePiece = 2'000'000;

[[noreturn]] void failWriting(const QString& path, int error) {
    throw EInOutError(QStringLiteral("Cannot write file %1: %2")
                          .arg(path, QString::fromLocal8Bit(strerror(error))));
}

// Removes the work file when the run ends, however it ends: it holds a
// picture's pixels and is of no use once the camera has read it.
class TWorkFileRemoval {
  public:
    explicit TWorkFileRemoval(const QString& path) : path_(QFile::encodeName(path)) {}
    ~TWorkFileRemoval() { ::unlink(path_.constData()); }
    TWorkFileRemoval(const TWorkFileRemoval&) = delete;
    TWorkFileRemoval& operator=(const TWorkFileRemoval&) = delete;

  private:
    QByteArray path_;
};

} // namespace

QImage DecodeUpright(const QString& path) {
    const QByteArray jpeg = ReadWholeFile(path);
    TJPEGImage picture;
    picture.loadFromData(jpeg);
    return UprightPicture(picture.bitmap().convertToFormat(QImage::Format_RGB888),
                          ExifOrientation(jpeg));
}

TUploadJob::TUploadJob(TCameraSession& session, TUploadView& view, QString workFile)
    : session_(session), view_(view), workFile_(std::move(workFile)) {}

TUploadJob::~TUploadJob() = default;

QList<TSkippedFile> TUploadJob::run(const QStringList& files, const TUploadChoice& choice) {
    if (choice.size.isEmpty())
        throw ERangeError("The camera offers no picture size to upload at");
    const TWorkFileRemoval removal(workFile_);
    total_ = int(files.size());
    done_ = 0;
    view_.showProgress(0);
    operation_ = std::make_unique<TCameraOperation>();
    operation_->onProgress = [this](int percent) {
        view_.showProgress(UploadProgress(done_, total_, 100, percent));
    };
    QList<TSkippedFile> skipped;
    for (const QString& path : files) {
        view_.letMessagesRun();
        if (const std::optional<QImage> upright = decoded(path, skipped))
            uploadOne(*upright, choice);
        ++done_;
        view_.showProgress(UploadProgress(done_, total_, 0, 0));
    }
    return skipped;
}

std::optional<QImage> TUploadJob::decoded(const QString& path, QList<TSkippedFile>& skipped) {
    try {
        return DecodeUpright(path);
    } catch (const ELumvikError& error) {
        LogLine("Upload pictures. Skipped " + path + ". Exception=" + error.message());
        skipped.append({path, error.message()});
        return std::nullopt;
    }
}

void TUploadJob::uploadOne(const QImage& upright, const TUploadChoice& choice) {
    const TUploadFit fit = FitForUpload(upright, choice.size);
    writeWorkFile(fit.bitmap);
    view_.uploading(done_ + 1, total_);
    LogLine(QStringLiteral("Upload pictures. Width = %1, Height = %2, Rotation = %3, Quality = %4, "
                           "Filename = %5")
                .arg(choice.size.width())
                .arg(choice.size.height())
                .arg(fit.rotation)
                .arg(choice.quality)
                .arg(workFile_));
    view_.letMessagesRun();
    const tsUploadRequest request{choice.size.width(), choice.size.height(),
                                  int16_t(fit.rotation), choice.quality, workFile_};
    session_.perform(*operation_, [&] { tesselink::UploadPicture(request); });
}

void TUploadJob::writeWorkFile(const QImage& bitmap) {
    const QByteArray path = QFile::encodeName(workFile_);
    // The name is the program's own work file; whatever entry a run that
    // ended early left under it goes, a link itself and not its target.
    ::unlink(path.constData());
    cdfile::NewFile file(path.toStdString());
    const qsizetype rowBytes = qsizetype(bitmap.width()) * 3;
    const int rows = bitmap.height();
    QByteArray piece;
    piece.reserve(WritePiece + rowBytes);
    int shown = -1;
    for (int row = 0; row < rows; ++row) {
        const int percent = rows > 1 ? RoundHalfEven(row * qint64(100), rows - 1) : 100;
        if (percent != shown) {
            view_.transforming(done_ + 1, total_, percent);
            view_.showProgress(UploadProgress(done_, total_, percent, 0));
            shown = percent;
        }
        piece.append(reinterpret_cast<const char*>(bitmap.constScanLine(row)), rowBytes);
        if (piece.size() >= WritePiece) {
            file.appendBytes(piece.constData(), size_t(piece.size()));
            piece.clear();
        }
    }
    // A failed write is kept by the file and returned by commit().
    file.appendBytes(piece.constData(), size_t(piece.size()));
    if (const int error = file.commit())
        failWriting(workFile_, error);
}
