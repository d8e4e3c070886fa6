#pragma once

#include <QString>
#include <QStringList>

namespace hx::storage {

// The folder every stored path is composed under: the designed program
// directory. Resolved once at start-up.
class DataRoot {
  public:
    explicit DataRoot(const QString& dir);

    // --root DIR, else $HENGXIU_ROOT, else the executable's folder when it is
    // writable, else $XDG_DATA_HOME/hengxiu-toolbox.
    static DataRoot resolve(const QStringList& arguments, const QString& executableDir);

    const QString& path() const { return dir_; }
    // dir + "/" + relative; a leading separator in `relative` is allowed.
    QString file(const QString& relative) const;

    QString dateDir() const { return file("Date"); }
    QString backupDir() const { return file("Date/Backup"); }
    QString databasePath() const { return file("Date/QVdata.mdb"); }
    QString userDir() const { return file("User"); }
    QString configPath() const { return file("User/Config.ini"); }
    QString shensDir() const { return file("Shens"); }
    QString skinSelectionPath() const { return file("Shens/shepf.ini"); }
    QString bmpnsDir() const { return file("Bmpns"); }

    // Creates User, Shens and Bmpns (and Date when asked) where missing, removes
    // the temporary files of writes killed in an earlier run and lays our own
    // category pictures into Bmpns without replacing any file.
    bool ensureLayout(bool includeDate) const;

    // Names of the category pictures we ship (Folder.bmp first).
    static QStringList shippedPictures();

  private:
    QString dir_;
};

}  // namespace hx::storage
