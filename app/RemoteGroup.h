#pragma once
// Completes a new remote control window with the viewfinder window that its
// "Start ViewFinder" shows. Given to the remote flows as their setup.

#include "MainFlows.h"

class TForm_Remote;

void JoinViewFinder(TForm_Remote& remote, const TMainContext& main);
