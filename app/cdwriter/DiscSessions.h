#pragma once
// Sessions on a medium that has no table of contents of its own: a disc file
// (or a rewritable DVD) grown session by session. Each session starts on a
// 32-block boundary from block 32 on and carries its own volume descriptors;
// blocks 0 to 31 hold a copy of the newest session's descriptors, so that
// readers see the newest directory tree, which includes the older files. This
// is the layout xorriso reads as sessions of such a medium. The copy is
// written last: a session whose write broke off before it is not on the
// medium for any reader, and the next session takes its place.

#include <QList>
#include <functional>

inline constexpr int DiscBlockSize = 2048;

// Reads one 2048-byte block; false when the block cannot be read.
using TBlockReader = std::function<bool(quint32 block, unsigned char* data)>;

struct TGrownSessions {
    QList<quint32> starts; // the first block of each session, oldest first
    quint32 end = 0;       // the first block behind the last session
};

TGrownSessions ReadGrownSessions(const TBlockReader& read);

// Where the session written after `end` starts.
quint32 NextSessionStart(quint32 end);
