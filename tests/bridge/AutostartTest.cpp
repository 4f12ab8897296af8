// register_app and unregister_app against private XDG folders, checked with
// the desktop's own tools: xdg-mime for the default and desktop-file-validate
// for the entry.

#include "MimeApps.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "tesselink.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <cerrno>
#include <gtest/gtest.h>

namespace {

std::u16string utf16(const QString& text) {
    return text.toStdU16String();
}

const uint16_t* raw(const std::u16string& text) {
    return reinterpret_cast<const uint16_t*>(text.c_str());
}

class AutostartTest : public testing::Test {
  protected:
    AutostartTest() {
        qputenv("XDG_DATA_HOME", data.toUtf8());
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
    }
    ~AutostartTest() override {
        qunsetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", testenv::config().toUtf8());
    }

    tsRegistrationResult registerAs(const QString& name, const QString& program) {
        tsRegistrationResult result{-1, -1};
        const auto n = utf16(name);
        const auto p = utf16(program);
        const int32_t returned = register_app(raw(n), raw(p), &result);
        EXPECT_EQ(returned, result.service != 0 ? result.service : result.registration);
        return result;
    }
    tsRegistrationResult unregisterAs(const QString& name) {
        tsRegistrationResult result{-1, -1};
        const auto n = utf16(name);
        unregister_app(raw(n), &result);
        return result;
    }

    // What the desktop would start for a camera card.
    QString queryDefault() const {
        QProcess query;
        query.start("xdg-mime", {"query", "default", "x-content/image-dcf"});
        EXPECT_TRUE(query.waitForFinished(30000));
        return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    }

