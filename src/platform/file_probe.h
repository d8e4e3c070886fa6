#pragma once

#include <QHash>
#include <QString>
#include <cstddef>
#include <functional>
#include <optional>

namespace hx::platform {

// Where an item's picture comes from, once its icon text has been understood.
// Plain value: comparable and hashable, so loaded pictures can be cached by it.
struct IconSource {
    enum class Kind {
        None,            // no picture
        WebLink,         // the program's own web-link picture
        SystemIndex,     // entry `index` of the system icon library
        RegistryEditor,  // the configuration editor's icon
        FileIcon,        // icon `index` of the file `text`
        ThemeIcon,       // the icon theme's icon named `text`
    };

    Kind kind = Kind::None;
    int index = 0;
    QString text;

    static IconSource none() { return {}; }
    static IconSource webLink() { return {Kind::WebLink, 0, {}}; }
    static IconSource systemIndex(int n) { return {Kind::SystemIndex, n, {}}; }
    static IconSource registryEditor() { return {Kind::RegistryEditor, 0, {}}; }
    static IconSource fileIcon(const QString& path, int n) { return {Kind::FileIcon, n, path}; }
    static IconSource themeIcon(const QString& name) { return {Kind::ThemeIcon, 0, name}; }

    bool isNone() const { return kind == Kind::None; }
    friend bool operator==(const IconSource&, const IconSource&) = default;
};

inline size_t qHash(const IconSource& s, size_t seed = 0) {
    return qHashMulti(seed, static_cast<int>(s.kind), s.index, s.text);
}

// What the desktop knows about a path: the attribute number the icon rules
// test, the icon registered for a file extension, and whether a file holds a
// given icon. Implementations must be callable from the item-loading worker.
class FileProbe {
  public:
    virtual ~FileProbe() = default;

    // Windows-style attribute number, none when the path does not exist.
    // Folders: 16, +1 when not writable, +2 when the name starts with ".";
    // a mount point is a drive root: 22. Files: 32 (archive), +1, +2 likewise.
    virtual std::optional<int> attributes(const QString& path) const = 0;

    // The icon registered for files with this extension (lower case, no dot),
    // as an icon source; none for the empty extension or an unknown one.
    virtual std::optional<IconSource> registeredIcon(const QString& extension) const = 0;

    // Whether `path` holds icon `index` (negative: the icon resource numbered -index).
    virtual bool hasIcon(const QString& path, int index) const = 0;

    // Whether `path` is a program of this system (what the original system
    // told by the extension "exe"): an executable regular file that is an ELF
    // binary or starts with "#!".
    virtual bool isProgram(const QString& path) const { return false; }
};

}  // namespace hx::platform

template <>
struct std::hash<hx::platform::IconSource> {
    std::size_t operator()(const hx::platform::IconSource& s) const noexcept {
        return hx::platform::qHash(s);
    }
};
