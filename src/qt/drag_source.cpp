#include "qt/drag_source.h"

#include <QByteArray>
#include <QList>

namespace velmora::qt {

std::unique_ptr<QMimeData> dragSourceData(const DragSource& source) {
    auto data = std::make_unique<QMimeData>();
    QByteArray bytes = QByteArray::fromStdString(source.form);
    bytes.append('\n');
    bytes.append(QByteArray::fromStdString(source.control));
    data->setData(kDragSourceFormat, bytes);
    return data;
}

std::optional<DragSource> dragSourceOf(const QMimeData* data) {
    if (data == nullptr || !data->hasFormat(kDragSourceFormat))
        return std::nullopt;
    const QList<QByteArray> parts = data->data(kDragSourceFormat).split('\n');
    if (parts.size() != 2)
        return std::nullopt;
    return DragSource{parts[0].toStdString(), parts[1].toStdString()};
}

}  // namespace velmora::qt
