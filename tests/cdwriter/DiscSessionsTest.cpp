#include "DiscSessions.h"

#include <QByteArray>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// A medium in memory with primary volume descriptors at chosen blocks.
struct TMedium {
    QByteArray bytes = QByteArray(400 * DiscBlockSize, '\0');

    void descriptor(quint32 block, quint32 volumeSize) {
        char* data = bytes.data() + block * DiscBlockSize;
        std::memcpy(data,
                    "\x01"
                    "CD001\x01",
                    7);
        for (int i = 0; i < 4; ++i)
            data[80 + i] = char(volumeSize >> (8 * i));
    }
    TGrownSessions read() const {
        return ReadGrownSessions([this](quint32 block, unsigned char* data) {
            if ((block + 1) * DiscBlockSize > quint32(bytes.size()))
                return false;
            std::memcpy(data, bytes.constData() + block * DiscBlockSize, DiscBlockSize);
            return true;
        });
    }
};

TEST(DiscSessionsTest, FollowsTheChainOfSessions) {
    TMedium medium;
    EXPECT_TRUE(medium.read().starts.isEmpty());

    medium.descriptor(16, 40); // a plain image from block 0
    EXPECT_EQ(medium.read().starts, QList<quint32>({0}));
    EXPECT_EQ(medium.read().end, 40u);

    // Each session's own descriptors count its own blocks; the copy at the
    // start counts to the newest session's end.
    medium.descriptor(16, 200);
    medium.descriptor(32 + 16, 68);  // session 1: blocks 32 to 99
    medium.descriptor(128 + 16, 72); // session 2 at the next boundary: 128 to 199
    medium.descriptor(256 + 16, 10); // behind a gap: not part of the chain
    EXPECT_EQ(medium.read().starts, QList<quint32>({32, 128}));
    EXPECT_EQ(medium.read().end, 200u);
}

// A write that broke off leaves its session's own descriptors without the
// copy at the start that makes readers see it: that session is not there.
TEST(DiscSessionsTest, ASessionWithoutTheCopyAtTheStartIsNotOnTheMedium) {
    TMedium medium;
    medium.descriptor(32 + 16, 68);
    EXPECT_TRUE(medium.read().starts.isEmpty());

    medium.descriptor(16, 100);
    medium.descriptor(128 + 16, 72); // written after session 1, not committed
    EXPECT_EQ(medium.read().starts, QList<quint32>({32}));
    EXPECT_EQ(medium.read().end, 100u);
    EXPECT_EQ(NextSessionStart(medium.read().end), 128u); // the next write takes its place
}

TEST(DiscSessionsTest, NextSessionStartsOnA32BlockBoundaryFrom32On) {
    const std::pair<quint32, quint32> cases[] = {{0, 32}, {1, 32}, {32, 32}, {33, 64}, {200, 224}};
    for (const auto& [end, start] : cases)
        EXPECT_EQ(NextSessionStart(end), start) << end;
}

} // namespace
