#include "LanguageCheck.h"
#include "MainWindowFixture.h"
#include "ProgramFolder.h"
#include "Settings.h"
#include "TestFiles.h"

#include <QAction>
#include <QDir>
#include <QFile>

// Shows every text of the shell that can be shown and checks each against the
// shipped English file.
TEST_F(MainWindowTest, EnglishFileHoldsEveryTextTheShellReads) {
    TLanguageReadRecorder recorder;
    testfiles::Write(ProgramFile("drivers2/Install.exe"), "");
    testfiles::Write(TSettings::LegacyPath(),
                     "[TesselSDK]\nActiveXVersion=2\nActiveXDrvInstalled=1\n");
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
