#pragma once

#include "Support/StitchPreview.h"

#include <QCoroTask>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <optional>

class PreviewCache;
class QPainter;

// The square picture of a design on a recent-send card: its stitch runs scaled into the square
// on a light tile, or the file's extension when it has no preview. It loads its preview from
// the cache when shown and whenever its file changes.
class DesignThumbnail : public QWidget {
    Q_OBJECT

public:
    // `cache` defaults to the program's shared cache.
    explicit DesignThumbnail(const QUrl& url, qreal size = 40, QWidget* parent = nullptr,
                             PreviewCache* cache = nullptr);

    QUrl url() const { return m_url; }
    void setUrl(const QUrl& url);
    qreal side() const { return m_size; }
    const std::optional<StitchPreview>& preview() const { return m_preview; }
    bool isLoaded() const { return m_loaded; }

    // How a preview sits in a canvas: points map to (offsetX + x * scale, offsetY + y * scale).
    struct Placement {
        double scale = 1;
        double offsetX = 0;
        double offsetY = 0;
        double lineWidth = 0.6;
    };
    static Placement placement(const StitchPreview::Rect& bounds, QSizeF canvas);

    // Strokes the runs, scaled and centred, into a canvas of `canvas` size at the painter's
    // origin; later runs paint over earlier ones, as thread does.
    static void draw(const StitchPreview& preview, QPainter& painter, QSizeF canvas);

    // The whole tile in `square`: background, the preview (or, once loaded, the extension) and
    // the edge. Shared by the widget, the command-line tools and the file-manager thumbnailer.
    static void paintTile(QPainter& painter, const QRectF& square,
                          const std::optional<StitchPreview>& preview, bool loaded,
                          const QString& extension, const QPalette& palette, const QFont& font);

signals:
    // The cache answered for the current file.
    void loaded();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void startLoad();
    // Parameters rather than `this`: the view may be deleted while the cache decodes.
    static QCoro::Task<> load(QPointer<DesignThumbnail> view, PreviewCache* cache, QUrl url,
                              quint64 generation);

    QUrl m_url;
    qreal m_size;
    PreviewCache* m_cache;
    std::optional<StitchPreview> m_preview;
    bool m_loaded = false;
    bool m_loadStarted = false;
    quint64 m_loadGeneration = 0;
};
