#pragma once
// Turning a 24-bit bitmap by a multiple of 90 degrees counter-clockwise, pixel
// by pixel with each pixel's byte order kept.

#include <QImage>

// Returns bitmap turned by angle degrees counter-clockwise (450 turns as 90,
// 360 returns a copy); bitmap is unchanged. Raises EBitmapError "Can Rotate90
// only 24-bit bitmap" for other pixel formats and "Rotate90:  Angle not
// positive multiple of 90 degrees" for a negative angle or one that is not a
// multiple of 90.
QImage Rotate90(int angle, const QImage& bitmap);
