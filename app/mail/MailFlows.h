#pragma once
// The program's mail windows and the flows that open them: the main window's
// Email menu (pictures, request of function, error report, question) and its
// Properties item, and the transfer's "Email pictures".

#include "MainFlows.h"

#include <memory>

class TFormProperties;
class TForm_SendEmail;

// Both windows are top-level windows owned here, never children of the window
// that opened them, so a flow's window that goes away takes neither along.
class TMailWindows {
  public:
    TMailWindows();
    ~TMailWindows();

    // The properties window of the run, made at its first use.
    TFormProperties& properties(TAppServices& services);
    // An empty send-mail window for a new mail: the one an earlier flow left
    // behind, cleared, or a new one.
    TForm_SendEmail& newMail(TAppServices& services);
    // The window of the last newMail(), if it still exists.
    TForm_SendEmail* mail() const { return mail_.get(); }
    // Shows the window of the last newMail() modally, then destroys it.
    void showMail();

  private:
    std::unique_ptr<TFormProperties> properties_;
    std::unique_ptr<TForm_SendEmail> mail_;
};

// The flows with the Email menu hooks and the properties hook filled.
TMainFlows WithMailFlows(TMainFlows flows, std::shared_ptr<TMailWindows> windows);
