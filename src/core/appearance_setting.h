#pragma once

#include <QObject>
#include <QString>

namespace hx::core {

// What the windows of a run follow of the look the user chose: the size of
// the grid's icons and the column switch sound. Taken from Config.ini at
// every (re-)initialisation; the settings window's sound choice applies at
// once. Each change is announced.
class AppearanceSetting : public QObject {
    Q_OBJECT
  public:
    // Stored 1 and 2 are the two switch sounds, 3 is none chosen; any other
    // value is no choice at all, and plays nothing either.
    enum class SwitchSound { Unchosen = 0, First = 1, Second = 2, None = 3 };

    // 16 or 32: anything else stored keeps the 32-pixel list.
    int iconSize() const { return iconSize_; }
    SwitchSound switchSound() const { return sound_; }

    void setIconSize(int pixels) {
        const int size = pixels == 16 ? 16 : 32;
        if (size == iconSize_) return;
        iconSize_ = size;
        emit changed();
    }
    void setSwitchSound(int stored) {
        const SwitchSound sound =
            stored >= 1 && stored <= 3 ? SwitchSound(stored) : SwitchSound::Unchosen;
        if (sound == sound_) return;
        sound_ = sound;
        emit changed();
    }

    // What the settings window chose and its next save stores; it outlasts the
    // window, and only a save clears the icon-size choices.
    struct Pending {
        QString skinName;
        QString avatarName;
        bool largeIconsChosen = false;
        bool smallIconsChosen = false;
    };
    Pending& pending() { return pending_; }

  signals:
    void changed();

  private:
    int iconSize_ = 32;
    SwitchSound sound_ = SwitchSound::Unchosen;
    Pending pending_;
};

}  // namespace hx::core
