#pragma once
// The program entry: the single-instance check, then the main window (and with
// it the language window) and the event loop until the main window closes.

#include "MainFlows.h"

int RunProgram(int argc, char** argv, TMainFlows flows);
