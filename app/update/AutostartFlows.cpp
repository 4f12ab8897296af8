#include "AutostartFlows.h"

#include "Dialogs.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Version.h"
#include "tesselink.h"

#include <QCoreApplication>

namespace {

QString read(const TAppServices& services, const char* key, const char* def) {
    return services.language().read(TAppServices::MainSection, key, def);
}

bool confirmed(const TAppServices& services, const char* key, const char* question) {
    return MessageDlg(read(services, key, question), mtConfirmation, mbYes | mbNo) == mrYes;
}

void check(const TAppServices& services, const tsRegistrationResult& result) {
    const QString error =
        RegistrationError(services.language(), result.service, result.registration);
    if (!error.isEmpty())
        throw ELumvikError(error);
}

const uint16_t* utf16(const std::u16string& text) {
    return reinterpret_cast<const uint16_t*>(text.c_str());
}

void addAutostart(const TMainContext& context) {
    if (!confirmed(context.services, "infomsg_autostart_question",
                   "Do you want Lumvik to autostart when the camera is connected by USB to your "
                   "computer?"))
        return;
    tsRegistrationResult result{};
    register_app(utf16(QString(ProgramTitle).toStdU16String()),
                 utf16(QCoreApplication::applicationFilePath().toStdU16String()), &result);
    check(context.services, result);
    MessageDlg(read(context.services, "infomsg_USB_add_successful",
                    "Lumvik is registred to USB interface"),
               mtInformation, mbOK);
}

void deleteAutostart(const TMainContext& context) {
    if (!confirmed(context.services, "infomsg_disable_autostart_question",
                   "Are you sure that you want to delete the association that makes Lumvik "
                   "utilities to start when the camera is connected by USB?"))
        return;
    tsRegistrationResult result{};
    unregister_app(utf16(QString(ProgramTitle).toStdU16String()), &result);
    check(context.services, result);
    MessageDlg(read(context.services, "infomsg_removal_successful", "Removal successful"),
               mtInformation, mbOK);
}

} // namespace

QString RegistrationError(const TLanguageFile& language, int32_t service, int32_t registration) {
    const auto code = [](int32_t status) {
        return QStringLiteral("%1").arg(quint32(status), 8, 16, QLatin1Char('0')).toUpper();
    };
    if (service != 0)
        return language.readFormatted(TAppServices::MainSection, "errormsg_access_sti_interface",
                                      "Error accessing the Still Camera Interface. Error code: %s",
                                      {code(service)});
    if (registration != 0)
        return language.readFormatted(
            TAppServices::MainSection, "errormsg_registring_sti_interface",
            "Error registering Lumvik with Still Camera Interface. If you are running WinNT/XP "
            "compatible OS please try registering when running as administrator. Error code: %s",
            {code(registration)});
    return {};
}

TMainFlows WithAutostartFlows(TMainFlows flows) {
    flows.addUSBAutostart = addAutostart;
    flows.deleteUSBAutostart = deleteAutostart;
    return flows;
}
