// What a drag started by the core carries: the window and control it started from, so the
// control it ends on can name them in its core events.
#pragma once

#include <QMimeData>
#include <QString>

class QDrag;
class QWidget;

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace velmora::qt {

inline const QString kDragSourceFormat = QStringLiteral("application/x-velmora-drag-source");

struct DragSource {
    std::string form;
    std::string control;
};

std::unique_ptr<QMimeData> dragSourceData(const DragSource& source);
// The source a drag names, or none for a drag from elsewhere (another program, a file).
std::optional<DragSource> dragSourceOf(const QMimeData* data);

// Carries a started drag to its end (QDrag::exec, or a stand-in where the platform has none).
using DragLoop = std::function<void(QDrag&)>;

// Arms a drag from `source` for the press being handled now: it starts once the mouse moves
// the platform's drag distance with the left button held, and is dropped when the button is
// released first, so a plain click on a row stays a click. A newer press replaces it.
void dragOnMove(QWidget* source, DragSource what, DragLoop loop);

}  // namespace velmora::qt
