#include "Views/DesignThumbnail.h"

#include "Models/StitchFileTypes.h"
#include "Views/PreviewCache.h"

#include <QCoroTask>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include <algorithm>

namespace {

constexpr qreal cornerRadius = 7;

} // namespace

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
    view->update();
    emit view->loaded();
}

DesignThumbnail::Placement DesignThumbnail::placement(const StitchPreview::Rect& bounds,
                                                      QSizeF canvas) {
    const double w = canvas.width();
    const double h = canvas.height();
    Placement placed;
    // A design thinner than one unit is not blown up in that direction.
    placed.scale = std::min(w / std::max(bounds.width, 1.0), h / std::max(bounds.height, 1.0));
    placed.offsetX = (w - bounds.width * placed.scale) / 2 - bounds.x * placed.scale;
    placed.offsetY = (h - bounds.height * placed.scale) / 2 - bounds.y * placed.scale;
    placed.lineWidth = std::max(std::min(w, h) / 45, 0.6);
    return placed;
}

void DesignThumbnail::draw(const StitchPreview& preview, QPainter& painter, QSizeF canvas) {
    if (preview.runs.empty())
        return;
    const Placement placed = placement(preview.bounds, canvas);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    QPen pen(Qt::black, placed.lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    pen.setMiterLimit(10);
    QList<QPointF> mapped;
    for (const StitchPreview::Run& run : preview.runs) {
        mapped.clear();
        mapped.reserve(static_cast<qsizetype>(run.points.size()));
        // Points that move less than half a pixel on both axes cannot change what is drawn
        // at thumbnail size, and stroking them is what costs: they are left out, except the
        // run's last point.
        const std::size_t last = run.points.size() - 1;
        for (std::size_t i = 0; i <= last; ++i) {
            const QPointF point(placed.offsetX + run.points[i].x * placed.scale,
                                placed.offsetY + run.points[i].y * placed.scale);
            if (i > 0 && i < last && std::abs(point.x() - mapped.back().x()) < 0.5 &&
                std::abs(point.y() - mapped.back().y()) < 0.5)
                continue;
            mapped.append(point);
        }
        pen.setColor(QColor::fromRgb(run.color));
        painter.setPen(pen);
        painter.drawPolyline(mapped.constData(), static_cast<int>(mapped.size()));
    }
    painter.restore();
}

void DesignThumbnail::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF square((width() - m_size) / 2, (height() - m_size) / 2, m_size, m_size);
    paintTile(painter, square, m_preview, m_loaded, StitchFileTypes::extensionOf(m_url), palette(),
              font());
}

void DesignThumbnail::paintTile(QPainter& painter, const QRectF& square,
                                const std::optional<StitchPreview>& preview, bool loaded,
                                const QString& extension, const QPalette& palette,
                                const QFont& font) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = square.width();
    const QColor accent = palette.color(QPalette::Highlight);

    QPainterPath tile;
    tile.addRoundedRect(square, cornerRadius, cornerRadius);
    if (preview) {
        painter.fillPath(tile, QColor::fromRgbF(0.97f, 0.97f, 0.97f));
    } else {
        QColor tint = accent;
        tint.setAlphaF(0.14f);
        painter.fillPath(tile, tint);
    }

    if (preview) {
        const qreal inset = side * 0.1;
        painter.save();
        painter.translate(square.topLeft() + QPointF(inset, inset));
        draw(*preview, painter, QSizeF(side - 2 * inset, side - 2 * inset));
        painter.restore();

        // A hairline inside the edge so a light design still reads as a tile.
        QColor edge = palette.color(QPalette::WindowText);
        edge.setAlphaF(0.1f);
        painter.setPen(QPen(edge, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(square.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5,
                                cornerRadius - 0.5);
    } else if (loaded) {
        QFont bold = font;
        bold.setBold(true);
        bold.setPixelSize(std::max(1, qRound(side * 0.24)));
        painter.setFont(bold);
        painter.setPen(accent);
        painter.drawText(square, Qt::AlignCenter, extension.toUpper());
    }
    painter.restore();
}
