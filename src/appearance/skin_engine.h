#pragma once

#include <QString>

#include "storage/data_root.h"

namespace hx::appearance {

// Our skin engine: a ".she" skin is a text file whose first line is ".SHE";
// the rest is a Qt style sheet applied to the whole application, so windows
// created later are drawn in it too. Attaching again replaces the skin.
class SkinEngine {
  public:
    explicit SkinEngine(storage::DataRoot root);

    // Writes the default skin QVSkin.she into the data root, then attaches
    // `skinPath` (QVSkin.she when the path is empty or a folder, which is what
    // no stored skin name gives, and when it lies outside Shens). A missing
    // file or a file that is not a skin leaves the application without a skin.
    void apply(const QString& skinPath);

    // The style sheet of a skin file, or nothing when it is not one.
    static bool readSkin(const QString& path, QString* styleSheet);
    QString attachedPath() const { return attached_; }

  private:
    storage::DataRoot root_;
    QString attached_;
};

}  // namespace hx::appearance
