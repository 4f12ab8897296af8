#pragma once
// Camera folders for tests, made by code: a description file and volumes laid
// out like cards, with JPEG pictures that carry camera-like EXIF data.

#include <QByteArray>
#include <QSize>
#include <QString>
#include <optional>

namespace fixture {

struct PictureExif {
    QString dateTimeOriginal = "2004:05:06 07:08:09";
    int orientation = 1;
    bool thumbnail = true;
    QString model = "Canon PowerShot G5";
    std::optional<uint32_t> canonFileNumber; // maker note, as directory * 10000 + file
    QString canonOwner;                      // maker note owner name, when not empty
    QSize pixelDimensions; // EXIF picture size when not the file's own, as in a ".THM"
};

PictureExif shotAt(const QString& dateTimeOriginal, int orientation = 1, bool thumbnail = true);

// A JPEG picture of the given size with its number drawn in.
QByteArray jpegBytes(QSize size, int number);

void writeFile(const QString& path, const QByteArray& bytes);

// A JPEG file with EXIF: the exposure data of a daylight picture, 1/60 s at
// f/2.8, ISO 100, flash fired, 7.2 mm, -1/3 EV, plus the fields of exif.
void writePicture(const QString& path, const PictureExif& exif = {}, QSize size = {64, 48});

// An AVI file whose main header gives the frame size; no frames.
void writeMovie(const QString& path, QSize size = {320, 240});

// A short RIFF sound file.
QByteArray soundBytes();

// A camera folder below root with camera.ini and the volumes made so far.
class CameraFolder {
  public:
    explicit CameraFolder(const QString& root, const QString& model = "Canon PowerShot G5",
                          const QString& owner = "Lumvik Tester", int port = 1);
    QString root() const { return root_; }
    // The folder of volume name, made when missing.
    QString volume(const QString& name) const;
    // Adds description keys, one "Key=Value" a line, such as those of remoteControl.
    void offer(const QString& keys) const;
    // Points the simulated camera at this folder.
    void plugIn() const;

  private:
    QString root_;
};

// Everything of remote control, with viewfinder frames only on demand.
inline const QString remoteControl = "RemoteRelease=1\nUpload=1\nZoomMaximum=12\n"
                                     "OpticalZoomMaximum=8\nViewfinder=1\n"
                                     "ViewfinderFramesPerSecond=0\nParameterLists=1\n";

// The card used by most tests, on volume "CF" (and one picture on "SD"):
//   DCIM/100CANON/IMG_0005.JPG + IMG_0005.WAV   shot 2004:05:06 07:08:09
//   DCIM/100CANON/MVI_0007.AVI + MVI_0007.THM   shot 2004:05:07 10:00:00
//   DCIM/101CANON/CRW_0004.CRW + CRW_0004.THM   shot 2004:05:08 11:00:00
//   DCIM/101CANON/IMG_0003.JPG                  shot 2004:05:09 12:00:00, rotated 90
CameraFolder standardCamera(const QString& root);

} // namespace fixture
