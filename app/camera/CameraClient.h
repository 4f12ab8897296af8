#pragma once
// The program's client of the camera bridge: one function per bridge call,
// named after it without "ts". Each checks the bridge's status and raises
// ECameraError for a failure, then converts the results.

#include "CameraThread.h"
#include "Errors.h"
#include "ReleaseParameters.h"
#include "tesselink.h"

#include <QDebug>
#include <QString>
#include <optional>
#include <vector>

bool operator==(const tsPictureProperties& a, const tsPictureProperties& b);
bool operator==(const tsMovieProperties& a, const tsMovieProperties& b);
QDebug operator<<(QDebug debug, const tsPictureProperties& properties);
QDebug operator<<(QDebug debug, const tsMovieProperties& properties);

// What the upload window asks the camera to add: a raw pixel work file of
// width x height, its rotation in degrees and the quality index 0 to 3.
struct tsUploadRequest {
    int32_t width = 0;
    int32_t height = 0;
    int16_t rotation = 0;
    int32_t quality = 0;
    QString path;
};

// A failure of a received file's write that making room on the disk mends:
// the disk is full, or the file reached a size limit.
class EDiskFullError : public ECameraError {
    using ECameraError::ECameraError;
};

// A transfer that stopped because its operation was asked to stop: the file
// under way is gone whole, the camera untouched.
class ECameraCancelled : public ECameraError {
    using ECameraError::ECameraError;
};

namespace tesselink {

// A text field of a bridge record (a file name, the model, the owner) as the
// camera and the file system give it: UTF-8, cut at its terminator.
template <size_t N> QString TextOf(const char (&field)[N]) {
    return QString::fromUtf8(field, qsizetype(qstrnlen(field, N)));
}

// Raises ECameraError (EDiskFullError for TS_ERR_DISK_FULL) "Canon drivers
// error. Errorcode 0x" + eight hexadecimal digits + ", function " + name when
// the status holds a failure.
void CheckResult(const tsResult* result);

// Makes a bridge call on the camera thread, the bridge's one caller, and
// checks its status there, before the next call overwrites it.
template <class BridgeCall> void Run(BridgeCall&& call) {
    cameraThread::Call([&] { CheckResult(call()); });
}

void StartSDK();
void FinishSDK();
void Connect();
void Disconnect();
QString GetModel();
QString GetOwnerName();
// Empty when the camera tells none.
QString GetSerialNumber();
// "No port", "USB", "IEEE1394" or "Unknown port".
QString GetPort();

int TotalVolumes();
void GetVolume(int n);
void OpenPicCollection(int kind, const QString& path, tsFileKinds kinds);
void ClosePicCollection();
int GetNrOfPicturesOnCamera();
// Every entry of the open collection, as its opening listed them.
std::vector<tsItemEntry> GetItemList();
tsObjectContents GetObjectContents(int index);
tsPictureProperties GetPictureProperties(int index);
tsMovieProperties GetMovieProperties(int index);
void DeletePicture(int index);

void GetThumbnail(int index, const QString& path);
void GetPicture(int index, const QString& path, bool skipPicture);
void GetMovie(int index, const QString& path);

int GetNrOfImageSizeSupported();
tsImageSize GetImageSizeSupported(int index);
void UploadPicture(const tsUploadRequest& request);
// True when the camera takes uploaded pictures.
bool DoSupportUppload();

bool ReleaseDoSupportRemote();
bool ReleaseDoSupportZoom();
bool ReleaseDoSupportViewFinder();
void ReleaseStart(int destination, int data);
void ReleaseEnd();
void Release(int synchronous);
void ReleaseGetPicture(const QString& path);
// The camera's file name of the next released data, when more waits after
// the picture of a shot saved as several files; nothing when none waits.
std::optional<QString> ReleaseNextName();
tsRemoteReleaseParameters ReleaseGetParams();
void ReleaseSetParams(const tsRemoteReleaseParameters& parameters);
tsRemoteZoomPosition ReleaseGetZoomPosition();
void ReleaseStartViewFinder();
void ReleaseStopViewFinder();
void ReleaseSetViewFinderOutput(int mode);
void ReleaseActivateViewFinderAuto();
bool ReleaseDoSupportViewFinderOutput();
bool ReleaseDoSupportViewFinderAuto();

// Fills available from the camera's availability record: with allValues every
// ordinal of every parameter, else the ordinals the camera takes, and nothing
// for a parameter it does not use. A failure leaves available as it was.
void GetAvailableParameters(bool allValues, tsRemoteAvailArrayReleaseParameters& available);

// The list building of GetAvailableParameters over a record of TS_AVAIL_SIZE bytes.
void BuildAvailableParameters(const uint8_t* record, bool allValues,
                              tsRemoteAvailArrayReleaseParameters& available);

} // namespace tesselink

// The picture collection a flow opens: close() ends it as the flow's own
// step, raising its failure; a flow that ends early by an error closes it
// quietly, so no collection outlives its flow.
class TPicCollection {
  public:
    TPicCollection(int kind, const QString& path, tsFileKinds kinds);
    ~TPicCollection();
    TPicCollection(const TPicCollection&) = delete;
    TPicCollection& operator=(const TPicCollection&) = delete;
    void close();

  private:
    bool open_ = true;
};
