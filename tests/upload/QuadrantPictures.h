#pragma once
// Pictures whose orientation shows at a glance: four coloured quadrants, red
// and green above blue and white.

#include <QColor>
#include <QImage>
#include <QString>

QImage Quadrants(QSize size);

// Writes Quadrants(size) as a JPEG file whose EXIF block gives orientation
// (none when 0); returns the path.
QString WriteQuadrantPicture(const QString& path, QSize size, int orientation = 0);

// Colours equal within what JPEG compression changes.
bool NearColour(QColor a, QColor b);
