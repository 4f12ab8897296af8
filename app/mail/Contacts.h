#pragma once
// The program's contact data, fixed by whoever ships it: where support mails
// go, the users' mailing list and its message board, the homepage, and the
// update server that also answers the connection test.

#include <QUrl>

inline constexpr const char* SupportAddress = "support@lumvik.example";
inline constexpr const char* UserGroupAddress = "lumvik-users@lumvik.example";
inline constexpr const char* MessageBoardAddress = "https://groups.lumvik.example/lumvik-users";
inline constexpr const char* HomepageAddress = "https://www.lumvik.example";
inline constexpr const char* UpdateServer = "update.lumvik.example";

// The update INI on the update server, fetched by the web update and by the
// connection test.
inline QUrl UpdateIniAddress() {
    return QUrl(QStringLiteral("http://%1/lumvik/download/upgrade_lumvik.ini").arg(UpdateServer));
}
