#pragma once

#include <QImage>
#include <QString>

namespace hx::appearance {

// Largest side an avatar is decoded at: the picture boxes are 50 and 64
// pixels, so a huge file never costs more than this.
inline constexpr int kAvatarDecodeLimit = 256;

// Largest picture decoded whole when its format cannot scale while decoding.
inline constexpr qint64 kAvatarFullDecodeBytes = 64LL * 1024 * 1024;

// The picture in `path`, scaled down while decoding so that neither side
// exceeds `limit`; a null image for a missing, empty or broken file, and for
// a picture too large to decode whole in a format that cannot scale.
QImage loadAvatar(const QString& path, int limit = kAvatarDecodeLimit);

// A file name that may be joined to User/ safely: no folder part, not "." or
// "..". Stored names come from an editable file.
bool isPlainFileName(const QString& name);

// Copies `source` to User/<its file name> (replacing a file of that name in
// one rename) and returns that name; empty when nothing could be copied. A
// source that already is that file is left alone; `copied` tells which.
QString copyAvatarInto(const QString& userDir, const QString& source, bool* copied = nullptr);

}  // namespace hx::appearance
