#pragma once

#include <QHash>
#include <QList>
#include <QUuid>
#include <QWidget>

class AppState;
class FileExistence;
class PreviewCache;
class QAbstractButton;
class QScrollArea;
class QStackedLayout;
class QVBoxLayout;
class RecentSendCard;
class StyledLabel;

// The lower part of the main screen: a header ("Recent", a hint and "Clear" when there is
// something to clear) above the recent sends as cards, newest first, or a line saying that
// sent designs appear here. It follows the log as it changes: cards appear, leave and move
// with their entries. Each card loads its thumbnail when it is first drawn, so only the cards
// that scroll into view decode their designs.
class RecentSendsView : public QWidget {
    Q_OBJECT

public:
    // `existence` and `cache` default to the program's shared ones.
    explicit RecentSendsView(AppState& appState, QWidget* parent = nullptr,
                             FileExistence* existence = nullptr, PreviewCache* cache = nullptr);

    StyledLabel* titleLabel() const { return m_title; }
    StyledLabel* hintLabel() const { return m_hint; }
    QAbstractButton* clearButton() const { return m_clear; }
    StyledLabel* emptyLabel() const { return m_empty; }
    QScrollArea* scrollArea() const { return m_scroll; }

    // The cards in the order shown. The column is built lazily: the first cards at once, the
    // others a few at a time after each paint, so the panel shows without waiting for them.
    QList<RecentSendCard*> cards() const;
    RecentSendCard* cardFor(const QUuid& entryID) const { return m_cards.value(entryID); }

    static constexpr int cardSpacing = 6;
    // Before the view has a height: what fits under the drop zone of the panel.
    static constexpr int initialCards = 4;
    static constexpr int cardsPerTurn = 10;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void followLog();
    void updateClear();
    void retire(RecentSendCard* card);
    // After the first paint, the cards not yet built are built a batch per turn.
    void growAfterPaint();
    void growLater();

    AppState& m_appState;
    FileExistence* m_existence;
    PreviewCache* m_cache;
    StyledLabel* m_title;
    StyledLabel* m_hint;
    QAbstractButton* m_clear;
    QStackedLayout* m_body;
    StyledLabel* m_empty;
    QScrollArea* m_scroll;
    QWidget* m_column;
    QVBoxLayout* m_columnLayout;
    QHash<QUuid, RecentSendCard*> m_cards;
    qsizetype m_buildLimit = 0; // beyond the cards that fit the view
    bool m_growScheduled = false;
    bool m_pendingEntries = false;
};
