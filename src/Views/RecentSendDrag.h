#pragma once

#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

class QMimeData;
class QObject;

// The private drag type by which a recent send refers to its log entry: the entry's id as its
// canonical text in UTF-8. Only drags this process started are honoured, so no other program
// can make us send a file by naming an id.
namespace RecentSendDrag {

inline const QString mimeType = QStringLiteral("application/x-bobbinlark-recent-send");

// The data of a drag of the entry with `id`, marked as this process's own.
std::unique_ptr<QMimeData> makeData(const QUuid& id);

// Whether `data` carries the recent-send type at all.
bool carriesType(const QMimeData* data);

// Whether the drag came from this process: Qt knows the drag's source (a drag we started), or
// the data is an object makeData() made and that still exists.
bool isFromThisProcess(const QMimeData* data, const QObject* source);

// The entry id the data names; absent when its text is not a UUID.
std::optional<QUuid> entryID(const QMimeData* data);
// The entry id in the bytes of a recent-send item.
std::optional<QUuid> entryID(const QByteArray& bytes);

} // namespace RecentSendDrag
