#include "support/DragEvents.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QWidget>

namespace DragEvents {

namespace {

QPoint at(QWidget* target, QPoint position) {
    return position.isNull() ? target->rect().center() : position;
}

constexpr Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;

} // namespace

std::unique_ptr<QMimeData> urls(const QList<QUrl>& urls) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

bool enter(QWidget* target, const QMimeData* data, QPoint position) {
    const QPoint point = at(target, position);
    QDragEnterEvent enterEvent(point, actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enterEvent);
    if (!enterEvent.isAccepted())
        return false;
    QDragMoveEvent move(point, actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    return move.isAccepted();
}

void leave(QWidget* target) {
    QDragLeaveEvent event;
    QApplication::sendEvent(target, &event);
}

bool drop(QWidget* target, const QMimeData* data, QPoint position) {
    QDropEvent event(QPointF(at(target, position)), actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
    return event.isAccepted();
}

bool dragAndDrop(QWidget* target, const QMimeData* data) {
    return enter(target, data) && drop(target, data);
}

} // namespace DragEvents
