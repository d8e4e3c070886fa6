#pragma once

#include <QString>
#include <QTemporaryDir>

#include "storage/data_root.h"

namespace hx::test {

// A fresh, empty data root in a temporary folder, removed with the object.
// Nothing a test does through it reaches the user's own data.
class TempRoot {
  public:
    // `layout`: create User, Shens and Bmpns (and Date when `withDate`) with the
    // shipped pictures, as start-up does.
    explicit TempRoot(bool layout = true, bool withDate = true);

    bool isValid() const { return dir_.isValid(); }
    const storage::DataRoot& root() const { return root_; }
    QString path() const { return dir_.path(); }
    QString file(const QString& relative) const { return root_.file(relative); }

    // Writes `bytes` to `relative` (folders made as needed); true on success.
    bool write(const QString& relative, const QByteArray& bytes) const;
    QByteArray read(const QString& relative) const;

  private:
    QTemporaryDir dir_;
    storage::DataRoot root_;
};

}  // namespace hx::test
