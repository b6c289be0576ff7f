#pragma once

#include "Support/Desktop/Style.h"

#include <QList>
#include <QString>
#include <QWidget>

class ControlButton;
class QGraphicsOpacityEffect;
class QLabel;
class QProgressBar;
class QStackedLayout;
class QVariantAnimation;
class StyledLabel;

// What the drop zone shows, one page at a time: a message (a symbol, a title, warning lines, a
// detail, and an OK button for an error) or a send under way (a thin bar, the file being sent
// and "I of N"). A change fades in. The drop zone decides what to show; this only shows it.
class DropZonePages : public QWidget {
    Q_OBJECT

public:
    explicit DropZonePages(QWidget* parent = nullptr);

    // The message page, with `symbol` in `tone`; an empty title or detail is hidden.
    void showMessage(const QString& symbol, Style::Tone tone, const QString& title,
                     const QString& detail);
    // Lines for the warnings under the title: the room there is.
    static constexpr int warningLines = 2;
    // Orange `lines` under the title (at most warningLines), which say `warnings`: one per
    // design larger than its machine's area, where they fit.
    void showWarnings(const QStringList& lines, const QStringList& warnings);
    void setOkVisible(bool visible);
    // The sending page; an empty count (a single file) is hidden.
    void showSending(const QString& line, const QString& count);
    // Fades the page in from nothing, unless the pages are hidden.
    void fadeIn(int durationMs);
    bool isFading() const;

    QString symbol() const { return m_symbol; }
    StyledLabel* titleLabel() const { return m_title; }
    StyledLabel* detailLabel() const { return m_detail; }
    // The warning lines shown, one per line.
    QString warning() const;
    StyledLabel* sendingLabel() const { return m_sendingLine; }
    // "I of N", or nothing while it is hidden.
    QString count() const;
    QProgressBar* progressBar() const { return m_progress; }
    ControlButton* okButton() const { return m_ok; }

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateSymbol();
    // Shows the message's symbol where the page has room for it with the texts, else hides it.
    void fitMessage();

    QStackedLayout* m_pages;
    QVariantAnimation* m_fade;
    QGraphicsOpacityEffect* m_fadeEffect;
    // The message page.
    QWidget* m_messagePage;
    QLabel* m_icon;
    StyledLabel* m_title;
    StyledLabel* m_detail;
    // One label per warning line, so that each design keeps a line of its own.
    QWidget* m_warningBox;
    QList<StyledLabel*> m_warnings;
    QWidget* m_okRow;
    ControlButton* m_ok;
    QString m_symbol;
    Style::Tone m_symbolTone = Style::Tone::secondary;
    // The sending page.
    QWidget* m_sendingPage;
    QProgressBar* m_progress;
    StyledLabel* m_sendingLine;
    StyledLabel* m_count;
};
