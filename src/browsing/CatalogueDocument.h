// The catalogue document as the desktop program holds it: the logic document
// with its picture lists and the per-volume picture caches of the file list,
// and the document's place in the command chain.
#pragma once

#include <QIcon>
#include <memory>
#include <unordered_map>
#include <vector>

#include "document/FSRecDoc.h"
#include "ui/Commands.h"
#include "ui/QtServices.h"

namespace volcatra {

class CCatalogueDocument : public CFSRecDoc, public ICommandTarget {
public:
    // services.m_makePictures is replaced: the document makes Qt picture lists.
    explicit CCatalogueDocument(CatalogueServices services);

    // The picture at a position of the document's lists.
    QIcon Picture(int position) const;
    // The root's picture for a volume node, or a stored icon's for a node
    // with one; a null icon when there is none.
    QIcon RootPicture(int iconNumber, const CRootEntry& root);

    // The position of a file's picture in the root's own lists: its stored
    // icon (iconNumber >= 1) or the system picture typeIndex; -1 on failure.
    int GetImageIndex(CRootEntry& root, int iconNumber, int typeIndex);
    QIcon RootImage(const CRootEntry& root, int position) const;
    // Forgets the picture caches of roots that are no longer in the list.
    void PruneRootImages();

    bool OnCommand(uint32_t id) override;
    std::optional<CommandState> QueryCommand(uint32_t id) const override;

    // The message boxes of the document, for the commands of its views.
    using CFSRecDoc::Messages;

private:
    CCatalogueDocument(CatalogueServices services, std::shared_ptr<CQtPictureList*> slot);
    static CatalogueServices WithPictures(CatalogueServices services, std::shared_ptr<CQtPictureList*> slot);

    std::shared_ptr<CQtPictureList*> m_slot;
    CQtPictureList* m_pictures = nullptr;
    // Whether the application offers the additional read and the search.
    bool m_canRead = false;
    bool m_canSearch = false;
    std::unordered_map<const CRootEntry*, std::vector<QIcon>> m_rootImages;
};

}  // namespace volcatra
