// What a drag started by the core carries: the window and control it started from, so the
// control it ends on can name them in its core events.
#pragma once

#include <QMimeData>
#include <QString>

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

}  // namespace velmora::qt
