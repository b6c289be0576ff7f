#pragma once

#include "Models/SendLogEntry.h"
#include "Views/Widgets/KeyboardFocus.h"

#include <QPixmap>
#include <QPoint>
#include <QWidget>

#include <memory>

class AppState;
class DesignThumbnail;
class FileExistence;
class HeaderButton;
class PreviewCache;
class QAction;
class QGraphicsOpacityEffect;
class QMenu;
class QMimeData;
class StatusMarked;
class StyledLabel;
class SymbolView;

// One recent send: the design's thumbnail with an ok/failed badge, the file name and what
// became of it. It can be dragged onto the drop zone to send the file again, and offers
// "Send Again", "Show in Folder" and "Remove from Recents" from a menu button shown while the
// pointer is over the card and from its context menu. Whether the file still exists is asked
// of the file system each time the card is drawn; a missing file dims the card and disables
// what needs the file. From the keyboard a card is one Tab stop: Space, Return, the context
// menu key and Shift+F10 open its menu.
class RecentSendCard : public QWidget {
    Q_OBJECT

public:
    // `existence` and `cache` default to the program's shared ones.
    RecentSendCard(AppState& appState, const SendLogEntry& entry, QWidget* parent = nullptr,
                   FileExistence* existence = nullptr, PreviewCache* cache = nullptr);

    const SendLogEntry& entry() const { return m_entry; }
    void setEntry(const SendLogEntry& entry);

    // The file's name: the last component of its URL.
    QString fileName() const;
    // Whether the file existed when the card was last drawn.
    bool exists() const { return m_exists; }
    bool isHovering() const { return m_isHovering; }
    bool isFocusRingVisible() const { return m_focus.isVisible(hasFocus()); }
    // Whether a drag of this card is under way.
    bool isDragging() const { return m_isDragging; }

    // The subtitle as it reads now.
    QString subtitle() const;
    // The background's fill opacity (0.08 hovered, 0.045 otherwise) and the whole card's.
    double backgroundOpacity() const;
    // The rounded background and its edge, for the card's size, look and display.
    QPixmap background() const;
    double cardOpacity() const { return m_exists ? 1.0 : missingOpacity; }

    StatusMarked* statusMarked() const { return m_marked; }
    DesignThumbnail* thumbnail() const { return m_thumbnail; }
    StyledLabel* nameLabel() const { return m_name; }
    StyledLabel* subtitleLabel() const { return m_subtitle; }
    HeaderButton* moreButton() const { return m_more; }
    // The orange mark of a design larger than its machine's area; hidden for any other send.
    SymbolView* oversizeMark() const { return m_oversize; }
    // The design's size, stitches and colours once its preview is known; empty before or
    // without one.
    QString designFacts() const;
    // The one menu behind both the "More" button and the context menu, made on first use.
    QMenu* actionsMenu();
    QAction* sendAgainAction() { return actionsMenu(), m_sendAgain; }
    QAction* showInFolderAction() { return actionsMenu(), m_showInFolder; }
    QAction* removeAction() { return actionsMenu(), m_remove; }

    // Asks the file system again and updates the card and its actions at once (within a short
    // wait; see FileExistence).
    void refresh();

    // The thumbnail is loaded only once the card is drawn, that is in view.
    void showThumbnail();
    bool isThumbnailShown() const;

    // What a drag of the card carries: the entry's id under the recent-send type, with the file
    // name as the suggested name, when the file exists; nothing any drop target takes when not.
    std::unique_ptr<QMimeData> dragData();
    // The picture under the pointer while dragging: the card as for an existing file, resting,
    // at the drag width.
    QPixmap dragImage();

    static constexpr int dragImageWidth = 336;
    // Dimmed, a missing file's card still reads at 3:1, as disabled controls do.
    static constexpr double missingOpacity = 0.72;
    // How long a notice ("No file manager to show it in") stands in for the subtitle.
    static constexpr int noticeMs = 4000;
    static constexpr double cornerRadius = 10;
    // The suggested name of the dragged item travels beside it under this type.
    static inline const QString suggestedNameType =
        QStringLiteral("application/x-bobbinlark-suggested-name");

public slots:
    // Opens the actions menu under the "More" button.
    void showMenu();

signals:
    void dragFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void setHovering(bool hovering);
    // "More" shows while the pointer is over the card, the card has the focus or its menu is open.
    void updateMoreButton();
    // Shows the state for `exists` (texts, tooltip, opacity, actions).
    void applyLook(bool exists);
    void updateActions();
    QString subtitleFor(bool exists) const;
    // The tooltip and accessible description, from the look, the preview and the warning.
    void describe();
    // Says something briefly in place of the subtitle.
    void showNotice(const QString& notice);
    // " · TIME" of a sent design's subtitle.
    QString timeSuffix() const;
    void startDrag();

    AppState& m_appState;
    SendLogEntry m_entry;
    FileExistence* m_existence;
    bool m_exists = false;
    bool m_isHovering = false;
    bool m_isDragging = false;
    std::optional<QPoint> m_pressPosition;
    std::optional<QString> m_notice;
    bool m_lookPending = false;
    bool m_thumbnailPending = false;

    StatusMarked* m_marked = nullptr;
    DesignThumbnail* m_thumbnail = nullptr;
    StyledLabel* m_name = nullptr;
    StyledLabel* m_subtitle = nullptr;
    HeaderButton* m_more = nullptr;
    SymbolView* m_oversize = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_sendAgain = nullptr;
    QAction* m_showInFolder = nullptr;
    QAction* m_remove = nullptr;
    QGraphicsOpacityEffect* m_dimming = nullptr;
    KeyboardFocus m_focus;
};
