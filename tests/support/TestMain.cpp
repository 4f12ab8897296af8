#include "TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QDir().mkpath(testenv::home());
    QDir().mkpath(testenv::config());
    qputenv("LUMVIK_HOME", testenv::home().toUtf8());
    qputenv("XDG_CONFIG_HOME", testenv::config().toUtf8());
    qputenv("XDG_DATA_HOME", (testenv::home() + "/data").toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("LUMVIK_CAMERA");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
