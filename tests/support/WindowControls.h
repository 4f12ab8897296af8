#pragma once
// Tests reach a window's private controls by the object names the windows
// give them (their names in the language file and the settings).

#include <QObject>
#include <gtest/gtest.h>

namespace testenv {

// The window's control of that name and type; fails the test when there is none.
template <typename T> T* control(const QObject& window, const char* name) {
    T* found = window.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << "no control " << name;
    return found;
}

} // namespace testenv
