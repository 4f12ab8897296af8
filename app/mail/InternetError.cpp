#include "InternetError.h"

#include "LanguageFile.h"

#include <cmath>

QString EInternetError::text(const TLanguageFile& language) const {
    if (kind_ != TKind::TimedOut)
        return message();
    return language.readFormatted(
        "Internet", "errormsg_server_too_slow",
        "%s answered too slowly and was given up after %s seconds. Try again later or check the "
        "address and the proxy settings.",
        {server_, QString::number(std::lround(double(elapsedMs_) / 1000.0))});
}
