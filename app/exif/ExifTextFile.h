#pragma once
// The EXIF text file written beside a received picture: the summary, then
// every EXIF tag and every maker-note tag, one per line, with CR LF line ends.

#include "ExifReader.h"

// The text file's path: the picture's path with its extension replaced by ".txt".
QString ExifTextFilePath(const QString& picturePath);

// Creates the text file of the picture the contents were read from. Throws
// EInOutError when it cannot be created or written, or when a file of its name
// is there (it is never replaced).
void WriteExifTextFile(const ExifContents& contents);