    const QString data = testenv::newFolder("data");
    const QString config = testenv::newFolder("config");
    const QString entryPath = data + "/applications/tesselink-Lumvik-utilities.desktop";
    const QString mimeApps = config + "/mimeapps.list";
};

bool succeeded(const tsRegistrationResult& result) {
    return result.service == 0 && result.registration == 0;
}

// xdg-mime names only entries whose program exists.
QString newProgram() {
    const QString program = testenv::newFolder("bin") + "/Lumvik_utilities";
    testfiles::Write(program, "#!/bin/sh\n");
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return program;
}

bool valid(const QString& entry) {
    QProcess validate;
    validate.start("desktop-file-validate", {entry});
    return validate.waitForFinished(30000) && validate.exitCode() == 0 &&
           validate.readAllStandardOutput().isEmpty();
}

TEST_F(AutostartTest, RegisteringMakesTheProgramTheDefaultAndRemovingUndoesIt) {
    const QString program = newProgram();
    ASSERT_TRUE(succeeded(registerAs("Lumvik utilities", program)));
    EXPECT_EQ(queryDefault(), "tesselink-Lumvik-utilities.desktop");
    EXPECT_TRUE(valid(entryPath));
    EXPECT_TRUE(testfiles::Read(entryPath).contains("\nExec=" + program.toUtf8() + "\n"));

    ASSERT_TRUE(succeeded(unregisterAs("Lumvik utilities")));
    EXPECT_EQ(queryDefault(), "");
    EXPECT_FALSE(QFile::exists(entryPath));
    EXPECT_EQ(QDir(data + "/applications")
                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList());
}

// The user's other defaults, associations and comments survive both calls
// byte for byte, and the default the program displaced comes back, also
// after a second registration.
TEST_F(AutostartTest, TheUsersOwnSettingsSurviveAndThePreviousDefaultReturns) {
    const QByteArray original = "# my settings\n"
                                "[Added Associations]\n"
                                "x-content/image-dcf=gimp.desktop;\n"
                                "[Default Applications]\n"
                                "text/plain=gedit.desktop\n"
                                "x-content/image-dcf=shotwell.desktop;\n"
                                "image/jpeg=eog.desktop;\n";
    testfiles::Write(mimeApps, original);
    testfiles::Write(data + "/applications/shotwell.desktop",
                     "[Desktop Entry]\nType=Application\nName=Shotwell\nExec=/bin/true\n"
                     "MimeType=x-content/image-dcf;\n");
    const QString program = newProgram();
    ASSERT_TRUE(succeeded(registerAs("Lumvik utilities", program)));
    ASSERT_TRUE(succeeded(registerAs("Lumvik utilities", program)));
    EXPECT_EQ(queryDefault(), "tesselink-Lumvik-utilities.desktop");
    const QByteArray registered = testfiles::Read(mimeApps);
    EXPECT_TRUE(registered.contains("text/plain=gedit.desktop\n"));
    EXPECT_TRUE(registered.contains("[Added Associations]\nx-content/image-dcf=gimp.desktop;\n"));

    ASSERT_TRUE(succeeded(unregisterAs("Lumvik utilities")));
    EXPECT_EQ(testfiles::Read(mimeApps), original);
    EXPECT_EQ(queryDefault(), "shotwell.desktop");
}

TEST_F(AutostartTest, ADefaultTheUserChoseSinceIsKept) {
    ASSERT_TRUE(succeeded(registerAs("Lumvik utilities", "/usr/bin/Lumvik_utilities")));
    const QByteArray chosen = "[Default Applications]\nx-content/image-dcf=darktable.desktop;\n";
    testfiles::Write(mimeApps, chosen);
    ASSERT_TRUE(succeeded(unregisterAs("Lumvik utilities")));
    EXPECT_EQ(testfiles::Read(mimeApps), chosen);
    EXPECT_FALSE(QFile::exists(entryPath));
}

// A mimeapps.list kept elsewhere and linked in stays a link.
TEST_F(AutostartTest, ALinkedMimeAppsListStaysALink) {
    const QString kept = testenv::newFolder("dotfiles") + "/mimeapps.list";
    testfiles::Write(kept, "[Default Applications]\ntext/plain=gedit.desktop\n");
    ASSERT_TRUE(QFile::link(kept, mimeApps));
    ASSERT_TRUE(succeeded(registerAs("Lumvik utilities", "/usr/bin/Lumvik_utilities")));
    EXPECT_TRUE(QFileInfo(mimeApps).isSymLink());
    EXPECT_TRUE(
        testfiles::Read(kept).contains("x-content/image-dcf=tesselink-Lumvik-utilities.desktop;"));
}

TEST_F(AutostartTest, FailuresArePassedThroughInTheirField) {
    EXPECT_EQ(unregisterAs("Lumvik utilities").registration, ENOENT);
    EXPECT_EQ(unregisterAs("Lumvik utilities").service, 0);
    EXPECT_EQ(registerAs("", "/usr/bin/Lumvik_utilities").registration, EINVAL);
    EXPECT_EQ(registerAs("Lumvik\nutilities", "/usr/bin/Lumvik_utilities").registration, EINVAL);
    const char16_t unpaired[] = {u'L', 0xD800, u'x', 0};
    tsRegistrationResult result{-1, -1};
    register_app(reinterpret_cast<const uint16_t*>(unpaired), raw(u"/usr/bin/x"), &result);
    EXPECT_EQ(result.registration, EILSEQ);
    EXPECT_FALSE(QFile::exists(mimeApps));

    // Folders that cannot be made: the service is unavailable and nothing is tried.
    testfiles::Write(data + "/file", "");
    qputenv("XDG_DATA_HOME", (data + "/file/below").toUtf8());
    const tsRegistrationResult unavailable = registerAs("Lumvik utilities", "/usr/bin/x");
    EXPECT_EQ(unavailable.service, ENOTDIR);
    EXPECT_EQ(unavailable.registration, 0);
    EXPECT_FALSE(QFile::exists(mimeApps));
}

TEST(MimeAppsTest, SettingADefaultKeepsEveryOtherLine) {
    struct Case {
        const char* before;
        std::optional<std::string> value;
        const char* after;
    };
    const Case cases[] = {
        {"", "a.desktop;", "[Default Applications]\nx-content/image-dcf=a.desktop;\n"},
        {"[Added Associations]\nx-content/image-dcf=b.desktop", "a.desktop;",
         "[Added Associations]\nx-content/image-dcf=b.desktop\n"
         "[Default Applications]\nx-content/image-dcf=a.desktop;\n"},
        {"[Default Applications]\ntext/plain=g.desktop\n[Other]\nk=v\n", "a.desktop;",
         "[Default Applications]\ntext/plain=g.desktop\nx-content/image-dcf=a.desktop;\n"
         "[Other]\nk=v\n"},
        {"[Default Applications]\r\nx-content/image-dcf = b.desktop\r\nz=1\r\n", "a.desktop;",
         "[Default Applications]\r\nx-content/image-dcf=a.desktop;\nz=1\r\n"},
        {"[Default Applications]\nx-content/image-dcf=b\nx-content/image-dcf=c\n", std::nullopt,
         "[Default Applications]\n"},
        {"[Default Applications]\n# x-content/image-dcf=b\n", std::nullopt,
         "[Default Applications]\n# x-content/image-dcf=b\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(autostart::withDefaultApplication(c.before, "x-content/image-dcf", c.value),
                  c.after)
            << c.before;
    }
    EXPECT_EQ(autostart::defaultApplication("[Added Associations]\nx-content/image-dcf=b\n",
                                            "x-content/image-dcf"),
              std::nullopt);
}

// Characters the desktop would read as quoting, variables or field codes
// reach the program's path as they are.
TEST(MimeAppsTest, TheProgramPathIsQuotedForTheExecKey) {
    struct Case {
        std::string program;
        std::string exec;
    };
    const Case cases[] = {
        {"/usr/bin/Lumvik_utilities", "Exec=/usr/bin/Lumvik_utilities\n"},
        {"/opt/100%/x", "Exec=/opt/100%%/x\n"},
        {"/a b/$x`\"%f\\", "Exec=\"/a b/\\\\$x\\\\`\\\\\"%%f\\\\\\\\\"\n"},
    };
    const QString path = testenv::newFolder("entry") + "/tesselink-N.desktop";
    for (const Case& c : cases) {
        const std::string entry =
            autostart::desktopEntry("N", c.program, "x-content/image-dcf", "p\\q;");
        EXPECT_NE(entry.find("\n" + c.exec), std::string::npos) << entry;
        EXPECT_EQ(autostart::previousDefault(entry), "p\\q;");
        testfiles::Write(path, QByteArray::fromStdString(entry));
        EXPECT_TRUE(valid(path)) << entry;
    }
}

} // namespace
