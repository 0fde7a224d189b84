#pragma once

#include <QString>

// Orders version strings the way release numbers are read: runs of digits compare as
// numbers ("1.10" after "1.9"), other runs as text, separators only separate. A pre-release
// tail makes a version older than the bare release ("1.2b1" before "1.2"), while any extra
// number makes it newer ("1.2.1" after "1.2"); "1.2" and "1.2.0" are equal.
// Returns a negative number, zero or a positive number.
int compareVersions(const QString& a, const QString& b);
