#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <type_traits>

namespace hx::storage {

// One key at a time, as the profile functions of the original platform work.
//  - leading characters with codes up to 32 are skipped in path, section and
//    key; if any is then empty a read gives "" and a write fails;
//  - a value is read into a buffer of kValueLimit bytes that keeps its
//    terminator, so at most 10,239 bytes of UTF-8 come back, cut at a
//    character boundary (the file keeps the whole value);
//  - a missing file, section or key reads as "";
//  - section and key names match without ASCII case;
//  - writing no value deletes the key, writing no key deletes the section;
//  - saves go through a temporary file and rename, so the file is whole at
//    every instant; the folder must exist;
//  - a file that is not valid UTF-8 is read as GBK and written back as UTF-8.
// A file is parsed once and again only when it changed on disk (device, inode,
// size, times), so reads cost a stat. Files the program must not trust are
// refused: reads give "" and writes fail, and the file is left as it is:
//  - anything that is not a regular file (a FIFO would block the reader);
//  - a file over kSizeLimit bytes;
//  - a file that cannot be read.
// A file that cannot be read whole as text (a NUL byte, bytes that are neither
// UTF-8 nor GBK) is copied beside itself as "<name>.damaged-<date>" and then
// holds what could be read; when no copy can be made, writes to it fail.
// Each such finding is reported once: on stderr and through takeNotices().
class IniFile {
  public:
    static constexpr int kValueLimit = 10240;
    static constexpr qint64 kSizeLimit = 1024 * 1024;

    static QString read(const QString& path, const QString& section, const QString& key);
    // As read, but tells a missing key from an empty value.
    static std::optional<QString> find(const QString& path, const QString& section,
                                       const QString& key);
    static bool write(const QString& path, const QString& section,
                      const std::optional<QString>& key, const std::optional<QString>& value);
    static bool write(const QString& path, const QString& section, const QString& key,
                      const QString& value) {
        return write(path, section, std::optional<QString>(key), std::optional<QString>(value));
    }
    // Lets string literals pick the form above instead of being ambiguous
    // between it and the optional one.
    template <class K, class V>
    requires(std::is_convertible_v<const K&, QString>&& std::is_convertible_v<const V&, QString> &&
             !(std::is_same_v<K, QString> &&
               std::is_same_v<V, QString>)) static bool write(const QString& path,
                                                              const QString& section, const K& key,
                                                              const V& value) {
        return write(path, section, QString(key), QString(value));
    }
    static bool removeKey(const QString& path, const QString& section, const QString& key) {
        return write(path, section, std::optional<QString>(key), std::nullopt);
    }
    static bool removeSection(const QString& path, const QString& section) {
        return write(path, section, std::nullopt, std::nullopt);
    }

    // The user-facing messages about refused or damaged files found since the
    // last call, each file and finding once per process.
    static QStringList takeNotices();
    // How many times a file was read and parsed, for checking the cache.
    static int loadCount();
};

}  // namespace hx::storage
