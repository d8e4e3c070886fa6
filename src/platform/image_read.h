#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QIODevice;
class QImageReader;

namespace hx::platform {

// Reads a picture whose format is known (named, or the file's suffix) without
// asking every image plugin whether it knows the bytes: loading them all took
// a quarter of the start-up. Bytes that are not of the named format are read
// by content after all, so a misnamed file still shows.
QImage readImage(const QString& path, const QByteArray& format = {});
QImage readImage(QIODevice* device, const QByteArray& format);

// Points `reader` (on `device`, at its start) at the reader of the named format
// when that format knows the bytes, else at one chosen by content: the
// plugins are asked only in the second case.
void chooseReader(QImageReader& reader, QIODevice* device, const QByteArray& format);

}  // namespace hx::platform
