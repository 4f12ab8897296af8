#pragma once
// What the main-window tests share: the shipped languages in the program
// folder, a clock that does not wait, a dialog script, and readers for the
// settings and the debug log.

#include "Dialogs.h"
#include "FakeClock.h"
#include "MainDlg.h"

#include <QStringList>
#include <gtest/gtest.h>

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override;

    static void storeSetting(const QString& key, const QString& value);
    static QString storedSetting(const QString& key);
    // The log's messages without their time stamps; empty when there is no log.
    static QStringList logMessages();

    TFakeClock clock;
    TDialogScript script;
};

// The texts of the message boxes the script was asked to show, in order.
QStringList MessageTexts(const TDialogScript& script);
