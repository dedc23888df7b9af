// The icon pass of a read: after the directory phase, every file and folder
// of the new volume gets an icon number (0 for those that show their type's
// icon), then the captured pictures are organised into the volume's stored
// images.
#pragma once

#include <cstdint>
#include <string>

#include "model/FileEntry.h"
#include "model/UiText.h"
#include "platform/IconSource.h"
#include "platform/MessageService.h"
#include "reading/ReadProgress.h"

namespace volcatra {

inline constexpr UiText kIconReadErrorQuestion =
    VOLCATRA_TEXT("Reading", "読み取りエラーが発生しました。\n読み取りを中止しますか？");

// Runs the pass over root, read from readPath on the medium mounted at
// rootPath. False when it failed or the user confirmed a cancel; root's
// icon numbers are then partly set and the root is to be discarded.
bool ReadIcons(CRootEntry& root, IReadProgress* progress, IMessageService& messages, IIconSource& source,
               const std::string& readPath, const std::string& rootPath);

// The icon number of one file: 0 for one that shows its type's icon, else a
// new number for its captured picture (each shortcut gets its own); -1 to
// abandon the read (the user said so after a read error, or the volume has
// all the numbers it may have).
int AddFileIcon(CIconList& icons, IIconSource& source, IMessageService& messages, const std::string& fullPath,
                const std::u16string& name, uint16_t attributes);

}  // namespace volcatra
