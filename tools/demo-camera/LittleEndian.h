#pragma once
// Little-endian (Intel order) integers as bytes, for the files the demo card writes.

#include <QByteArray>
#include <QtEndian>

inline QByteArray le16(quint16 v) {
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}

inline QByteArray le32(quint32 v) {
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}
