#pragma once

#include <QByteArray>
#include <QString>

// Reads the marker structure of a JPEG file without decoding it. The JPEG
// reader fills whatever data is missing with grey and says nothing, so a cut
// file (a copy that stopped early) or a header that claims far more pixels
// than the file holds data for would show as a plausible picture, and the
// latter costs the full decode of the claimed size first.
class RJpegCheck
{
public:
    // True when `data` is a whole JPEG: its scans end in the end marker (bytes
    // after it, as some cameras append, are allowed), and a Huffman-coded
    // picture holds at least the half bit per 8 x 8 block that any picture,
    // even a flat one, needs. `reason` tells why not.
    static bool isWhole(const QByteArray &data, QString *reason = nullptr);
    // The same for a file; a file that cannot be read is not whole.
    static bool isWholeFile(const QString &path, QString *reason = nullptr);
};
