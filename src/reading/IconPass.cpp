#include "reading/IconPass.h"

#include <new>
#include <vector>

#include "model/FileNameCodec.h"

namespace volcatra {

namespace {

bool IsShortcutName(const std::u16string& name) {
    const size_t dot = name.rfind(u'.');
    if (dot == std::u16string::npos) return false;
    std::u16string extension = name.substr(dot);
    for (char16_t& c : extension)
        if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
    return extension == u".LNK" || extension == u".PIF";
}

bool AskAbandon(IMessageService& messages) {
    return messages.Show(Tr(kIconReadErrorQuestion), MessageButtons::YesNo, MessageIcon::Question) ==
           MessageAnswer::Yes;
}

bool CancelConfirmed(IReadProgress* progress, IMessageService& messages) {
    return progress && progress->TakeCancelRequest() &&
           messages.Show(Tr(kCancelReadQuestion), MessageButtons::YesNo, MessageIcon::Question) == MessageAnswer::Yes;
}

std::string JoinPath(const std::string& folder, const std::u16string& name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') path += '/';
    AppendFileName(path, name);
    return path;
}

// Visits the entries of a folder's list from the last to the first and
// descends into subfolders, with an explicit stack (a tree's depth comes
// from the medium).
bool ReadFolderIcons(CRootEntry& root, const std::string& folderPath, int32_t listIndex, IReadProgress* progress,
                     IMessageService& messages, IIconSource& source) {
    struct Level {
        std::string path;
        CFileArray* list;
        size_t remaining;
    };
    std::vector<Level> stack;
    auto push = [&](const std::string& path, int32_t index) {
        if (index < 0 || size_t(index) >= root.m_folders.size() || !root.m_folders[size_t(index)]) return;
        CFileArray* list = root.m_folders[size_t(index)].get();
        stack.push_back(Level{path, list, list->m_entries.size()});
    };
    push(folderPath, listIndex);
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.remaining == 0) {
            stack.pop_back();
            continue;
        }
        CFileEntry& entry = level.list->m_entries[--level.remaining];
        if (CancelConfirmed(progress, messages)) return false;
        const std::string path = JoinPath(level.path, entry.m_name.str());
        const int number = AddFileIcon(root.m_icons, source, messages, path, entry.m_name.str(), entry.m_attributes);
        if (number < 0) return false;
        entry.m_iconNumber = int16_t(number);
        if (progress) progress->StepIt();
        // Archive member lists are never visited: their entries keep 0.
        if (entry.m_attributes & FA_DIRECTORY) push(path, entry.m_childIndex);
    }
    return true;
}

}  // namespace

int AddFileIcon(CIconList& icons, IIconSource& source, IMessageService& messages, const std::string& fullPath,
                const std::u16string& name, uint16_t attributes) {
    if (IsShortcutName(name)) {
        const std::optional<CStoredImage> typeIcon = source.TypeIcon(name);
        if (!typeIcon) return AskAbandon(messages) ? -1 : 0;
        const int number = icons.AddCapturedIcon(*typeIcon, kCapturedShortcut);
        return number ? number : -1;
    }
    const FileIcon icon = source.OwnIcon(fullPath, name, attributes);
    switch (icon.kind) {
        case FileIconKind::TypeIcon:
            return 0;
        case FileIconKind::Error:
            return AskAbandon(messages) ? -1 : 0;
        case FileIconKind::Own:
            break;
    }
    const int number = icons.AddCapturedIcon(icon.image, 0);
    return number ? number : -1;
}

bool ReadIcons(CRootEntry& root, IReadProgress* progress, IMessageService& messages, IIconSource& source,
               const std::string& readPath, const std::string& rootPath) {
    try {
        if (progress) {
            progress->SetPhaseText(ReadPhase::Icons);
            progress->SetRange(uint64_t(root.m_fileCount) + root.m_folderCount);
            progress->SetStep(1);
            progress->SetPos(0);
        }
        if (CancelConfirmed(progress, messages)) return false;
        const std::optional<CStoredImage> driveIcon = source.DriveIcon(rootPath, root.m_driveType);
        if (!driveIcon) return false;
        CIconList& icons = root.m_icons;
        icons.m_indexMap.clear();
        icons.m_capturedIcons.clear();
        icons.m_capturedImages.clear();
        icons.AddCapturedIcon(*driveIcon, kCapturedDriveIcon);
        if (!ReadFolderIcons(root, readPath, root.m_childIndex, progress, messages, source)) return false;

        if (progress) {
            progress->SetPos(uint64_t(root.m_fileCount) + root.m_folderCount);
            progress->SetPhaseText(ReadPhase::IconsOrganising);
            progress->DisableCancel();
        }
        std::vector<uint16_t> remap;
        if (!icons.Organize(source.Overlay(), remap) || remap.empty()) return false;
        root.m_iconNumber = int16_t(uint16_t(remap[0] + 1));
        for (const auto& list : root.m_folders) {
            if (!list) continue;
            for (auto& entry : list->m_entries) {
                const int number = entry.m_iconNumber;
                if (number >= 1 && size_t(number) <= remap.size())
                    entry.m_iconNumber = int16_t(uint16_t(remap[size_t(number) - 1] + 1));
            }
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace volcatra
