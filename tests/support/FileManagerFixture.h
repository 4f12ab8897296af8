#pragma once
// What the file manager tests share beside the main window tests' fixture: a
// main window with the camera connection and the file manager flows, and a way
// to run the flows with a test body in place of the user.

#include "FileManagerFlows.h"
#include "MainWindowFixture.h"

#include <functional>
#include <memory>

class TForm_filemanager;
class TJPEGImage;

// The record of the only list entry of that name; nullptr when none.
TJPEGImage* recordOf(TForm_filemanager& window, const QString& name);

// Waits until the items of the window's list have loaded.
void waitForItems(TForm_filemanager& window);

class FileManagerTest : public MainWindowTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The main window, made on first use.
    TForm_main& main();
    // Points the simulated camera at the standard test card (volumes CF and SD).
    void plugInStandardCamera();
    // The file manager of the next flow, shown and activated, is handed to
    // body once its items have loaded; then it closes.
    void whenShown(std::function<void(TForm_filemanager&)> body);
    // The same as soon as the list names its items, while they still load.
    void whenListed(std::function<void(TForm_filemanager&)> body);
    void runFlowA(std::function<void(TForm_filemanager&)> body);
    // The program started by the desktop with `directory` as its argument:
    // the automatic transfer, every box answered.
    void commandLineStart(const QString& directory);

    QString target;          // an empty target directory, ending in "/"
    TFileManagerSetup setup; // joins every new file manager, as the program's does

  private:
    std::unique_ptr<TForm_main> main_;
};
