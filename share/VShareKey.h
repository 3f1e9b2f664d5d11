#pragma once
// The secret part of a share's address: new for every share, short enough
// to type from the board, long enough (65 bits) not to be guessed.

#include <QString>

namespace VShareKey {

// Thirteen characters of a 32-letter alphabet without look-alikes (no 0/O, 1/I).
QString generate();
// Ignores case (typed from the board); compares in time independent of where the texts differ.
bool matches(const QString &given, const QString &key);

} // namespace VShareKey
