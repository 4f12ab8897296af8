#include "Program.h"

#include "Dialogs.h"
#include "Errors.h"
#include "SingleInstance.h"
#include "Version.h"

#include <QApplication>

int RunProgram(int argc, char** argv, TMainFlows flows) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Lumvik_utilities");
    QApplication::setApplicationVersion(VersionText());
    try {
        if (CheckAppAlreadyRunning("Lumvik", true, false))
            return 0;
    } catch (const ELumvikError& e) {
        ShowErrorBox(e.message());
        return 1;
    }
    TForm_main main(std::move(flows), QApplication::arguments().mid(1));
    main.show();
    return QApplication::exec();
}
