#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>

namespace hx::platform {

// Reading files whose names come from the catalogue, a launcher or the data
// root. Only regular files are read: a FIFO, a terminal or a device would keep
// the reader waiting for good or never end. Nothing here waits for a writer,
// and nothing reads past the limit it is given. Qt resource paths (":/...")
// are read too.

// The whole file; none when the path is no regular file, cannot be opened or
// holds more than `limit` bytes.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit);

// At most the first `count` bytes of a regular file; none as above, but a
// longer file is fine.
std::optional<QByteArray> readRegularFileHead(const QString& path, qint64 count);

// A regular file of at most `limit` bytes, mapped read-only where the file
// system allows it and read otherwise. bytes() is empty when the file was refused.
class RegularFileView {
  public:
    RegularFileView(const QString& path, qint64 limit);
    ~RegularFileView();
    RegularFileView(const RegularFileView&) = delete;
    RegularFileView& operator=(const RegularFileView&) = delete;

    std::span<const std::uint8_t> bytes() const { return bytes_; }

  private:
    void* map_ = nullptr;
    std::size_t mapSize_ = 0;
    QByteArray copy_;
    std::span<const std::uint8_t> bytes_;
};

}  // namespace hx::platform
