#pragma once

#include <QList>
#include <QMimeData>
#include <QPoint>
#include <QUrl>

#include <memory>

class QWidget;

// Real drag-and-drop events sent to a widget the way the platform delivers them: enter, moves,
// leave and drop, each carrying the given data.
namespace DragEvents {

// Data with the given URLs as text/uri-list.
std::unique_ptr<QMimeData> urls(const QList<QUrl>& urls);

// Enter then one move at `position` (the widget's centre when null); whether the move was
// accepted.
bool enter(QWidget* target, const QMimeData* data, QPoint position = {});
void leave(QWidget* target);
// A drop at `position` (the centre when null); whether it was accepted.
bool drop(QWidget* target, const QMimeData* data, QPoint position = {});
// Enter, move and drop in a row.
bool dragAndDrop(QWidget* target, const QMimeData* data);

} // namespace DragEvents
