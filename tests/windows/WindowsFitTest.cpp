#include "CameraConnection.h"
#include "CameraFixture.h"
#include "Dlg_Filemanager.h"
#include "Dlg_Remote.h"
#include "Dlg_ViewFinder.h"
#include "FileManagerFlows.h"
#include "FileManagerGroup.h"
#include "LanguageCheck.h"
#include "MailFlows.h"
#include "MainWindowFixture.h"
#include "ProgramFolder.h"
#include "RemoteFlows.h"
#include "RemoteGroup.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "UploadFlows.h"
#include "cdsdk_simcontrol.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMap>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

void PrintTo(const QString& text, std::ostream* out) {
    *out << text.toStdString();
}

namespace {

// A laptop's 1366x768 screen less a taskbar.
const QRect Usable(0, 0, 1366, 720);

// Made by the test from the shipped files: each key with its longest text.
const QString Longest = "longest";

QStringList shippedLanguageFiles() {
    QStringList files = QDir(languagecheck::ShippedFolder()).entryList({"*.ini"}, QDir::Files);
    files.removeAll("languages.ini");
    return files;
}

// Each shipped language, then their longest texts together.
std::vector<QString> languages() {
    std::vector<QString> names;
    for (const QString& file : shippedLanguageFiles())
        names.push_back(QFileInfo(file).completeBaseName());
    names.push_back(Longest);
    return names;
}

// Writes the language of every key's longest text in the shipped files.
void installLongestTexts() {
    QMap<QString, QMap<QString, QString>> texts;
    for (const QString& file : shippedLanguageFiles()) {
        QString section;
        const QString content =
            QString::fromUtf8(testfiles::Read(languagecheck::ShippedFolder() + "/" + file));
        for (const QString& line : content.split('\n')) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith('['))
                section = trimmed;
            else if (const qsizetype equals = trimmed.indexOf('='); equals > 0) {
                QString& longest = texts[section][trimmed.left(equals)];
                if (trimmed.size() - equals - 1 > longest.size())
                    longest = trimmed.mid(equals + 1);
            }
        }
    }
    QString ini;
    for (auto section = texts.cbegin(); section != texts.cend(); ++section) {
        ini += section.key() + "\n";
        for (auto text = section->cbegin(); text != section->cend(); ++text)
            ini += text.key() + "=" + text.value() + "\n";
    }
    languagecheck::WriteLanguageFile(Longest, ini);
}

// Lists the language, if not yet, so that the language window accepts it;
// the list ends at the first number missing.
void listLanguage(const QString& name) {
    const QString listed = ProgramFile("languages/languages.ini");
    const QByteArray list = testfiles::Read(listed);
    int number = 1;
    for (;; ++number) {
        const QString entry = QString("lang_%1=").arg(number, 2, 10, QChar('0'));
        if (list.contains((entry + name + "\n").toUtf8()))
            return;
        if (!list.contains(entry.toUtf8()))
            break;
    }
    testfiles::Write(
        listed, list + QString("\nlang_%1=%2\n").arg(number, 2, 10, QChar('0')).arg(name).toUtf8());
}

QString nameOf(const QWidget& widget) {
    return QString(widget.metaObject()->className()) + " " + widget.objectName();
}

// The part of the control that none of its parents cuts off (a scrolling
// area's viewport among them), in the window's coordinates.
QRect shownPart(const QWidget& control, const QWidget& window) {
    QRect shown(control.mapTo(&window, QPoint()), control.size());
    for (const QWidget* parent = control.parentWidget(); parent && parent != &window;
         parent = parent->parentWidget())
        shown &= QRect(parent->mapTo(&window, QPoint()), parent->size());
    return shown & window.rect();
}

// Every control a user can press or type into lies whole on the usable
// screen and is not cut off by a scrolling area or the window's edge.
void expectControlsInView(QWidget& window) {
    for (QWidget* control : window.findChildren<QWidget*>()) {
        const bool usable =
            qobject_cast<QAbstractButton*>(control) || (control->focusPolicy() & Qt::TabFocus);
        if (!usable || !control->isVisible() || control->window() != &window)
            continue;
        const std::string name =
            nameOf(window).toStdString() + ": " + nameOf(*control).toStdString();
        const QRect onScreen(control->mapToGlobal(QPoint(0, 0)), control->size());
        EXPECT_TRUE(Usable.contains(onScreen)) << name;
        EXPECT_EQ(shownPart(*control, window).size(), control->size()) << name;
    }
}

