#include "WildcardFileSearch.h"
#include "CameraFixture.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using tesselink::WildcardMatch;

class Collect : public tesselink::WildcardFileSearch {
  public:
    explicit Collect(std::string root) : root_(std::move(root)) {}
    void OnFileFound(const std::string& path) override {
        found.push_back(path.rfind(root_, 0) == 0 ? path.substr(root_.size()) : path);
    }
    std::vector<std::string> found;

  private:
    std::string root_;
};

std::vector<std::string> search(const QString& root, const std::string& pattern) {
    Collect collect(root.toStdString());
    collect.Search(root.toStdString() + pattern);
    return collect.found;
}

TEST(WildcardMatchTest, MatchesWholeNamesInAnyLetterCase) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    const Case cases[] = {
        {"*.jpg", "IMG_0001.JPG", true},
        {"*.jpg", "IMG_0001.JPG.bak", false},
        {"*.jpg", ".jpg", true},
        {"IMG_????.JPG", "img_0001.jpg", true},
        {"IMG_????.JPG", "IMG_001.JPG", false},
        {"*", "", true},
        {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYbZ", false},
        {"x***", "x", true},
        {"./", "./", true},
        {"./", "a/", false},
        {"?", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WildcardMatch(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
    }
}

TEST(WildcardFileSearchTest, WalksFilesFirstThenSubfoldersInByteOrder) {
    const QString root = testenv::newFolder("search");
    for (const char* file :
         {"b.jpg", "A.JPG", "c.png", "101/z.jpg", "100/y.JPG", "100/deep/x.jpg", "a.JPG"}) {
        fixture::writeFile(root + "/" + file, "x");
    }
    QDir(root).mkpath("folder.jpg");
    QFile::link(root + "/100", root + "/linked.jpg");
    QFile::link(root + "/b.jpg", root + "/100/deep/link.jpg");
    EXPECT_EQ(search(root, "/**/*.jpg"),
              (std::vector<std::string>{"/A.JPG", "/a.JPG", "/b.jpg", "/100/y.JPG",
                                        "/100/deep/link.jpg", "/100/deep/x.jpg", "/101/z.jpg"}));
    EXPECT_EQ(search(root, "/*/*.jpg"), (std::vector<std::string>{"/100/y.JPG", "/101/z.jpg"}));
    EXPECT_EQ(search(root, "\\1*\\*.jpg"), (std::vector<std::string>{"/100/y.JPG", "/101/z.jpg"}));
    // "**" alone means every file at any depth; "1**" every file in folders starting with 1.
    EXPECT_EQ(search(root, "/10**").size(), 4u);
    EXPECT_EQ(search(root, "/folder.jpg/*"), std::vector<std::string>{});
}

TEST(WildcardFileSearchTest, PatternWithoutWildcardsIsReportedUnchanged) {
    Collect collect("");
    collect.Search("/no/such/folder/A.JPG");
    EXPECT_EQ(collect.found, std::vector<std::string>{"/no/such/folder/A.JPG"});
}

TEST(WildcardFileSearchTest, FolderThatCannotBeListedContributesNothing) {
    const QString root = testenv::newFolder("search");
    EXPECT_TRUE(search(root + "/missing", "/**/*.jpg").empty());
}

} // namespace
