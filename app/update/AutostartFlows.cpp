#include "AutostartFlows.h"

#include "Dialogs.h"
#include "Errors.h"
#include "LanguageFile.h"
#include "Version.h"
#include "tesselink.h"

#include <QCoreApplication>
#include <cerrno>
#include <functional>

namespace {

QString read(const TAppServices& services, const char* key, const char* def) {
    return services.language().read(TAppServices::MainSection, key, def);
}

const uint16_t* utf16(const std::u16string& text) {
    return reinterpret_cast<const uint16_t*>(text.c_str());
}

// One registration step of the USB menu: asked first, its result reported.
struct TRegistrationStep {
    const char* questionKey;
    const char* question;
    std::function<void(tsRegistrationResult&)> call;
    const char* doneKey;
    const char* done;
    // Said instead of an error when there was nothing to remove.
    const char* nothingKey = nullptr;
    const char* nothing = nullptr;
};

void run(const TMainContext& context, const TRegistrationStep& step) {
    const TAppServices& services = context.services;
    if (MessageDlg(read(services, step.questionKey, step.question), mtConfirmation, mbYes | mbNo) !=
        mrYes)
        return;
    tsRegistrationResult result{};
    step.call(result);
    if (step.nothingKey && result.service == 0 && result.registration == ENOENT) {
        MessageDlg(read(services, step.nothingKey, step.nothing), mtInformation, mbOK);
        return;
    }
    const QString error =
        RegistrationError(services.language(), result.service, result.registration);
    if (!error.isEmpty())
        throw ELumvikError(error);
    MessageDlg(read(services, step.doneKey, step.done), mtInformation, mbOK);
}

const std::u16string& registrationName() {
    static const std::u16string name = QString(ProgramTitle).toStdU16String();
    return name;
}

void addAutostart(const TMainContext& context) {
    run(context,
        {"infomsg_autostart_question",
         "Do you want Lumvik to autostart when the camera is connected by USB to your computer?",
         [](tsRegistrationResult& result) {
             register_app(utf16(registrationName()),
                          utf16(QCoreApplication::applicationFilePath().toStdU16String()), &result);
         },
         "infomsg_USB_add_successful", "Lumvik is registred to USB interface"});
}

void deleteAutostart(const TMainContext& context) {
    run(context,
        {"infomsg_disable_autostart_question",
         "Are you sure that you want to delete the association that makes Lumvik utilities to "
         "start when the camera is connected by USB?",
         [](tsRegistrationResult& result) { unregister_app(utf16(registrationName()), &result); },
         "infomsg_removal_successful", "Removal successful", "infomsg_autostart_not_registered",
         "Lumvik utilities does not start when a camera is connected, so there is nothing to "
         "delete."});
}

} // namespace

QString RegistrationError(const TLanguageFile& language, int32_t service, int32_t registration) {
    const auto code = [](int32_t status) {
        return QStringLiteral("%1").arg(quint32(status), 8, 16, QLatin1Char('0')).toUpper();
    };
    if (service != 0)
        return language.readFormatted(TAppServices::MainSection, "errormsg_access_sti_interface",
                                      "Could not read which program the desktop starts for "
                                      "camera cards. Error code: %s",
                                      {code(service)});
    if (registration != 0)
        return language.readFormatted(
            TAppServices::MainSection, "errormsg_registring_sti_interface",
            "Could not change which program the desktop starts for camera cards. Check that you "
            "may write to ~/.local/share/applications and ~/.config/mimeapps.list. Error code: %s",
            {code(registration)});
    return {};
}

TMainFlows WithAutostartFlows(TMainFlows flows) {
    flows.addUSBAutostart = addAutostart;
    flows.deleteUSBAutostart = deleteAutostart;
    return flows;
}
