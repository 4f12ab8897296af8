#pragma once
// Which downloaded upgrade the program accepts: only a package whose detached
// Ed25519 signature verifies against the public key of whoever ships the
// program. The update server and the network in between are not trusted.

#include <QByteArray>
#include <QString>

// The public key built into the program (32 bytes).
QByteArray BuiltInUpdateKey();

// Whether `signatureBase64` (the update INI's "Lumvik_signature") is a valid
// Ed25519 signature of `package` by `publicKey`. Anything malformed is no.
bool PackageSignatureValid(const QByteArray& package, const QString& signatureBase64,
                           const QByteArray& publicKey);
