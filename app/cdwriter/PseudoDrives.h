#pragma once
// For tests only: libburn pseudo-drives ("stdio:/path/disc.iso") that the
// device list shows after the drives of the machine.

#include <QStringList>

void SetPseudoDrives(const QStringList& addresses);
// The size of the discs in pseudo-drives, in 2048-byte blocks, so that a
// test can have a small disc; negative (at the start): the room of the file
// system the disc file is on.
void SetPseudoDriveCapacity(qint64 blocks);
