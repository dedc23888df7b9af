// Volumes dragged between and within catalogue windows: what both views do
// when dragged data is over them or dropped on them, when a volume item
// starts a drag, and how an in-place edit still open is committed.
#pragma once

#include <QMimeData>
#include <Qt>
#include <cstdint>

#include "document/VolumeClipboard.h"

class QAbstractItemView;
class QDragMoveEvent;
class QDropEvent;

namespace volcatra {

class CCatalogueDocument;
class CRootEntry;

// Dragged or pasted Qt data as the document reads it.
class CMimeVolumeData : public IDataSource {
public:
    explicit CMimeVolumeData(const QMimeData* data) : m_data(data) {}
    std::optional<std::vector<uint8_t>> GetVolumeData() const override;
    bool HasVolumeData() const override;

private:
    const QMimeData* m_data;
};

// Qt data that carries one volume payload.
QMimeData* MakeVolumeMimeData(const std::vector<uint8_t>& bytes);

// The effect a view offers for the data: none without a volume or while the
// catalogue is being searched; copy with Ctrl held, move otherwise.
uint32_t ProposedVolumeDrop(const CCatalogueDocument& document, const QMimeData* data, Qt::KeyboardModifiers modifiers);

// Drag enter and drag move over a view of the document.
void VolumeDragOver(const CCatalogueDocument& document, QDragMoveEvent* event);
// A drop on a view of the document: the volume is added (or left to the
// drag that started in this catalogue); refused when it cannot be read.
void VolumeDrop(CCatalogueDocument& document, QDropEvent* event);

// Qt's action for a drop effect and back.
Qt::DropAction DropActionOf(uint32_t effect);
uint32_t DropEffectOf(Qt::DropAction action);

// Commits the text of an in-place editor still open in the view; false when
// none was open.
bool CommitOpenEditor(QAbstractItemView* view);

}  // namespace volcatra
