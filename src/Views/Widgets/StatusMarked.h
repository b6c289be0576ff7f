#pragma once

#include <QPointer>
#include <QWidget>

// A view with a small ok/failed badge on its bottom-trailing corner: a white check on a green
// disc, or a white exclamation mark on a red one. The badge hangs 4 pixels beyond the corner to
// the right and below, drawn over the neighbourhood rather than clipped, and the whole keeps
// 2 pixels free on its trailing side.
class StatusMarked : public QWidget {
    Q_OBJECT

public:
    static constexpr int badgeSize = 12;
    static constexpr int badgeOffset = 4;
    static constexpr int trailingPadding = 2;

    // Takes `content` as its child.
    StatusMarked(QWidget* content, bool ok, QWidget* parent = nullptr);
    ~StatusMarked() override;

    bool ok() const { return m_ok; }
    void setOk(bool ok);
    QWidget* content() const { return m_content; }
    // The badge: a child of this widget's parent, so it may reach past this widget's edges.
    QWidget* badge() const { return m_badge; }
    // The symbol the badge shows.
    QString badgeSymbol() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool event(QEvent* event) override;

private:
    class Badge;
    void placeBadge();

    QWidget* m_content;
    bool m_ok;
    QPointer<QWidget> m_badge;
};
