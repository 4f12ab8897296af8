// The web update with the program's flows against a real HTTP server and a
// real proxy on loopback, serving an update signed with a key made here.

#include "UpdateFlows.h"
#include "LanguageCheck.h"
#include "LoopbackServers.h"
#include "MainWindowFixture.h"
#include "ProgramFolder.h"
#include "Settings.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "Version.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <sodium.h>

namespace {

using loopback::TEndlessTestServer;
using loopback::THttpTestServer;
using loopback::TNetworkLimitsForTest;
using loopback::TProxyTestServer;

// Lets the user-interface thread run until `done` or half a minute passed.
template <typename Done> bool waitFor(Done done) {
    const QDeadlineTimer deadline(30000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

class UpdateFlowsTest : public MainWindowTest {
  protected:
    void SetUp() override {
        TSettings().eraseSection(TSettings::Section);
        MainWindowTest::SetUp();
        storeSetting("language", "english");
        QFile::remove(ProgramFile("upgrade_lumvik.ini"));
        QFile::remove(ProgramFile("lumvik_upgrade.deb"));
        ASSERT_EQ(sodium_init() >= 0, true);
        crypto_sign_keypair(reinterpret_cast<unsigned char*>(publicKey.data()),
                            reinterpret_cast<unsigned char*>(secretKey.data()));
    }

    QByteArray sign(const QByteArray& bytes) const {
        QByteArray signature(crypto_sign_BYTES, 0);
        crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                             reinterpret_cast<const unsigned char*>(bytes.constData()),
                             bytes.size(),
                             reinterpret_cast<const unsigned char*>(secretKey.data()));
        return signature.toBase64();
    }

    // Serves an update INI offering `version`, and as its package `served`
    // with the size and signature of `signedPackage`.
    void offer(const QString& version, const QByteArray& served, const QByteArray& signedPackage) {
        testfiles::Write(folder + "/lumvik_new.deb", served);
        offerAt(version, web.url("/lumvik_new.deb"), signedPackage.size(), sign(signedPackage));
    }
    // Serves an update INI offering `version` as `size` bytes at `archive`.
    void offerAt(const QString& version, const QUrl& archive, qint64 size,
                 const QByteArray& signature = "c2lnbmF0dXJl") {
        testfiles::Write(folder + "/lumvik/download/upgrade_lumvik.ini",
                         "[VERSION]\r\nLumvik_version=" + version.toUtf8() +
                             "\r\nLumvik_filesize=" + QByteArray::number(size) +
                             "\r\nLumvik_archive=" + archive.toEncoded() +
                             "\r\nLumvik_signature=" + signature + "\r\n");
    }

    TMainFlows flows(TProxySettings proxy = {}, QUrl iniAddress = {}) {
        if (iniAddress.isEmpty())
            iniAddress = web.url("/lumvik/download/upgrade_lumvik.ini");
        TUpdateOptions options;
        options.source = {iniAddress, publicKey, packageLimit};
        options.pingHost = "127.0.0.1";
        options.online = [] { return true; };
        return WithUpdateFlows(
            {}, [proxy](TAppServices&) { return proxy; }, options);
    }

    QStringList texts() const {
        QStringList result;
        for (const TDialogRequest& request : script.asked())
            result << request.caption + ": " + request.text;
        return result;
    }

    // Runs Search for an update and waits until the check has asked
    // `questions` questions and the status bar is empty again.
    void search(TForm_main& w, int questions) {
        w.Searchforanupdate1->trigger();
        ASSERT_TRUE(waitFor([&] { return script.asked().size() >= questions; }));
    }

    const QString folder = testenv::newFolder("web");
    THttpTestServer web{folder};
    QByteArray publicKey = QByteArray(crypto_sign_PUBLICKEYBYTES, 0);
    QByteArray secretKey = QByteArray(crypto_sign_SECRETKEYBYTES, 0);
    const QByteArray package = QByteArray("!<arch>\ndebian-binary\n").repeated(5000);
    qint64 packageLimit = MaxUpdatePackageBytes;
    const QString packagePath = ProgramFile("lumvik_upgrade.deb");
    const QString question = "Information: Lumvik has detected that an upgrade is available. "
                             "Current version is " +
                             VersionText() +
                             " and the Lumvik available for download is of version %1. New "
                             "drivers is downloaded if required. The file is of size %2 bytes. "
                             "Do you want to download?";
};

// The whole way: offered, fetched through the proxy with its login,
// verified, kept, the program ends, and at exit the package goes to the
// desktop's installer, never started itself.
TEST_F(UpdateFlowsTest, ANewerVersionIsDownloadedThroughTheProxyVerifiedAndHandedOver) {
    TLanguageReadRecorder recorder;
    const QString bin = testenv::newFolder("fake-bin");
    const QString opened = bin + "/opened.txt";
    testfiles::Write(bin + "/xdg-open", "#!/bin/sh\necho \"$@\" > " + opened.toUtf8() + "\n");
    QFile::setPermissions(bin + "/xdg-open", QFile::ReadOwner | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ":" + path);

    TProxyTestServer proxy("alice", "s3cret");
    offer("5.1.0 Build:7", package, package);
    {
        TForm_main w(flows({"127.0.0.1", QString::number(proxy.port()), "alice", "s3cret"}));
        w.show();
        script.press(mrYes).press(mrOk);
        search(w, 2);
        EXPECT_TRUE(waitFor([&] { return w.isHidden(); })) << "the program did not end";
        EXPECT_EQ(w.statusText(), "");
    }
    EXPECT_TRUE(waitFor([&] { return QFile::exists(opened); }));
    qputenv("PATH", path);
    EXPECT_EQ(testfiles::Read(packagePath), package);
    EXPECT_EQ(testfiles::Read(opened).trimmed(), packagePath.toUtf8());
    EXPECT_EQ(texts(), QStringList({question.arg("5.1.0 Build:7").arg(package.size()),
                                    "Information: Lumvik has downloaded the upgrade. It is "
                                    "available at " +
                                        packagePath +
                                        ". Lumvik will now exit to execute the upgrade file"}));
    EXPECT_TRUE(proxy.log().contains("/lumvik_new.deb")) << proxy.log().toStdString();
    EXPECT_TRUE(logMessages().contains("Starting " + packagePath));
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}

// A package changed on its way, or of another size than announced, is
// refused with a message and leaves no file; the program goes on.
TEST_F(UpdateFlowsTest, ATamperedPackageIsRefusedAndNothingIsKept) {
    QByteArray tampered = package;
    tampered[100] = 'X';
    const struct {
        QByteArray served;
        QByteArray signedPackage;
    } cases[] = {{tampered, package}, {package + "more", package}, {package, package + "x"}};
    for (const auto& c : cases) {
        offer("4.0.0 Build:1", c.served, c.signedPackage);
        TForm_main w(flows());
        w.show();
        TDialogScript answers;
        answers.press(mrYes).press(mrOk);
        w.Searchforanupdate1->trigger();
        ASSERT_TRUE(waitFor([&] { return answers.asked().size() >= 2; }));
        const QString refusal = answers.asked().value(1).text;
        EXPECT_TRUE(refusal.startsWith("The upgrade received from " +
                                       web.url("/lumvik_new.deb").toString() +
                                       " is not the one signed by the makers of Lumvik") ||
                    refusal.contains("More than"))
            << refusal.toStdString();
        EXPECT_FALSE(QFile::exists(packagePath));
        EXPECT_FALSE(w.isHidden());
        EXPECT_TRUE(logMessages().contains("Exception:" + refusal));
    }
}

TEST_F(UpdateFlowsTest, NoQuestionForTheSameVersionOrAMissingOffer) {
    offer(VersionText(), package, package);
    {
        TForm_main w(flows());
        w.Searchforanupdate1->trigger();
        EXPECT_TRUE(waitFor([&] { return QFile::exists(ProgramFile("upgrade_lumvik.ini")); }));
    }
    EXPECT_TRUE(QFile::exists(ProgramFile("upgrade_lumvik.ini")));
    QFile::remove(folder + "/lumvik/download/upgrade_lumvik.ini");
    {
        TForm_main w(flows());
        w.Searchforanupdate1->trigger();
        EXPECT_TRUE(waitFor([&] { return !QFile::exists(ProgramFile("upgrade_lumvik.ini")); }));
    }
    EXPECT_TRUE(script.asked().isEmpty());
}

// Any other version is offered, an older one and none at all too; No keeps
// the INI and nothing else. A second search in the run starts no check.
TEST_F(UpdateFlowsTest, AnyOtherVersionIsOfferedOnceAndNoChangesNothing) {
    for (const QString& version : {QString("4.0.0 Build:1"), QString()}) {
        const QByteArray ini =
            "[VERSION]\r\nLumvik_filesize=12\r\n" +
            (version.isEmpty() ? QByteArray() : "Lumvik_version=" + version.toUtf8() + "\r\n");
        testfiles::Write(folder + "/lumvik/download/upgrade_lumvik.ini", ini);
        TDialogScript answers;
        answers.press(mrNo);
        TForm_main w(flows());
        w.Searchforanupdate1->trigger();
        ASSERT_TRUE(waitFor([&] { return answers.asked().size() >= 1; }));
        w.Searchforanupdate1->trigger();
        offer("6.0.0 Build:1", package, package);
        w.Searchforanupdate1->trigger();
        QCoreApplication::processEvents();
        EXPECT_EQ(answers.asked().size(), 1);
        EXPECT_EQ(answers.asked().value(0).text, question.arg(version).arg(12).mid(13));
        EXPECT_EQ(testfiles::Read(ProgramFile("upgrade_lumvik.ini")), ini);
        EXPECT_FALSE(QFile::exists(packagePath));
    }
}

// A build without an update server: the menu says where updates come from,
// and neither the menu nor the show step starts a check.
TEST_F(UpdateFlowsTest, WithoutAnUpdateServerThePackageManagerUpdates) {
    storeSetting("Automatucwebupdates1", "1");
    TUpdateOptions none;
    none.source.iniAddress = QUrl();
    none.online = [] {
        ADD_FAILURE() << "no check may wait for the network";
        return false;
    };
    TForm_main w(WithUpdateFlows(
        {}, [](TAppServices&) { return TProxySettings{}; }, none));
    w.show();
    EXPECT_EQ(w.Searchforanupdate1->text(), "Updates come from your system's package manager");
    EXPECT_FALSE(w.Searchforanupdate1->isEnabled());
    EXPECT_FALSE(w.Automatucwebupdates1->isEnabled());
    w.Searchforanupdate1->trigger();
    EXPECT_TRUE(script.asked().isEmpty());
}

// Offline, a search waits for the network, and says so.
TEST_F(UpdateFlowsTest, ASearchWhileOfflineSaysItWaitsForTheNetwork) {
    TUpdateOptions options;
    options.source = {web.url("/lumvik/download/upgrade_lumvik.ini"), publicKey};
    options.pingHost = "127.0.0.1";
    options.online = [] { return false; };
    TForm_main w(WithUpdateFlows(
        {}, [](TAppServices&) { return TProxySettings{}; }, options));
    w.Searchforanupdate1->trigger();
    ASSERT_EQ(script.asked().size(), 1);
    EXPECT_EQ(script.asked()[0].text, "This computer is offline. The search for an update starts "
                                      "as soon as it is connected to the internet.");
}

// The show step with Automatic web updates checked starts a check; closing
// the window while it waits for the network stops it (the window's end
// waits for the thread).
TEST_F(UpdateFlowsTest, TheAutomaticCheckStopsWithTheWindow) {
    storeSetting("Automatucwebupdates1", "1");
    offer("5.1.0 Build:7", package, package);
    TUpdateOptions options;
    options.source = {web.url("/lumvik/download/upgrade_lumvik.ini"), publicKey};
    options.pingHost = "127.0.0.1";
    std::atomic<int> asked{0};
    options.online = [&] {
        ++asked;
        return false;
    };
    {
        TForm_main w(WithUpdateFlows(
            {}, [](TAppServices&) { return TProxySettings{}; }, options));
        w.show();
        EXPECT_TRUE(waitFor([&] { return asked > 5; }));
    }
    EXPECT_TRUE(script.asked().isEmpty());
}

// A trickling server ends the check at the time limit: the update INI
// silently with a log line, the package with the box naming the limit.
TEST_F(UpdateFlowsTest, ATricklingServerEndsTheCheckAtTheTimeLimit) {
    const TNetworkLimitsForTest limits(1000);
    TEndlessTestServer trickle(TEndlessTestServer::Http, 10);
    {
        TForm_main w(flows({}, trickle.url("/upgrade_lumvik.ini")));
        w.Searchforanupdate1->trigger();
        ASSERT_TRUE(
            waitFor([&] { return !logMessages().filter("TUpdate. No update INI").isEmpty(); }));
        EXPECT_TRUE(logMessages().filter("TUpdate. No update INI").front().contains("timed out"));
        EXPECT_FALSE(QFile::exists(ProgramFile("upgrade_lumvik.ini")));
    }
    offerAt("5.1.0 Build:7", trickle.url("/lumvik_new.deb"), package.size());
    TForm_main w(flows());
    script.press(mrYes).press(mrOk);
    search(w, 2);
    EXPECT_EQ(script.asked().value(1).text,
              "Lumvik automatic webupdate could not receive " +
                  trickle.url("/lumvik_new.deb").toString() +
                  ". Error=127.0.0.1 answered too slowly and was given up after 1 seconds. Try "
                  "again later or check the address and the proxy settings..");
    EXPECT_FALSE(QFile::exists(packagePath));
}

// While a package trickles in, the main window keeps answering; closing it
// ends the download at once, without a message and without a file.
TEST_F(UpdateFlowsTest, ClosingTheMainWindowCancelsADownloadThatRuns) {
    TEndlessTestServer trickle(TEndlessTestServer::Http, 10);
    offerAt("5.1.0 Build:7", trickle.url("/lumvik_new.deb"), package.size());
    TForm_main w(flows());
    w.show();
    script.press(mrYes);
    int ticksWhileDownloading = 0;
    QTimer timer;
    timer.callOnTimeout([&] {
        if (script.asked().isEmpty())
            return;
        if (++ticksWhileDownloading == 5)
            w.close();
    });
    timer.start(20);
    w.Searchforanupdate1->trigger();
    ASSERT_TRUE(
        waitFor([&] { return !logMessages().filter("TUpdate. Download cancelled").isEmpty(); }));
    EXPECT_GE(ticksWhileDownloading, 5);
    EXPECT_EQ(script.asked().size(), 1);
    EXPECT_FALSE(QFile::exists(packagePath));
}

// The INI's size is no limit of its own: a server that sends without end is
// cut off at the program's largest package.
TEST_F(UpdateFlowsTest, APackageIsCutOffAtTheLargestSizeWhateverTheIniSays) {
    TEndlessTestServer flood(TEndlessTestServer::Http, 0);
    offerAt("5.1.0 Build:7", flood.url("/lumvik_new.deb"), 2'000'000'000);
    packageLimit = 100'000;
    TForm_main w(flows());
    script.press(mrYes).press(mrOk);
    search(w, 2);
    EXPECT_EQ(script.asked().value(1).text, "Lumvik automatic webupdate could not receive " +
                                                flood.url("/lumvik_new.deb").toString() +
                                                ". Error=More than 100000 bytes.");
    EXPECT_FALSE(QFile::exists(packagePath));
}

TEST_F(UpdateFlowsTest, TheAboutBoxShowsTheVersion) {
    TForm_main w(flows());
    w.About2->trigger();
    ASSERT_EQ(script.asked().size(), 1);
    EXPECT_TRUE(script.asked()[0].text.startsWith("Lumvik utilities version " + VersionText()));
    EXPECT_TRUE(script.asked()[0].text.contains(HomepageAddress));
}

} // namespace
