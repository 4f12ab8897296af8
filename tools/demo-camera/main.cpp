// lumvik-demo-camera [--usb2] DIR: writes a simulated camera into DIR, with
// --usb2 one that answers at a USB 2 camera's speed.

#include "DemoCard.h"
#include "Errors.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    // Drawing text needs a platform; the offscreen one needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    const bool usb2 = args.size() == 3 && args[1] == "--usb2";
    if (usb2)
        args.removeAt(1);
    if (args.size() != 2 || args[1].startsWith("-")) {
        std::fprintf(stderr, "Usage: lumvik-demo-camera [--usb2] DIR\nWrites a simulated Canon "
                             "camera into DIR (new or empty); --usb2 makes it answer at a USB 2 "
                             "camera's speed.\n");
        return 2;
    }
    try {
        MakeDemoCamera(args[1], usb2 ? DemoSpeed::Usb2 : DemoSpeed::Instant);
    } catch (const ELumvikError& e) {
        std::fprintf(stderr, "lumvik-demo-camera: %s\n", qPrintable(e.message()));
        return 1;
    }
    std::printf("Demo camera written to %s\n", qPrintable(args[1]));
    return 0;
}
