// Command identifiers of the desktop program, their texts (status-bar prompt
// and tooltip) and the routing interface every command target implements.
#pragma once

#include <cstdint>
#include <optional>

#include <QString>

namespace volcatra {

// File menu and application commands.
inline constexpr uint32_t ID_FILE_NEW = 57600;
inline constexpr uint32_t ID_FILE_OPEN = 57601;
inline constexpr uint32_t ID_FILE_CLOSE = 57602;
inline constexpr uint32_t ID_FILE_SAVE = 57603;
inline constexpr uint32_t ID_FILE_SAVE_AS = 57604;
inline constexpr uint32_t ID_FILE_MRU_FILE1 = 57616;
inline constexpr uint32_t kRecentFileCount = 4;
inline constexpr uint32_t ID_APP_ABOUT = 57664;
inline constexpr uint32_t ID_APP_EXIT = 57665;
inline constexpr uint32_t ID_READ_NEW = 32791;
inline constexpr uint32_t ID_FIND_FILES = 32777;

// Edit commands.
inline constexpr uint32_t ID_EDIT_COPY = 57634;
inline constexpr uint32_t ID_EDIT_CUT = 57635;
inline constexpr uint32_t ID_COPY_NAME = 32793;
inline constexpr uint32_t ID_RENAME = 32794;
inline constexpr uint32_t ID_COPY_PATH = 32816;

// View commands.
inline constexpr uint32_t ID_VIEW_STATUS_BAR = 59393;
inline constexpr uint32_t ID_VIEW_SMALLICON = 59408;
inline constexpr uint32_t ID_VIEW_LARGEICON = 59409;
inline constexpr uint32_t ID_VIEW_LIST = 59410;
inline constexpr uint32_t ID_VIEW_DETAILS = 59411;
inline constexpr uint32_t ID_SORT_NAME = 32780;
inline constexpr uint32_t ID_SORT_SIZE = 32782;
inline constexpr uint32_t ID_SORT_KIND = 32783;
inline constexpr uint32_t ID_SORT_DATE = 32784;
inline constexpr uint32_t ID_UP_FOLDER = 32775;
inline constexpr uint32_t ID_PROPERTIES = 32776;
inline constexpr uint32_t ID_OPTIONS = 32778;

// Tools and window commands.
inline constexpr uint32_t ID_FIND_REAL_FILE = 32810;
inline constexpr uint32_t ID_SHOW_IN_FILE_MANAGER = 32811;
inline constexpr uint32_t ID_WINDOW_NEW = 57648;
inline constexpr uint32_t ID_WINDOW_SPLIT = 57653;
inline constexpr uint32_t ID_NEXT_PANE = 57680;
inline constexpr uint32_t ID_PREV_PANE = 57681;
inline constexpr uint32_t ID_TOOLBAR_CUSTOMIZE = 126;
inline constexpr uint32_t ID_WINDOW_MANAGER = 131;

// The state of a command as a target sees it.
struct CommandState {
    bool m_enabled = true;
    bool m_checked = false;  // radio mark or check mark
};

// One link of the command chain: the active view, its document, its window,
// the main window and the application, asked in that order. The first that
// answers a command handles it and decides its state.
class ICommandTarget {
public:
    virtual ~ICommandTarget() = default;
    // Runs the command; false when it is not this target's.
    virtual bool OnCommand(uint32_t id) = 0;
    // The command's state; nullopt when it is not this target's.
    virtual std::optional<CommandState> QueryCommand(uint32_t id) const = 0;
};

// The texts of a command: the status-bar prompt (first line of the command
// string) and the tooltip (second line); both empty for unknown commands.
struct CommandText {
    QString m_prompt;
    QString m_tooltip;
};
CommandText GetCommandText(uint32_t id);

}  // namespace volcatra
