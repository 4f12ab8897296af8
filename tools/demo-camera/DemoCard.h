#pragma once
// The demo camera: pictures, sound notes, movies and RAW files of our own
// making, laid out like a Canon card, for people to try the program and for
// tests that need a camera folder.

#include "ExifSegment.h"

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

// One picture of the demo card: its number, folder and what the camera recorded.
struct DemoShot {
    int number = 1;         // file number, as in IMG_0001.JPG
    int folder = 100;       // as in DCIM/100CANON
    QSize size{1600, 1200}; // the stored image, as the sensor saw it
    ShotFacts facts;        // facts.pixels is the size too, unless a test wants them to differ
    bool operator==(const DemoShot&) const = default;
};

// The demo camera's model and owner names.
inline constexpr const char* DemoModel = "Canon PowerShot G5";
inline constexpr const char* DemoOwner = "Lumvik demo";

// A shot of the demo camera in DCIM/<folder>CANON, with exposure data that
// varies with its number, taken at `taken` and stored at `size`.
DemoShot DemoShotAt(int folder, int number, const QDateTime& taken, QSize size = {1600, 1200});

// The camera-like JPEG file of a shot: start of image, the EXIF segment with a
// 160x120 thumbnail, then the picture with its number drawn large (stored
// unrotated, as a camera does, whatever its orientation).
QByteArray DemoJpeg(const DemoShot& shot);

// A plain JPEG of a shot's scene with no EXIF data at all.
QByteArray DemoJpegWithoutExif(const DemoShot& shot);

// The pictures of the demo card, in file-number order.
QList<DemoShot> DemoCardShots();

// How fast the demo camera answers: at once, or like a camera on USB 2
// (20 MB/s of data, 15 ms a call).
enum class DemoSpeed { Instant, Usb2 };

// Writes the demo camera into `dir`, which must not exist yet or be an empty
// folder: its description "camera.ini" and one volume "CF" laid out like a card.
// Throws EInOutError when the folder has content or a file cannot be written.
void MakeDemoCamera(const QString& dir, DemoSpeed speed = DemoSpeed::Instant);
