// lumvik-demo-camera DIR: writes a simulated camera into DIR.

#include "DemoCard.h"
#include "Errors.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    // Drawing text needs a platform; the offscreen one needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "Usage: lumvik-demo-camera DIR\nWrites a simulated Canon camera into "
                             "DIR (new or empty).\n");
        return 2;
    }
    try {
        MakeDemoCamera(args[1]);
    } catch (const ELumvikError& e) {
        std::fprintf(stderr, "lumvik-demo-camera: %s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("Demo camera written to %s\n", qPrintable(args[1]));
    return 0;
}
