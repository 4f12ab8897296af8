#pragma once
// The program's face of the one file writer and reader it shares with the
// camera layer (cdfile in ReceivedFile.h): every rewrite of a file on disk goes
// through here, so a crash or a full disk never leaves a half-written file
// where a good one was.

#include <QByteArray>
#include <QString>

// Writes data to a temporary file beside path and renames it over path (the
// writer the camera layer uses too): a link at path is replaced, never written
// through, and a file replaced keeps its permissions. On any
// failure path keeps its old content and EInOutError is raised.
void WriteFileAtomically(const QString& path, const QByteArray& data);

// The whole content of a regular file, opened without waiting; EInOutError
// when it cannot be read or is no regular file (a FIFO is not waited on).
QByteArray ReadWholeFile(const QString& path);
