#pragma once
// A mail or web transfer that failed: the server could not be reached, refused
// the request or broke off. The message holds the transfer library's text and,
// when the server answered, the server's own last answer.

#include "Errors.h"

class EInternetError : public ELumvikError {
    using ELumvikError::ELumvikError;
};
