#pragma once
// The program's error kinds. Every error carries the message text that the
// handler which catches it logs and shows.

#include <QString>
#include <stdexcept>

class ELumvikError : public std::runtime_error {
  public:
    explicit ELumvikError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

  private:
    QString message_;
};

// Wrong input from the user (a value out of range, an invalid choice).
class ERangeError : public ELumvikError {
    using ELumvikError::ELumvikError;
};

// A file that cannot be opened, read, written or created.
class EInOutError : public ELumvikError {
    using ELumvikError::ELumvikError;
};

// Data that cannot be converted (a picture that does not decode, a bad number).
class EConvertError : public ELumvikError {
    using ELumvikError::ELumvikError;
};

// A text pattern that asks for more arguments than it was given.
class EFormatError : public ELumvikError {
    using ELumvikError::ELumvikError;
};

// A failure reported by the camera bridge.
class ECameraError : public ELumvikError {
    using ELumvikError::ELumvikError;
};
