#include "DiscSessions.h"

#include <cstring>

namespace {

constexpr quint32 SessionAlignment = 32;
constexpr quint32 DescriptorOffset = 16; // the primary volume descriptor, from a session's start

// The volume space size of a primary volume descriptor at `block`: the
// session's own size in blocks; 0 when there is none.
quint32 volumeSize(const TBlockReader& read, quint32 block) {
    unsigned char data[DiscBlockSize];
    if (!read(block, data) || std::memcmp(data,
                                          "\x01"
                                          "CD001\x01",
                                          7) != 0)
        return 0;
    return quint32(data[80]) | quint32(data[81]) << 8 | quint32(data[82]) << 16 |
           quint32(data[83]) << 24;
}

} // namespace

quint32 NextSessionStart(quint32 end) {
    const quint32 aligned = (end + SessionAlignment - 1) / SessionAlignment * SessionAlignment;
    return std::max(aligned, SessionAlignment);
}

TGrownSessions ReadGrownSessions(const TBlockReader& read) {
    TGrownSessions sessions;
    // The copy at the medium's start counts up to the newest session's end.
    const quint32 committedEnd = volumeSize(read, DescriptorOffset);
    if (committedEnd == 0)
        return sessions;
    for (quint32 start = SessionAlignment;;) {
        const quint32 size = volumeSize(read, start + DescriptorOffset);
        if (size == 0 || start + size > committedEnd)
            break;
        sessions.starts << start;
        sessions.end = start + size;
        start = NextSessionStart(sessions.end);
    }
    if (sessions.starts.isEmpty()) {
        // A plain image written from block 0 is one session.
        sessions.starts << 0;
        sessions.end = committedEnd;
    }
    return sessions;
}
