#include "Program.h"

#include "Dates.h"
#include "Dialogs.h"
#include "Errors.h"
#include "MainDlg.h"
#include "SingleInstance.h"
#include "Version.h"

#include "AppException.h"

#include <QApplication>

namespace {

// An error that escapes any window's event handler reaches AppException().
class TApplication : public QApplication {
  public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        bool handled = false;
        RunGuarded([&] { handled = QApplication::notify(receiver, event); });
        return handled;
    }
};

} // namespace

int RunProgram(int argc, char** argv, TMainFlows flows) {
    ReadLocalTimeZoneOnce();
    TApplication app(argc, argv);
    QApplication::setApplicationName("Lumvik_utilities");
    // Desktops match the window to the installed menu entry (and its icon) by this name.
    QApplication::setDesktopFileName("org.lumvik.Utilities");
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
