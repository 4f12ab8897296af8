#pragma once
// What the fuzz targets share: the input as a file, and small choices taken
// from the input's first bytes.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// Takes the first byte of the input (0 when empty) and drops it.
uint8_t takeByte(const uint8_t*& data, size_t& size);

QByteArray bytesOf(const uint8_t* data, size_t size);

// A file called name holding bytes in a folder of this process, replaced on
// every call; returns its path.
QString writeInput(const QString& name, const QByteArray& bytes);

} // namespace fuzz
