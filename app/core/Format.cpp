#include "Format.h"

#include "Errors.h"

namespace {

[[noreturn]] void invalid(const QString& pattern) {
    throw EFormatError(
        QStringLiteral("Format '%1' invalid or incompatible with argument").arg(pattern));
}

} // namespace

QString Format(const QString& pattern, const QStringList& args) {
    QString result;
    qsizetype next = 0;
    for (qsizetype at = 0; at < pattern.size(); ++at) {
        if (pattern[at] != '%') {
            result += pattern[at];
            continue;
        }
        qsizetype end = at + 1;
        if (end < pattern.size() && pattern[end] == '%') {
            result += '%';
            at = end;
            continue;
        }
        while (end < pattern.size() && pattern[end].isDigit())
            ++end;
        if (end > at + 1) {
            bool ok = false;
            next = pattern.mid(at + 1, end - at - 1).toLongLong(&ok);
            if (!ok || end >= pattern.size() || pattern[end] != ':')
                invalid(pattern);
            ++end;
        }
        if (end >= pattern.size() || pattern[end].toLower() != 's' || next >= args.size())
            invalid(pattern);
        result += args[next++];
        at = end;
    }
    return result;
}
