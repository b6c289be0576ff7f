#pragma once

#include "Models/SendLogEntry.h"
#include "Support/Desktop/Style.h"
#include "Views/Widgets/KeyboardFocus.h"

#include <QByteArray>
#include <QList>
#include <QUrl>
#include <QWidget>

#include <optional>

class AppState;
class DesignFileChooser;
class DropZonePages;
class QFileDialog;
class QMimeData;
class QProgressBar;
class QPushButton;
class QVariantAnimation;
class StyledLabel;

// The rounded panel designs are dropped on. It shows what the send pipeline is doing, says
// where designs will go when idle, and turns the accent colour while a drag of files (or of a
// recent send from this program) is over it. Dropped items are resolved to file URLs in drop
// order and handed to the pipeline in one request. It is also a Tab stop: a click, Return or
// Space opens the desktop's file chooser for design files, so designs can be sent without a
// drag.
class DropZone : public QWidget {
    Q_OBJECT

public:
    // One dropped item: a file URL, or a recent send naming its log entry.
    struct Item {
        std::optional<QUrl> url;
        std::optional<QByteArray> recentSend;
    };

    // What the panel shows.
    enum class Content { targeted, idle, sending, sent, error };

    explicit DropZone(AppState& appState, QWidget* parent = nullptr);

    bool isTargeted() const { return m_isTargeted; }
    Content content() const { return m_content; }

    // The visible texts and pieces, for tests and the gallery.
    QString iconName() const;
    QString title() const;
    QString detail() const;
    // Under a sent summary: the designs larger than their machine's area, one per line.
    QString warning() const;
    QString sendingLine() const;
    QString indexLine() const;
    QProgressBar* progressBar() const { return m_progress; }
    QPushButton* okButton() const { return m_ok; }
    bool isFocusRingVisible() const { return m_focus.isVisible(hasFocus()); }
    // The file chooser, while one is open.
    QFileDialog* fileChooser() const;
    // Whether a change is still animating.
    bool isAnimating() const;

    // The items of a drag's data, in order: a recent send (only when the drag is this
    // process's own) stands alone; otherwise one item per URL.
    static QList<Item> items(const QMimeData* data, bool fromThisProcess);
    // Whether the data offers something this panel takes.
    static bool accepts(const QMimeData* data, bool fromThisProcess);

    // Takes the items now and, on the next turn of the event loop, resolves them against the
    // recent sends as they are at this moment and sends what resolved in one request.
    // Always true: the drop is accepted before its items are resolved.
    bool handleDrop(const QList<Item>& dropped);
    // A recent send resolves to its entry's file when the entry is still in `recents`; a URL
    // resolves to itself when it is a file URL. Anything else is left out.
    static std::optional<QUrl> loadURL(const Item& item, const QList<SendLogEntry>& recents);

    // Opens the file chooser for design files (the desktop portal's, else Qt's); what is chosen
    // is sent as a drop would be.
    void chooseFiles();

    static constexpr int targetedAnimationMs = 120;
    static constexpr int statusAnimationMs = 150;

public slots:
    // Pressed from assistive technology: as a click.
    void activate() { chooseFiles(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void setTargeted(bool targeted);
    void refresh();
    // Fills the bar with the files done and the part of the current one sent.
    void showProgress();
    void showMessage(const QString& icon, Style::Tone tone, const QString& title,
                     const QString& detail);
    void sendChosen(const QList<QUrl>& files);

    AppState& m_appState;
    bool m_isTargeted = false;
    Content m_content = Content::idle;
    // 0 = resting look, 1 = targeted look; animated between.
    double m_targetedAmount = 0;
    QVariantAnimation* m_targetedAnimation;
    DropZonePages* m_pages;
    // The parts of the pages that tell what shows, and those the state drives.
    StyledLabel* m_title;
    StyledLabel* m_detail;
    StyledLabel* m_sendingLine;
    QProgressBar* m_progress;
    QPushButton* m_ok;
    KeyboardFocus m_focus;
    DesignFileChooser* m_chooser;
};