// Shows the window at the screen's corner as a window manager would place it
// on a full screen; it fits, and so does every page of its tabs.
void expectFits(QWidget& window) {
    window.show();
    window.move(Usable.topLeft());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents(); // the layout takes the texts the window showed with
    const QSize frame = window.frameGeometry().size();
    EXPECT_LE(frame.width(), Usable.width()) << nameOf(window).toStdString();
    EXPECT_LE(frame.height(), Usable.height()) << nameOf(window).toStdString();
    expectControlsInView(window);
    for (QTabWidget* tabs : window.findChildren<QTabWidget*>())
        for (int page = 0; page < tabs->count(); ++page) {
            tabs->setCurrentIndex(page);
            expectControlsInView(window);
        }
}

class WindowsFitTest : public MainWindowTest, public ::testing::WithParamInterface<QString> {
  protected:
    void TearDown() override { cdsimReset(); }

    // The program's own wiring of the windows.
    static TMainFlows programFlows() {
        const auto mail = std::make_shared<TMailWindows>();
        TMainFlows flows = WithCameraConnection(TMainFlows{});
        flows = WithFileManagerFlows(flows, FileManagerGroupWithMail(mail));
        flows = WithRemoteFlows(flows, JoinViewFinder);
        flows = WithUploadFlows(flows);
        return WithMailFlows(flows, mail);
    }

    // Checks each window a flow shows, and the windows it opens in turn.
    void checkEveryWindowShown() {
        for (int i = 0; i < 20; ++i)
            script.then([this](const TDialogRequest& request) {
                if (!request.window)
                    return TDialogAnswer{mrCancel, {}};
                checkWithInnerWindows(*request.window);
                request.window->hide();
                return TDialogAnswer{QDialog::Rejected, {}};
            });
    }

    void checkWithInnerWindows(QWidget& window) {
        shown << window.metaObject()->className();
        expectFits(window);
        if (auto* fileManager = qobject_cast<TForm_filemanager*>(&window)) {
            fileManager->Button1Click();
            fileManager->Button_MovieOptionsClick();
            fileManager->Button_SelSubdirFilenameClick();
        } else if (auto* remote = qobject_cast<TForm_Remote*>(&window)) {
            remote->ButtonViewFinderClick();
            if (auto* viewFinder = remote->findChild<TFormViewFinder*>()) {
                shown << viewFinder->metaObject()->className();
                expectFits(*viewFinder);
                viewFinder->close();
            }
        }
    }

    QStringList shown;
};

TEST_P(WindowsFitTest, EveryWindowFitsALaptopScreenWithEveryControlInView) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(1366, 768))
        << "run with QT_QPA_PLATFORM=offscreen:configfile=" LUMVIK_LAPTOP_SCREEN;
    if (GetParam() == Longest)
        installLongestTexts();
    listLanguage(GetParam());
    storeSetting("language", GetParam());
    storeSetting("USBSelected", "1");
    storeSetting("infomsg_filename_format", "0");
    const fixture::CameraFolder camera = fixture::standardCamera(testenv::newFolder("camera"));
    camera.offer(fixture::remoteControl);
    camera.plugIn();
    checkEveryWindowShown();
    TForm_main main(programFlows());
    shown << main.metaObject()->className();
    expectFits(main);
    main.EditPCSourceDir->setText(camera.volume("CF"));
    for (QAction* item :
         {main.Getpictures1, main.Getpicturesfromcomputer1, main.Takepictureremote1,
          main.Uploadpictures1, main.Emailpictures1, main.PropertiesMenu, main.Selectlanguage1})
        item->trigger();
    shown.removeDuplicates();
    shown.sort();
    EXPECT_EQ(shown.join(' '), "TFormMovieRecomp TFormNameSelect TFormProperties TFormUpload "
                               "TFormViewFinder TForm_Preview TForm_Remote TForm_SendEmail "
                               "TForm_filemanager TForm_language TForm_main");
}

INSTANTIATE_TEST_SUITE_P(Languages, WindowsFitTest, ::testing::ValuesIn(languages()),
                         [](const auto& info) { return info.param.toStdString(); });

} // namespace
