#include "MailWindowFixture.h"

#include "Dlg_Properties.h"
#include "MainWindowFixture.h"
#include "Settings.h"

#include <QLineEdit>
#include <QSpinBox>

MailWindowTest::Setting::Setting() {
    languagecheck::InstallShippedLanguages();
    TSettings().eraseSection(TSettings::Section);
}

void MailWindowTest::fillAccount(TFormProperties& properties, int port) {
    control<QLineEdit>(properties, "Edit_YourName").setText("Anna Smith");
    control<QLineEdit>(properties, "Edit_EmailAdr").setText("anna@example.com");
    control<QLineEdit>(properties, "Edit_SMTPServer").setText("127.0.0.1");
    control<QLineEdit>(properties, "Edit1_UserID").setText("anna");
    control<QSpinBox>(properties, "SpinEdit_SMTPPort").setValue(port);
}

QStringList MailWindowTest::boxTexts() const {
    return MessageTexts(script);
}
