#include "qt/drag_source.h"

#include <QApplication>
#include <QByteArray>
#include <QCursor>
#include <QDrag>
#include <QList>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

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

namespace {

class PendingDrag : public QObject {
public:
    PendingDrag(QWidget* source, DragSource what, DragLoop loop)
        : QObject(source),
          m_source(source),
          m_what(std::move(what)),
          m_loop(std::move(loop)),
          m_origin(QCursor::pos()) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            end();
        } else if (event->type() == QEvent::MouseMove) {
            const auto* move = static_cast<QMouseEvent*>(event);
            if (!(move->buttons() & Qt::LeftButton)) {
                end();
            } else if ((move->globalPosition().toPoint() - m_origin).manhattanLength() >=
                       QApplication::startDragDistance()) {
                end();
                run();
                return true;
            }
        }
        return false;
    }

private:
    void end() {
        qApp->removeEventFilter(this);
        deleteLater();
    }

    void run() {
        auto* drag = new QDrag(m_source);  // a child of the source until the drag has ended
        drag->setMimeData(dragSourceData(m_what).release());
        if (m_loop)
            m_loop(*drag);
        else
            drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        drag->deleteLater();
    }

    QWidget* m_source;
    DragSource m_what;
    DragLoop m_loop;
    QPoint m_origin;
};

QPointer<PendingDrag>& pendingDrag() {
    static QPointer<PendingDrag> pending;
    return pending;
}

}  // namespace

void dragOnMove(QWidget* source, DragSource what, DragLoop loop) {
    QPointer<PendingDrag>& pending = pendingDrag();
    if (pending)
        pending->deleteLater();
    pending = new PendingDrag(source, std::move(what), std::move(loop));
}

}  // namespace velmora::qt
