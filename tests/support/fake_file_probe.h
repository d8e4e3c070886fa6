#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <utility>

#include "platform/file_probe.h"

namespace hx::test {

// A file system and icon registry made of tables; anything not set up is
// missing (no attributes, nothing registered, no icons).
class FakeFileProbe : public platform::FileProbe {
  public:
    void setAttributes(const QString& path, int value) { attributes_.insert(path, value); }
    void registerIcon(const QString& extension, const platform::IconSource& icon) {
        registered_.insert(extension, icon);
    }
    void addIcon(const QString& path, int index) { icons_.insert({path, index}); }
    void addProgram(const QString& path) { programs_.insert(path); }

    std::optional<int> attributes(const QString& path) const override {
        const auto it = attributes_.constFind(path);
        if (it == attributes_.constEnd()) return std::nullopt;
        return *it;
    }
    std::optional<platform::IconSource> registeredIcon(const QString& extension) const override {
        const auto it = registered_.constFind(extension);
        if (it == registered_.constEnd()) return std::nullopt;
        return *it;
    }
    bool hasIcon(const QString& path, int index) const override {
        return icons_.contains({path, index});
    }
    bool isProgram(const QString& path) const override { return programs_.contains(path); }

  private:
    QHash<QString, int> attributes_;
    QHash<QString, platform::IconSource> registered_;
    QSet<std::pair<QString, int>> icons_;
    QSet<QString> programs_;
};

}  // namespace hx::test
