#include "TestEnvironment.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

class TFreshFolders : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { testenv::startTest(); }
};

} // namespace

int main(int argc, char** argv) {
    testenv::startTest();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("LUMVIK_CAMERA");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new TFreshFolders);
    return RUN_ALL_TESTS();
}
