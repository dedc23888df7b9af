#include "browsing/CatalogueDocument.h"

#include "ui/SysImageList.h"

namespace volcatra {

CatalogueServices CCatalogueDocument::WithPictures(CatalogueServices services, std::shared_ptr<CQtPictureList*> slot) {
    services.m_makePictures = [slot]() -> std::unique_ptr<IPictureList> {
        auto pictures = std::make_unique<CQtPictureList>();
        *slot = pictures.get();
        return pictures;
    };
    return services;
}

CCatalogueDocument::CCatalogueDocument(CatalogueServices services)
    : CCatalogueDocument(std::move(services), std::make_shared<CQtPictureList*>(nullptr)) {}

CCatalogueDocument::CCatalogueDocument(CatalogueServices services, std::shared_ptr<CQtPictureList*> slot)
    : CFSRecDoc(WithPictures(services, slot)),
      m_slot(std::move(slot)),
      m_pictures(*m_slot),
      m_canRead(bool(services.m_readAdditional)),
      m_canSearch(bool(services.m_openSearchWindow)) {}

QIcon CCatalogueDocument::Picture(int position) const {
    return m_pictures ? m_pictures->Icon(position) : QIcon();
}

QIcon CCatalogueDocument::RootPicture(int iconNumber, const CRootEntry& root) {
    return Picture(GetRootPicture(iconNumber, root));
}

int CCatalogueDocument::GetImageIndex(CRootEntry& root, int iconNumber, int typeIndex) {
    std::vector<QIcon>& images = m_rootImages[&root];
    const auto add = [&images](QIcon icon) {
        if (icon.isNull()) return -1;
        images.push_back(std::move(icon));
        return int(images.size()) - 1;
    };
    if (iconNumber >= 1) {
        const size_t d = size_t(iconNumber - 1);
        if (d < root.m_storeImageMap.size() && root.m_storeImageMap[d] != 0) return root.m_storeImageMap[d] - 1;
        const std::optional<CIconPair> pair = root.m_icons.GetIconPair(d);
        if (!pair) return -1;
        const int p = add(IconFromPair(*pair));
        if (p < 0 || p >= 0xFFFF) return -1;
        if (d >= root.m_storeImageMap.size()) root.m_storeImageMap.resize(d + 1, 0);
        root.m_storeImageMap[d] = uint16_t(p + 1);
        return p;
    }
    if (typeIndex < 0) return -1;
    const size_t t = size_t(typeIndex);
    if (t < root.m_sysImageMap.size() && root.m_sysImageMap[t] != 0) return root.m_sysImageMap[t] - 1;
    const int p = add(CSysImageList::Instance().Icon(typeIndex));
    if (p < 0 || p >= 0xFFFF) return -1;
    if (t >= root.m_sysImageMap.size()) root.m_sysImageMap.resize(t + 1, 0);
    root.m_sysImageMap[t] = uint16_t(p + 1);
    return p;
}

QIcon CCatalogueDocument::RootImage(const CRootEntry& root, int position) const {
    const auto it = m_rootImages.find(&root);
    if (it == m_rootImages.end() || position < 0 || size_t(position) >= it->second.size()) return {};
    return it->second[size_t(position)];
}

void CCatalogueDocument::PruneRootImages() {
    for (auto it = m_rootImages.begin(); it != m_rootImages.end();) {
        if (FindRoot(it->first) < 0)
            it = m_rootImages.erase(it);
        else
            ++it;
    }
}

bool CCatalogueDocument::OnCommand(uint32_t id) {
    switch (id) {
        case ID_FILE_SAVE:
            DoFileSave();
            return true;
        case ID_FILE_SAVE_AS:
            DoSave(std::string(), true);
            return true;
        default:
            break;
    }
    const std::optional<CommandState> state = QueryCommand(id);
    if (!state) return false;
    if (state->m_enabled) CFSRecDoc::OnCommand(id);
    return true;
}

std::optional<CommandState> CCatalogueDocument::QueryCommand(uint32_t id) const {
    if (id == ID_FILE_SAVE || id == ID_FILE_SAVE_AS) return CommandState{true, false};
    // Without the reading or the search window the commands cannot run.
    if (id == ID_READ_ADDITIONAL && !m_canRead) return CommandState{false, false};
    if (id == ID_EDIT_FIND && !m_canSearch) return CommandState{false, false};
    const std::optional<bool> enabled = IsCommandEnabled(id);
    if (!enabled) return std::nullopt;
    return CommandState{*enabled, false};
}

}  // namespace volcatra
