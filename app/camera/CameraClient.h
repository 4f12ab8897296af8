#pragma once
// The program's client of the camera bridge: one function per bridge call,
// named after it without "ts". Each checks the bridge's status and raises
// ECameraError for a failure, then converts the results.

#include "tesselink.h"

#include <QDebug>
#include <QString>

bool operator==(const tsPictureProperties& a, const tsPictureProperties& b);
bool operator==(const tsMovieProperties& a, const tsMovieProperties& b);
QDebug operator<<(QDebug debug, const tsPictureProperties& properties);
QDebug operator<<(QDebug debug, const tsMovieProperties& properties);

namespace tesselink {

// Raises ECameraError "Canon drivers error. Errorcode 0x" + eight hexadecimal
// digits + ", function " + name when the status holds a failure.
void CheckResult(const tsResult* result);

void StartSDK();
void FinishSDK();
void Connect();
void Disconnect();
QString GetModel();
QString GetOwnerName();
// "No port", "USB", "IEEE1394" or "Unknown port".
QString GetPort();

int TotalVolumes();
void GetVolume(int n);
void OpenPicCollection(int kind, const QString& path, tsFileKinds kinds);
void ClosePicCollection();
int GetNrOfPicturesOnCamera();
tsObjectContents GetObjectContents(int index);
tsPictureProperties GetPictureProperties(int index);
tsMovieProperties GetMovieProperties(int index);
void DeletePicture(int index);

void GetThumbnail(int index, const QString& path);
void GetPicture(int index, const QString& path, bool skipPicture);
void GetMovie(int index, const QString& path);

} // namespace tesselink
