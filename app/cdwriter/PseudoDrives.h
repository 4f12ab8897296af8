#pragma once
// For tests only: libburn pseudo-drives ("stdio:/path/disc.iso") that the
// device list shows after the drives of the machine.

#include <QStringList>

void SetPseudoDrives(const QStringList& addresses);
