#include "Views/RecentSendDrag.h"

#include <QList>
#include <QMimeData>
#include <QPointer>

namespace RecentSendDrag {

namespace {

// The drag data this process made and that still exists. Foreign data arrives as objects Qt
// makes for the drop, never as one of these.
QList<QPointer<QMimeData>>& ownData() {
    static QList<QPointer<QMimeData>> list;
    return list;
}

} // namespace

std::unique_ptr<QMimeData> makeData(const QUuid& id) {
    auto data = std::make_unique<QMimeData>();
    data->setData(mimeType, id.toString(QUuid::WithoutBraces).toUpper().toUtf8());
    QList<QPointer<QMimeData>>& list = ownData();
    list.removeAll(nullptr);
    list.append(data.get());
    return data;
}

bool carriesType(const QMimeData* data) {
    return data && data->hasFormat(mimeType);
}

bool isFromThisProcess(const QMimeData* data, const QObject* source) {
    if (source)
        return true;
    if (!data)
        return false;
    for (const QPointer<QMimeData>& own : ownData()) {
        if (own == data)
            return true;
    }
    return false;
}

std::optional<QUuid> entryID(const QMimeData* data) {
    if (!carriesType(data))
        return std::nullopt;
    return entryID(data->data(mimeType));
}

std::optional<QUuid> entryID(const QByteArray& bytes) {
    // Decoding replaces invalid sequences; only the canonical 36-character form is an id.
    const QString text = QString::fromUtf8(bytes);
    if (text.size() != 36)
        return std::nullopt;
    const QUuid id = QUuid::fromString(text);
    if (id.isNull())
        return std::nullopt;
    return id;
}

} // namespace RecentSendDrag
