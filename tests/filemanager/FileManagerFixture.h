#pragma once
// What the file manager tests share: the shipped languages, a clock that does
// not wait, a dialog script, a main window with the camera connection and the
// file manager flows, and a way to run the flows with a test body in place of
// the user.

#include "Dialogs.h"
#include "FakeClock.h"
#include "MainDlg.h"

#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

class TForm_filemanager;

class FileManagerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The main window, made on first use.
    TForm_main& main();
    // Points the simulated camera at the standard test card (volumes CF and SD).
    void plugInStandardCamera();
    // The file manager of the next flow, shown and activated, is handed to
    // body; then it closes.
    void whenShown(std::function<void(TForm_filemanager&)> body);
    void runFlowA(std::function<void(TForm_filemanager&)> body);

    // The log's messages without their time stamps.
    static QStringList logMessages();

    TFakeClock clock;
    TDialogScript script;
    QString target; // an empty target directory, ending in "/"

  private:
    std::unique_ptr<TForm_main> main_;
};
