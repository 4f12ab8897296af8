#include "LanguageCheck.h"
#include "MainWindowFixture.h"
#include "ProgramFolder.h"
#include "Settings.h"

#include <QAction>
#include <QDir>
#include <QFile>

// Shows every text of the shell that can be shown and checks each against the
// shipped English file.
TEST_F(MainWindowTest, EnglishFileHoldsEveryTextTheShellReads) {
    TLanguageReadRecorder recorder;
    QDir().mkpath(ProgramFile("drivers2"));
    QFile(ProgramFile("drivers2/Install.exe")).open(QIODevice::WriteOnly);
    QDir().mkpath(QFileInfo(TSettings::LegacyPath()).path());
    QFile legacy(TSettings::LegacyPath());
    legacy.open(QIODevice::WriteOnly);
    legacy.write("[TesselSDK]\nActiveXVersion=2\nActiveXDrvInstalled=1\n");
    legacy.close();
    {
        script.press(mrOk).then([](const TDialogRequest&) { return TDialogAnswer{1, {}}; });
        TForm_main w;
        w.show();
        w.Debug1->trigger();
        w.Debug1->trigger();
        w.Selectlanguage1->trigger();
    }
    languagecheck::ExpectReadsMatchEnglishFile(recorder.reads());
}
