#pragma once
// What the remote control window's tests share, over the simulated camera
// and over libgphoto2's virtual PTP camera alike: the computer directory, the
// services and camera session the window takes, its controls by name, and a
// tear-down that leaves no release control or connection open.

#include "CameraSession.h"
#include "Dlg_Remote.h"
#include "FakeServices.h"
#include "MainWindowFixture.h"
#include "WindowControls.h"

#include <memory>

class RemoteWindowFixture : public MainWindowTest {
  protected:
    // An empty computer directory, set as the window's.
    void SetUp() override;
    void TearDown() override;

    // Connects the session to the test's camera.
    virtual void connectCamera() = 0;

    void setting(const char* key, const QString& value);
    // Connects unless connected, then opens the window and runs its show step.
    TForm_Remote& open();
    // ... and opens the remote process.
    TForm_Remote& openProcess();
    template <class T> T* get(const char* name) { return testenv::control<T>(*window, name); }
    void takePicture();
    // The texts of the message boxes shown so far.
    QStringList errors() const { return MessageTexts(script); }

    QString directory;
    TFakeServices services;
    TCameraSession session{services};
    std::unique_ptr<TForm_Remote> window;
};
