#pragma once

// A 16-bit data file split into its low and high bytes (two files, the low
// byte of each word first in the data file) and joined back. A data file
// holds 2 to 1048576 bytes, an even number; the two halves have the same
// size. Outputs are written whole or not at all.

#include <QString>

namespace qvsplit {

inline constexpr qint64 kMaxDataSize = 1048576;

// "name_L.ext" / "name_H.ext" beside the data file; the data file's name
// from a low-byte file name ("name_L.ext" -> "name.ext").
QString LowBytesName(const QString &data);
QString HighBytesName(const QString &data);
QString JoinedName(const QString &low);

// Empty when done, else the reason (Russian, naming the file).
QString SplitBytes(const QString &data, const QString &low, const QString &high);
QString JoinBytes(const QString &low, const QString &high, const QString &data);

} // namespace qvsplit
