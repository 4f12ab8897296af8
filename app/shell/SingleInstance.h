#pragma once
// The single-instance marker: a local socket per user named after the marker
// name. The first instance listens on it for its whole run; a later start
// connects, asks the first to bring its window forward, and ends.

#include <QString>

class QWidget;

// True when another instance owns the marker `name` (then, with `activate`, that
// instance is asked to come forward). Otherwise this process becomes the owner;
// with `closeAfter` it gives the marker up again at once. Throws ELumvikError
// when the marker can be neither reached nor created.
bool CheckAppAlreadyRunning(const QString& name, bool activate, bool closeAfter);

// The window a later start brings forward (restored if minimised, raised and
// activated, or its open modal window in its place).
void SetAppMarkerWindow(QWidget* window);

// Gives the marker up (the exit sequence).
void CloseAppMarker();
