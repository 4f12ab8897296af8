#include "PackageSignature.h"

#include <sodium.h>

QByteArray BuiltInUpdateKey() {
    return QByteArray::fromBase64(LUMVIK_UPDATE_PUBLIC_KEY);
}

bool PackageSignatureValid(const QByteArray& package, const QString& signatureBase64,
                           const QByteArray& publicKey) {
    const auto decoded = QByteArray::fromBase64Encoding(signatureBase64.trimmed().toLatin1(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != crypto_sign_BYTES ||
        publicKey.size() != crypto_sign_PUBLICKEYBYTES || sodium_init() < 0)
        return false;
    return crypto_sign_verify_detached(
               reinterpret_cast<const unsigned char*>(decoded.decoded.constData()),
               reinterpret_cast<const unsigned char*>(package.constData()),
               static_cast<unsigned long long>(package.size()),
               reinterpret_cast<const unsigned char*>(publicKey.constData())) == 0;
}
