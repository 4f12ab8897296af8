#pragma once
// What the tests of the two mail windows share: the shipped languages, the
// services without the main window, a dialog script, and the controls of the
// windows reached by their names.

#include "Dialogs.h"
#include "FakeServices.h"
#include "LanguageCheck.h"
#include "LoopbackServers.h"

#include <QWidget>
#include <gtest/gtest.h>

class TFormProperties;

class MailWindowTest : public ::testing::Test {
  protected:
    // A control of `window` by its name; fails the test when there is none.
    template <class T> static T& control(QWidget& window, const char* name) {
        T* found = window.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    // Fills the e-mail page: Anna at anna@example.com, the server on loopback.
    static void fillAccount(TFormProperties& properties, int port);
    // The texts of the message boxes asked so far, in order.
    QStringList boxTexts() const;

  private:
    // Before the services open their files; tests may share a process.
    struct Setting {
        Setting();
    } setting_;

  protected:
    TFakeServices services;
    TDialogScript script;
};
