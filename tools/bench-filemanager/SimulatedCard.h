#pragma once
// Simulated camera cards of many pictures for the file manager benchmark. The
// pictures have the demo camera's structure (1600x1200, a camera's EXIF
// segment with its own 160x120 thumbnail, file number and shooting data per
// picture), but their image data comes from a few shared scenes, so a card of
// 10,000 pictures takes seconds to make rather than many minutes.

#include <QString>

// The folder of a simulated camera whose one volume "CF" holds `count`
// pictures, 100 to a folder as a Canon camera stores them. Made below
// cacheDir on first use and reused afterwards; the cards share their files.
QString SimulatedCard(const QString& cacheDir, int count);
