#pragma once
// The program's contact data, fixed by whoever ships it with the build
// options LUMVIK_SUPPORT_ADDRESS, ... (see the README): where support mails go, the
// users' mailing list and its message board, the homepage, and the update
// server that also answers the connection test, empty when there is none.

#include <QUrl>

inline constexpr const char* SupportAddress = LUMVIK_SUPPORT_ADDRESS;
inline constexpr const char* UserGroupAddress = LUMVIK_USER_GROUP_ADDRESS;
inline constexpr const char* MessageBoardAddress = LUMVIK_MESSAGE_BOARD;
inline constexpr const char* HomepageAddress = LUMVIK_HOMEPAGE;
inline constexpr const char* UpdateServer = LUMVIK_UPDATE_SERVER;

// The update INI on the update server, fetched by the web update and by the
// connection test; empty when the build names no update server.
inline QUrl UpdateIniAddress() {
    if (*UpdateServer == '\0')
        return {};
    return QUrl(QStringLiteral("http://%1/lumvik/download/upgrade_lumvik.ini").arg(UpdateServer));
}
