#pragma once
// The application-wide error handler: every error that a step or a menu action
// does not catch itself ends here, is logged and shown, and the program goes on.

#include <QString>
#include <functional>

// Logs "AppException. Exception=" + message and shows the message in the
// program's error box, with a full stop added unless it already ends in one
// (or in a character that sorts before it).
void AppException(const QString& message);

// Runs `action`; an error it raises goes to AppException().
void RunGuarded(const std::function<void()>& action);

// A slot for connect() that runs object's handler through RunGuarded().
template <class T> auto Guarded(T* object, void (T::*handler)()) {
    return [object, handler] { RunGuarded([object, handler] { (object->*handler)(); }); };
}
