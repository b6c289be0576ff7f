#include "Views/DesignThumbnail.h"

#include "Designs/PreviewCache.h"
#include "Designs/StitchFileTypes.h"
#include "Support/Drawing/StitchPreviewPainter.h"

#include <QCoroTask>
#include <QEvent>
#include <QPainter>
#include <QPointer>

DesignThumbnail::DesignThumbnail(const QUrl& url, qreal size, QWidget* parent, PreviewCache* cache)
    : QWidget(parent)
    , m_url(url)
    , m_size(size)
    , m_cache(cache ? cache : &PreviewCache::shared()) {
    const int side = qCeil(size);
    setFixedSize(side, side);
}

void DesignThumbnail::setUrl(const QUrl& url) {
    if (url == m_url)
        return;
    // The old picture stays until the new answer arrives.
    m_url = url;
    if (m_loadStarted)
        startLoad();
}

void DesignThumbnail::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_loadStarted)
        startLoad();
}

void DesignThumbnail::startLoad() {
    m_loadStarted = true;
    load(this, m_cache, m_url, ++m_loadGeneration);
}

QCoro::Task<> DesignThumbnail::load(QPointer<DesignThumbnail> view, PreviewCache* cache, QUrl url,
                                    quint64 generation) {
    std::optional<StitchPreview> preview = co_await cache->preview(url);
    // The view may be gone, or its file changed while this load waited.
    if (!view || generation != view->m_loadGeneration)
        co_return;
    view->m_preview = std::move(preview);
    view->m_loaded = true;
    // Drawn now and the stitches let go: fifty cards of a large design would otherwise hold
    // fifty copies of its vectors for pictures a few dozen pixels wide.
    view->drawTile();
    // A fresh vector, not `{}`: assigning an empty list keeps the capacity.
    if (view->m_preview) {
        view->m_preview->points = std::vector<StitchPreview::Point>();
        view->m_preview->runs = std::vector<StitchPreview::Run>();
    }
    view->update();
    emit view->loaded();
}

bool DesignThumbnail::stitchesLetGo() const {
    return m_loaded && m_preview && m_preview->runs.empty();
}

bool DesignThumbnail::tileIsCurrent() const {
    return !m_tile.isNull() && m_tile.devicePixelRatio() == devicePixelRatioF() &&
           m_tile.deviceIndependentSize() == QSizeF(size());
}

void DesignThumbnail::drawTile() {
    const qreal ratio = devicePixelRatioF();
    m_tile = QPixmap(size() * ratio);
    m_tile.setDevicePixelRatio(ratio);
    m_tile.fill(Qt::transparent);
    QPainter tile(&m_tile);
    const QRectF square((width() - m_size) / 2, (height() - m_size) / 2, m_size, m_size);
    StitchPreviewPainter::paintTile(tile, square, m_preview, m_loaded,
                                    StitchFileTypes::extensionOf(m_url), palette(), font());
}

void DesignThumbnail::paintEvent(QPaintEvent*) {
    if (!tileIsCurrent()) {
        // The stitches went once drawn: a new screen or palette asks the cache for them again,
        // and the old picture shows meanwhile.
        if (stitchesLetGo() && !m_tile.isNull())
            startLoad();
        else
            drawTile();
    }
    QPainter painter(this);
    painter.drawPixmap(QRectF(rect()), m_tile, QRectF(m_tile.rect()));
}

void DesignThumbnail::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        if (stitchesLetGo())
            startLoad(); // the old picture shows until the new one is drawn
        else
            m_tile = QPixmap();
    }
    QWidget::changeEvent(event);
}
