#pragma once
// The card's other files: sound notes, movies and RAW files, made in memory.

#include <QByteArray>
#include <QList>
#include <QSize>

// A short tone as a PCM WAV file (mono, 16 bits, 11025 Hz), like a sound note.
QByteArray DemoWav(int milliseconds);

// A Motion-JPEG AVI file with one video stream made of the given JPEG frames.
QByteArray DemoAvi(const QList<QByteArray>& jpegFrames, QSize frameSize, int framesPerSecond);

// A RAW file with a CIFF header and an empty directory around opaque sensor data.
QByteArray DemoCrw(int sensorBytes);
