#pragma once
// A mail or web transfer that failed: the server could not be reached, refused
// the request or broke off. The message holds the transfer library's text and,
// when the server answered, the server's own last answer.

#include "Errors.h"

class TLanguageFile;

class EInternetError : public ELumvikError {
  public:
    enum class TKind {
        Failed,
        TimedOut,  // a time or low-speed limit ended it
        Cancelled, // its window asked it to end
    };
    explicit EInternetError(const QString& message, TKind kind = TKind::Failed, QString server = {},
                            long elapsedMs = 0)
        : ELumvikError(message), kind_(kind), server_(std::move(server)), elapsedMs_(elapsedMs) {}

    TKind kind() const { return kind_; }
    bool cancelled() const { return kind_ == TKind::Cancelled; }
    // The user's text for the error: a limit reached names the server and the
    // time it was given, in the user's language; anything else is the message.
    QString text(const TLanguageFile& language) const;

  private:
    TKind kind_;
    QString server_;
    long elapsedMs_;
};
