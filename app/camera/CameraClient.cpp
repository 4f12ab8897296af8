#include "CameraClient.h"

#include "Errors.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstring>

namespace {

// The bytes before and after the unwritten reserved byte.
bool sameBytesAround(const void* a, const void* b, size_t reserved, size_t size) {
    const auto* left = static_cast<const char*>(a);
    const auto* right = static_cast<const char*>(b);
    return std::memcmp(left, right, reserved) == 0 &&
           std::memcmp(left + reserved + 1, right + reserved + 1, size - reserved - 1) == 0;
}

// A destination as the bridge takes it. A name longer than a file system
// holds is said as such, not as a failure of the camera.
QByteArray destinationOf(const QString& path) {
    if (QFile::encodeName(QFileInfo(path).fileName()).size() > NAME_MAX)
        throw EInOutError(path + ": " + QString::fromLocal8Bit(std::strerror(ENAMETOOLONG)));
    return QFile::encodeName(path);
}

} // namespace

bool operator==(const tsPictureProperties& a, const tsPictureProperties& b) {
    return sameBytesAround(&a, &b, offsetof(tsPictureProperties, reserved), sizeof a);
}

bool operator==(const tsMovieProperties& a, const tsMovieProperties& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QDebug operator<<(QDebug debug, const tsPictureProperties& properties) {
    QDebugStateSaver saver(debug);
    debug.nospace() << "Picture(" << tesselink::TextOf(properties.fileName) << ", time "
                    << properties.shootingTime << ", " << properties.width << "x"
                    << properties.height << ", " << properties.fileSize << " bytes, rotation "
                    << properties.rotation << ", number " << properties.directoryNumber << "-"
                    << properties.fileNumber << ")";
    return debug;
}

QDebug operator<<(QDebug debug, const tsMovieProperties& properties) {
    QDebugStateSaver saver(debug);
    debug.nospace() << "Movie(" << tesselink::TextOf(properties.fileName) << ", time "
                    << properties.shootingTime << ", " << properties.width << "x"
                    << properties.height << ", " << properties.fileSize << " bytes, number "
                    << properties.directoryNumber << "-" << properties.fileNumber << ")";
    return debug;
}

namespace tesselink {

void CheckResult(const tsResult* result) {
    if (result->code == 0) {
        return;
    }
    const QString code =
        QString::number(static_cast<quint32>(result->code), 16).toUpper().rightJustified(8, '0');
    const QString message =
        "Canon drivers error. Errorcode 0x" + code + ", function " + TextOf(result->function);
    if (result->code == TS_ERR_DISK_FULL)
        throw EDiskFullError(message);
    if (result->code == TS_ERR_CANCELLED)
        throw ECameraCancelled(message);
    throw ECameraError(message);
}

void StartSDK() {
    Run([&] { return tsStartSDK(); });
}

void FinishSDK() {
    Run([&] { return tsFinishSDK(); });
}

void Connect() {
    Run([&] { return tsConnect(); });
}

void Disconnect() {
    Run([&] { return tsDisconnect(); });
}

QString GetModel() {
    char name[TS_NAME_SIZE] = {};
    Run([&] { return tsGetModel(name); });
    return TextOf(name);
}

QString GetOwnerName() {
    char name[TS_NAME_SIZE] = {};
    Run([&] { return tsGetOwnerName(name); });
    return TextOf(name);
}

QString GetSerialNumber() {
    char name[TS_NAME_SIZE] = {};
    Run([&] { return tsGetSerialNumber(name); });
    return TextOf(name);
}

QString GetPort() {
    int32_t port = 0;
    Run([&] { return tsGetPort(&port); });
    switch (port) {
    case 0:
        return "No port";
    case 1:
        return "USB";
    case 2:
        return "IEEE1394";
    default:
        return "Unknown port";
    }
}

int TotalVolumes() {
    int32_t count = 0;
    Run([&] { return tsTotalVolumes(&count); });
    return count;
}

void GetVolume(int n) {
    Run([&] { return tsGetVolume(n); });
}

void OpenPicCollection(int kind, const QString& path, tsFileKinds kinds) {
    Run([&] { return tsOpenPicCollection(kind, QFile::encodeName(path).constData(), kinds); });
}

void ClosePicCollection() {
    Run([&] { return tsClosePicCollection(); });
}

int GetNrOfPicturesOnCamera() {
    int32_t count = 0;
    Run([&] { return tsGetNrOfPicturesOnCamera(&count); });
    return count;
}

std::vector<tsItemEntry> GetItemList() {
    std::vector<tsItemEntry> entries;
    Run([&] {
        int32_t count = 0;
        if (tsResult* counted = tsGetNrOfPicturesOnCamera(&count); counted->code != 0)
            return counted;
        entries.resize(size_t(std::max(count, 0)));
        return tsGetItemList(0, int32_t(entries.size()), entries.data());
    });
    return entries;
}

tsObjectContents GetObjectContents(int index) {
    tsObjectContents contents{};
    Run([&] { return tsGetObjectContents(index, &contents); });
    return contents;
}

tsPictureProperties GetPictureProperties(int index) {
    tsPictureProperties properties{};
    Run([&] { return tsGetPictureProperties(index, &properties); });
    return properties;
}

tsMovieProperties GetMovieProperties(int index) {
    tsMovieProperties properties{};
    Run([&] { return tsGetMovieProperties(index, &properties); });
    return properties;
}

void DeletePicture(int index) {
    Run([&] { return tsDeletePicture(index); });
}

void GetThumbnail(int index, const QString& path) {
    Run([&] { return tsGetThumbnail(index, destinationOf(path).constData()); });
}

void GetPicture(int index, const QString& path, bool skipPicture) {
    Run([&] { return tsGetPicture(index, destinationOf(path).constData(), skipPicture ? 1 : 0); });
}

void GetMovie(int index, const QString& path) {
    Run([&] { return tsGetMovie(index, destinationOf(path).constData()); });
}

} // namespace tesselink

TPicCollection::TPicCollection(int kind, const QString& path, tsFileKinds kinds) {
    tesselink::OpenPicCollection(kind, path, kinds);
}

// Queued without waiting: it comes before any later call of the camera.
TPicCollection::~TPicCollection() {
    if (open_)
        cameraThread::Post([] { tsClosePicCollection(); });
}

void TPicCollection::close() {
    open_ = false;
    tesselink::ClosePicCollection();
}
