#pragma once

#include <QString>
#include <optional>
#include <type_traits>

namespace hx::storage {

// One key at a time, as the profile functions of the original platform work:
// nothing is cached, every read opens the file again.
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
class IniFile {
  public:
    static constexpr int kValueLimit = 10240;

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
};

}  // namespace hx::storage
