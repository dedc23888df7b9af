// The save dialog with its choice of file format. CFileSaveDialog holds the
// dialog's logic (the extensions of the file types, the warning before a
// listing is saved, the extension switching when the type changes); the
// platform's save-file dialog is behind ISaveDialogHost.
#pragma once

#include <string>
#include <vector>

#include "model/UiText.h"
#include "platform/MessageService.h"

namespace volcatra {

inline constexpr UiText kSaveAsTitle = VOLCATRA_TEXT("Document", "名前を付けて保存");
inline constexpr UiText kCatalogueSaveFilter =
    VOLCATRA_TEXT("Document",
                  "メディア構成 ファイル (*.fsr)|*.fsr|CSV ファイル (*.csv)|*.csv|"
                  "テキストファイル (スペース区切り) (*.prn)|*.prn|すべてのファイル (*.*)|*.*|");
inline constexpr char16_t kCatalogueExtension[] = u".fsr";
inline constexpr UiText kListingWarningText = VOLCATRA_TEXT(
    "Document", "この形式で保存したファイルは、あとで開くことができません。\nこの形式のまま保存してよろしいですか？");

// One file type of a filter text: its description and its pattern.
struct FileTypeFilter {
    std::u16string m_description;
    std::u16string m_pattern;
};

class CFileSaveDialog;

// The platform's save-file dialog. It asks before it overwrites an existing
// file and has no read-only box. Run shows the dialog's title, file types
// (Filters), default extension, proposed name and preselected type. While it
// runs: when the user picks another file type, it puts OnTypeChange's result
// for the name as the user left it into the name field, in place of any
// change the platform's dialog makes itself, so that the name is adjusted
// once; a name confirmed without an extension gets ExtensionOf the chosen
// type; when the user confirms a name, it calls Confirm and keeps the dialog
// open when that returns false. Returns whether a name was confirmed.
class ISaveDialogHost {
public:
    virtual ~ISaveDialogHost() = default;
    virtual bool Run(CFileSaveDialog& dialog) = 0;
};

class CFileSaveDialog {
public:
    // typeIndex counts the file types of the filter from 1.
    CFileSaveDialog(IMessageService& messages, std::u16string title, std::u16string filter,
                    std::u16string defaultExtension, std::u16string fileName, int typeIndex);

    const std::u16string& Title() const { return m_title; }
    const std::u16string& Filter() const { return m_filter; }
    const std::u16string& DefaultExtension() const { return m_defaultExtension; }
    const std::u16string& FileName() const { return m_fileName; }
    int TypeIndex() const { return m_typeIndex; }

    // The file types of the filter text "desc|pattern|desc|pattern|...|".
    std::vector<FileTypeFilter> Filters() const;
    // The extension of each file type, from the filter text: for each "|*."
    // the dot and the three characters after it, up to the first pattern
    // "*.*" (".fsr", ".csv", ".prn" for the catalogue's filter).
    const std::vector<std::u16string>& Extensions() const { return m_extensions; }
    // The extension a name saved with file type typeIndex gets: the type's
    // own, or the first one for a type without one (the all-files type).
    std::u16string ExtensionOf(int typeIndex) const;

    // The name to show after the user switched to file type typeIndex while
    // the name field held name: an extension of at most three characters
    // after the name's last dot is replaced by the type's, otherwise the
    // type's extension is appended (the first one for a type without one,
    // as for the all-files type).
    std::u16string OnTypeChange(const std::u16string& name, int typeIndex);
    // The user confirmed path with file type typeIndex. For the listing
    // types asks whether to save in a format that cannot be opened again;
    // false keeps the dialog open.
    bool Confirm(std::u16string path, int typeIndex);

    // Runs the dialog; true when the user confirmed a name.
    bool DoModal(ISaveDialogHost& host);
    // The confirmed full path and file type.
    const std::u16string& GetPathName() const { return m_pathName; }

private:
    IMessageService& m_messages;
    std::u16string m_title;
    std::u16string m_filter;
    std::u16string m_defaultExtension;
    std::u16string m_fileName;
    int m_typeIndex;
    std::vector<std::u16string> m_extensions;
    std::u16string m_pathName;
};

}  // namespace volcatra
