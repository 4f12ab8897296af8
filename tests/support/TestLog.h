#pragma once
// The debug log as tests read it.

#include <QStringList>

namespace testlog {

// The log's messages without their time stamps; empty when there is no log.
QStringList Messages();

} // namespace testlog
