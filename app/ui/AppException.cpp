#include "AppException.h"

#include "Dialogs.h"
#include "Errors.h"
#include "Log.h"

void AppException(const QString& message) {
    LogLine("AppException. Exception=" + message);
    QString shown = message;
    if (!shown.isEmpty() && shown.back() > QChar('.'))
        shown += '.';
    ShowErrorBox(shown);
}

void RunGuarded(const std::function<void()>& action) {
    try {
        action();
    } catch (const ELumvikError& e) {
        AppException(e.message());
    } catch (const std::exception& e) {
        AppException(QString::fromLocal8Bit(e.what()));
    }
}
