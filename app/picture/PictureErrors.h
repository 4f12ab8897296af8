#pragma once
// Errors of the picture code beside the program-wide kinds of Errors.h.

#include "Errors.h"

// A failure reported by the JPEG codec while decoding, encoding or turning a
// picture.
class EJPEG : public EConvertError {
    using EConvertError::EConvertError;
};

// A bitmap that an operation cannot work on (wrong pixel format, bad angle).
class EBitmapError : public ELumvikError {
    using ELumvikError::ELumvikError;
};
