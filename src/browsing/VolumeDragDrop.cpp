#include "browsing/VolumeDragDrop.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>

#include "browsing/CatalogueDocument.h"
#include "ui/QtServices.h"

namespace volcatra {

std::optional<std::vector<uint8_t>> CMimeVolumeData::GetVolumeData() const {
    if (!HasVolumeData()) return std::nullopt;
    const QByteArray bytes = m_data->data(QString::fromLatin1(kVolumeMimeType));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool CMimeVolumeData::HasVolumeData() const {
    return m_data && m_data->hasFormat(QString::fromLatin1(kVolumeMimeType));
}

QMimeData* MakeVolumeMimeData(const std::vector<uint8_t>& bytes) {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kVolumeMimeType),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    return data;
}

uint32_t ProposedVolumeDrop(const CCatalogueDocument& document, const QMimeData* data,
                            Qt::KeyboardModifiers modifiers) {
    if (document.IsBeingSearched()) return DROPEFFECT_NONE;
    return CFSRecDoc::ProposedDropEffect(CMimeVolumeData(data), modifiers.testFlag(Qt::ControlModifier));
}

Qt::DropAction DropActionOf(uint32_t effect) {
    switch (effect) {
        case DROPEFFECT_COPY:
            return Qt::CopyAction;
        case DROPEFFECT_MOVE:
            return Qt::MoveAction;
        default:
            return Qt::IgnoreAction;
    }
}

uint32_t DropEffectOf(Qt::DropAction action) {
    switch (action) {
        case Qt::CopyAction:
            return DROPEFFECT_COPY;
        case Qt::MoveAction:
            return DROPEFFECT_MOVE;
        default:
            return DROPEFFECT_NONE;
    }
}

void VolumeDragOver(const CCatalogueDocument& document, QDragMoveEvent* event) {
    const uint32_t effect = ProposedVolumeDrop(document, event->mimeData(), event->modifiers());
    if (effect == DROPEFFECT_NONE || !(event->possibleActions() & DropActionOf(effect))) {
        event->ignore();
        return;
    }
    event->setDropAction(DropActionOf(effect));
    event->accept();
}

void VolumeDrop(CCatalogueDocument& document, QDropEvent* event) {
    const uint32_t effect = ProposedVolumeDrop(document, event->mimeData(), event->modifiers());
    if (effect == DROPEFFECT_NONE || !(event->possibleActions() & DropActionOf(effect))) {
        event->ignore();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool accepted = document.DropVolume(CMimeVolumeData(event->mimeData()));
    QApplication::restoreOverrideCursor();
    if (!accepted) {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return;
    }
    event->setDropAction(DropActionOf(effect));
    event->accept();
}

bool CommitOpenEditor(QAbstractItemView* view) {
    if (!view) return false;
    // Editors opened by the view are children of its viewport.
    for (QLineEdit* editor : view->viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)) {
        if (!editor->isVisible()) continue;
        // The view answers its delegates' signals for whichever editor they
        // name: the text goes to the model, then the editor closes.
        QAbstractItemDelegate* delegate = view->itemDelegate();
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
        return true;
    }
    return false;
}

}  // namespace volcatra
