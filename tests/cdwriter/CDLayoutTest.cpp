#include "CDLayout.h"
#include "Errors.h"

#include <gtest/gtest.h>

namespace {

TEST(CDLayoutTest, DirectoriesComeWithTheirParentsOnceAndNeverLeaveTheRoot) {
    TCDLayout layout;
    EXPECT_EQ(layout.createDirectory("\\a\\b"), QStringList({"/a", "/a/b"}));
    EXPECT_EQ(layout.createDirectory("/a/b/c"), QStringList({"/a/b/c"}));
    EXPECT_EQ(layout.createDirectory("/../a/./b//"), QStringList());
    layout.addFile("/x", "/pc/one.jpg");
    EXPECT_EQ(layout.directories(), QStringList({"/a", "/a/b", "/a/b/c", "/x"}));
    EXPECT_EQ(layout.files(), QList<TCDLayoutFile>({{"/x", "/pc/one.jpg"}}));
    layout.clear();
    EXPECT_TRUE(layout.isEmpty());
}

TEST(CDLayoutTest, RefusesMoreDirectoriesThanADiscHolds) {
    TCDLayout layout;
    for (int i = 0; i < TCDLayout::MaxDirectories; ++i)
        layout.createDirectory(QString("/d%1").arg(i));
    EXPECT_THROW(layout.createDirectory("/one-more"), ERangeError);
}

TEST(CDLayoutTest, ShortNames) {
    const std::tuple<QString, bool, QString> cases[] = {
        {"IMG_0001.jpg", false, "IMG_0001.JPG"}, {"long picture name.jpeg", false, "LONG_PIC.JPE"},
        {"noextension", false, "NOEXTENS"},      {".hidden", false, "_HIDDEN"},
        {"2026-12-10", true, "2026_12_"},
    };
    for (const auto& [name, directory, expected] : cases)
        EXPECT_EQ(ShortName(name, directory), expected) << name.toStdString();
}

} // namespace
