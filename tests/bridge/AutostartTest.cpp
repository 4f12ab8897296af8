// register_app and unregister_app against private XDG folders, checked with
// the desktop's own tools: xdg-mime for the default and desktop-file-validate
// for the entry.

#include "MimeApps.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "tesselink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cerrno>
#include <functional>
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

// Whatever form the user's mimeapps.list has, registering and removing leave
// it as it was: its bytes, its permissions, a link as a link (also one that
// led nowhere yet); one that cannot be written leaves no entry behind.
TEST_F(AutostartTest, MimeAppsListComesBackAsItWas) {
    const QByteArray twice = "[Default Applications]\r\nx-content/image-dcf=a.desktop;\r\n"
                             "x-content/image-dcf=b.desktop;\r\n[Default Applications]\r\n"
                             "x-content/image-dcf=c.desktop;";
    const QString kept = testenv::newFolder("dotfiles") + "/mimeapps.list";
    struct Case {
        const char* what;
        std::function<void()> make;
        QString file; // where the content lives
    };
    const Case cases[] = {
        {"duplicates and CRLF", [&] { testfiles::Write(mimeApps, twice); }, mimeApps},
        {"private",
         [&] {
             testfiles::Write(mimeApps, twice);
             QFile::setPermissions(mimeApps, QFile::ReadOwner | QFile::WriteOwner);
         },
         mimeApps},
        {"dangling link", [&] { QFile::link(kept, mimeApps); }, kept},
    };
    const QString program = newProgram();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(mimeApps);
        QFile::remove(kept);
        c.make();
        const QByteArray before = testfiles::Read(c.file);
        const auto permissions = QFile::permissions(c.file);
        const bool link = QFileInfo(mimeApps).isSymLink();
        ASSERT_TRUE(succeeded(registerAs("Lumvik utilities", program)));
        EXPECT_EQ(queryDefault(), "tesselink-Lumvik-utilities.desktop");
        EXPECT_EQ(QFileInfo(mimeApps).isSymLink(), link);
        ASSERT_TRUE(succeeded(unregisterAs("Lumvik utilities")));
        EXPECT_EQ(QFileInfo(mimeApps).isSymLink(), link);
        EXPECT_EQ(testfiles::Read(c.file), before.isEmpty() ? "[Default Applications]\n" : before);
        if (!before.isEmpty()) {
            EXPECT_EQ(QFile::permissions(c.file), permissions);
        }
    }

    QFile::remove(mimeApps);
    QDir().mkpath(mimeApps);
    EXPECT_EQ(registerAs("Lumvik utilities", program).registration, EISDIR);
    EXPECT_FALSE(QFile::exists(entryPath));
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

// Registering makes every default line of the type ours, each with its own
// line end; removing gives back exactly what was there.
TEST(MimeAppsTest, EveryDefaultLineIsTakenAndGivenBackByteForByte) {
    const std::string type = "x-content/image-dcf";
    struct Case {
        const char* before;
        const char* registered;
        const char* displaced;
        const char* removed; // what the removal leaves when not before itself
    };
    const Case cases[] = {
        {"", "[Default Applications]\nx-content/image-dcf=t.desktop;\n", "",
         "[Default Applications]\n"},
        {"[Added Associations]\nx-content/image-dcf=b.desktop",
         "[Added Associations]\nx-content/image-dcf=b.desktop\n"
         "[Default Applications]\nx-content/image-dcf=t.desktop;\n",
         "", "[Added Associations]\nx-content/image-dcf=b.desktop\n[Default Applications]\n"},
        {"[Default Applications]\ntext/plain=g.desktop\n[Other]\nk=v\n",
         "[Default Applications]\ntext/plain=g.desktop\nx-content/image-dcf=t.desktop;\n"
         "[Other]\nk=v\n",
         "", nullptr},
        {"[Default Applications]\r\nx-content/image-dcf = b.desktop\r\nz=1\r\n",
         "[Default Applications]\r\nx-content/image-dcf=t.desktop;\r\nz=1\r\n",
         "x-content/image-dcf = b.desktop\r\n", nullptr},
        {"[Default Applications]\nx-content/image-dcf=b\nx-content/image-dcf=c",
         "[Default Applications]\nx-content/image-dcf=t.desktop;\nx-content/image-dcf=t.desktop;",
         "x-content/image-dcf=b\nx-content/image-dcf=c", nullptr},
        {"[Default Applications]\nx-content/image-dcf=b\n[Default Applications]\n"
         "x-content/image-dcf=c;d\n",
         "[Default Applications]\nx-content/image-dcf=t.desktop;\n[Default Applications]\n"
         "x-content/image-dcf=t.desktop;\n",
         "x-content/image-dcf=b\nx-content/image-dcf=c;d\n", nullptr},
        {"[Default Applications]\n# x-content/image-dcf=b\n",
         "[Default Applications]\n# x-content/image-dcf=b\nx-content/image-dcf=t.desktop;\n", "",
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        const auto registered = autostart::withDefaultSet(c.before, type, "t.desktop");
        EXPECT_EQ(registered.mimeApps, c.registered);
        EXPECT_EQ(registered.displaced, c.displaced);
        // The record survives the desktop entry it is kept in.
        const std::string entry = autostart::desktopEntry("N", "/p", type, registered.displaced);
        EXPECT_EQ(autostart::displacedLines(entry, type), c.displaced);
        EXPECT_EQ(autostart::withDefaultRestored(registered.mimeApps, type, "t.desktop",
                                                 autostart::displacedLines(entry, type)),
                  c.removed ? c.removed : c.before);
    }
    // A default the user chose since stays; an entry of an earlier version
    // gives back the one value it recorded.
    EXPECT_EQ(autostart::withDefaultRestored("[Default Applications]\nx-content/image-dcf=u\n",
                                             type, "t.desktop", "x-content/image-dcf=b\n"),
              "[Default Applications]\nx-content/image-dcf=u\n");
    EXPECT_EQ(
        autostart::displacedLines("[Desktop Entry]\nX-Tesselink-Previous-Default=p\\\\q;\n", type),
        "x-content/image-dcf=p\\q;\n");
    EXPECT_EQ(autostart::defaultApplication("[Added Associations]\nx-content/image-dcf=b\n", type),
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
        const std::string displaced = " x-content/image-dcf=p\\q;\tr \r\n";
        const std::string entry =
            autostart::desktopEntry("N", c.program, "x-content/image-dcf", displaced);
        EXPECT_NE(entry.find("\n" + c.exec), std::string::npos) << entry;
        EXPECT_EQ(autostart::displacedLines(entry, "x-content/image-dcf"), displaced);
        testfiles::Write(path, QByteArray::fromStdString(entry));
        EXPECT_TRUE(valid(path)) << entry;
    }
}

} // namespace
