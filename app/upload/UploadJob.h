#pragma once
// The upload of pictures from the computer to the camera's current volume:
// each file is decoded upright, fitted into the chosen size, written as the
// raw RGB work file and added to the camera through the camera client. What
// the user sees of it, the view shows.

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class TCameraOperation;
class TCameraSession;

// What the upload tells its window as it goes.
class TUploadView {
  public:
    virtual ~TUploadView() = default;
    // Before a row of the work file of picture number (from 1) of total is
    // written; percent of the rows done. Told each time percent changes.
    virtual void transforming(int number, int total, int percent) = 0;
    // Before the picture goes to the camera.
    virtual void uploading(int number, int total) = 0;
    // The progress bar's position, 0 to 100.
    virtual void showProgress(int position) = 0;
    // Lets pending window messages run, so the window repaints.
    virtual void letMessagesRun() = 0;
};

// The size the camera takes (from its list) and the quality index 0 to 3.
struct TUploadChoice {
    QSize size;
    int quality = 0;
};

// A file left out because it is not a JPEG picture that can be decoded.
struct TSkippedFile {
    QString path;
    QString reason;
    bool operator==(const TSkippedFile&) const = default;
};

class TUploadJob {
  public:
    // workFile: the raw pixel file the camera reads, rewritten for every
    // picture and removed when the run ends.
    TUploadJob(TCameraSession& session, TUploadView& view, QString workFile);
    ~TUploadJob();

    // Uploads the files in order and returns those skipped. Any other
    // failure (no size, the work file, the camera) ends the run with its
    // error; the pictures uploaded before stay on the camera.
    QList<TSkippedFile> run(const QStringList& files, const TUploadChoice& choice);

  private:
    // The file's picture, or none when it is skipped (and added to skipped).
    std::optional<QImage> decoded(const QString& path, QList<TSkippedFile>& skipped);
    void uploadOne(const QImage& upright, const TUploadChoice& choice);
    void writeWorkFile(const QImage& bitmap);

    TCameraSession& session_;
    TUploadView& view_;
    QString workFile_;
    int total_ = 0;
    int done_ = 0;
    std::unique_ptr<TCameraOperation> operation_; // of the run
};

// The picture in a JPEG file as viewers show it, with its EXIF orientation
// applied, as Format_RGB888. Raises EInOutError when the file cannot be read
// and EJPEG when it is not a JPEG picture that decodes.
QImage DecodeUpright(const QString& path);
