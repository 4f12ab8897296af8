#pragma once
// Whether a name is taken, as every rule that picks a free name for a new
// file asks it: on disk, or by a test of the caller's own (a plan that has
// given names away, a test's table).

#include <QString>
#include <functional>

using TNameTaken = std::function<bool(const QString& path)>;

// Whether any directory entry has the name, a link that leads nowhere
// included: writing there would fail or replace someone's file.
bool EntryExists(const QString& path);
