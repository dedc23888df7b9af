// The process-wide "system image list": the icons the desktop theme gives for
// MIME types, folders and drives, each at a position that stays the same for
// the whole run, and the overlay icon drawn on shortcuts.
#pragma once

#include <QHash>
#include <QIcon>
#include <QString>
#include <vector>

#include "model/UiText.h"

namespace volcatra {

class CSysImageList {
public:
    // Fixed positions.
    static constexpr int kGenericFile = 0;
    static constexpr int kFolder = 1;
    static constexpr int kOpenFolder = 2;
    static constexpr int kHardDisk = 3;
    static constexpr int kOpticalDisc = 4;
    static constexpr int kRemovableDisk = 5;

    static CSysImageList& Instance();

    // Chooses the icon theme when the session names none and fills the fixed
    // positions; false when the folder icons cannot be had.
    bool Init();
    bool IsReady() const { return m_ready; }

    // The position of the type icon of a file or folder of that name (by its
    // name's pattern only); kGenericFile when the theme has none.
    int IndexForName(const QString& name, bool folder);
    QIcon Icon(int index) const;
    int Count() const { return int(m_icons.size()); }

    // Loads the overlay icon: the picture of "Through.ico" in the program's
    // directory (or its installed data folder, see ProgramFilePath) with a
    // shortcut arrow drawn on it. False when the file is missing or cannot
    // be read.
    bool LoadOverlayIcon(const QString& directory);
    const QIcon& OverlayIcon() const { return m_overlay; }

private:
    int AddThemeIcon(const QString& name, const QString& fallback);

    bool m_ready = false;
    std::vector<QIcon> m_icons;
    QHash<QString, int> m_byIconName;
    QHash<QString, int> m_byMimeType;
    QIcon m_overlay;
};

// The text shown when the system icons or the overlay are missing at start.
inline constexpr UiText kSystemIconFailureText =
    VOLCATRA_TEXT("Application", "システム アイコン の取得に失敗たため 起動できません");

}  // namespace volcatra
