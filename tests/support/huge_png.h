#pragma once

#include <QByteArray>
#include <QtEndian>

namespace hx::test {

inline void pngChunk(QByteArray& png, const char* type, const QByteArray& data) {
    char length[4];
    qToBigEndian(quint32(data.size()), length);
    png.append(length, 4);
    const QByteArray typed = QByteArray(type, 4) + data;
    png.append(typed);
    // CRC-32 of type and data, as PNG readers check it.
    quint32 crc = 0xFFFFFFFFu;
    for (unsigned char b : typed) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    char sum[4];
    qToBigEndian(crc ^ 0xFFFFFFFFu, sum);
    png.append(sum, 4);
}

// A valid one-bit grey PNG of `side` x `side` pixels, built without ever
// holding the decoded picture: 20,000 x 20,000 stays a few kilobytes on disk.
inline QByteArray hugePng(int side) {
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian(quint32(side), header.data());
    qToBigEndian(quint32(side), header.data() + 4);
    header[8] = 1;  // bit depth
    header[9] = 0;  // grey
    pngChunk(png, "IHDR", header);
    const qsizetype row = 1 + (side + 7) / 8;  // filter byte + packed pixels
    QByteArray raw(row * side, '\0');
    QByteArray zlib = qCompress(raw, 9);
    pngChunk(png, "IDAT", zlib.mid(4));  // qCompress prefixes the length
    pngChunk(png, "IEND", {});
    return png;
}

}  // namespace hx::test
