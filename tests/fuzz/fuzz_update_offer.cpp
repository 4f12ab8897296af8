// The update INI fetched from the web: the input is the file. Whatever it
// offers, the question built from it is formatted and no signature it carries
// passes for a package that was not signed.

#include "Errors.h"
#include "Format.h"
#include "FuzzSupport.h"
#include "PackageSignature.h"
#include "UpdateCheck.h"

#include <QUrl>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TUpdateOffer offer =
        ReadUpdateOffer(fuzz::writeInput("upgrade_lumvik.ini", fuzz::bytesOf(data, size)));
    Format("Current version is %s and the available one is %s, of %s bytes",
           {"1.0", offer.version, QString::number(offer.fileSize)});
    (void)QUrl(offer.archive).isValid();
    if (PackageSignatureValid("not the package", offer.signature, BuiltInUpdateKey()))
        __builtin_trap();
    return 0;
}
