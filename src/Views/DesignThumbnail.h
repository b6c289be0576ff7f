#pragma once

#include "Designs/StitchPreview.h"

#include <QCoroTask>
#include <QPixmap>
#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <optional>

class PreviewCache;

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
    // Its bounds and counts; the runs are let go once the tile is drawn.
    const std::optional<StitchPreview>& preview() const { return m_preview; }
    bool isLoaded() const { return m_loaded; }

    // The tile's picture is drawn by StitchPreviewPainter::paintTile, which the command-line
    // tools and the file-manager thumbnailer share without this widget.

signals:
    // The cache answered for the current file.
    void loaded();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void startLoad();
    // Drawn once, and its stitches freed: another drawing needs them from the cache again.
    bool stitchesLetGo() const;
    bool tileIsCurrent() const;
    void drawTile();
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
    // The last drawing of the tile, shown again until what it shows changes: a list that
    // scrolls repaints its thumbnails every frame.
    QPixmap m_tile;
};
