#include "Views/Widgets/StatusMarked.h"

#include "Support/Desktop/Style.h"
#include "Support/Desktop/Symbols.h"

#include <QEvent>
#include <QPainter>

// Painted over the content's corner from the parent's side, so nothing clips it.
class StatusMarked::Badge : public QWidget {
public:
    Badge(StatusMarked* owner, QWidget* parent)
        : QWidget(parent)
        , m_owner(owner) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFixedSize(badgeSize, badgeSize);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        // The mark is cut out of the symbol's disc: white underneath makes it a white mark.
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QRectF(rect()).adjusted(2, 2, -2, -2));
        const QColor disc =
            Style::color(m_owner->ok() ? Style::Tone::green : Style::Tone::red, palette());
        painter.drawPixmap(
            0, 0, Symbols::pixmap(m_owner->badgeSymbol(), badgeSize, disc, devicePixelRatioF()));
    }

private:
    StatusMarked* m_owner;
};

StatusMarked::StatusMarked(QWidget* content, bool ok, QWidget* parent)
    : QWidget(parent)
    , m_content(content)
    , m_ok(ok) {
    m_content->setParent(this);
    m_content->move(0, 0);
    setFixedSize(sizeHint());
    if (parent)
        m_badge = new Badge(this, parent);
    placeBadge();
}

StatusMarked::~StatusMarked() {
    delete m_badge;
}

void StatusMarked::setOk(bool ok) {
    if (ok == m_ok)
        return;
    m_ok = ok;
    if (m_badge)
        m_badge->update();
}

QString StatusMarked::badgeSymbol() const {
    return m_ok ? QStringLiteral("checkmark.circle.fill")
                : QStringLiteral("exclamationmark.circle.fill");
}

QSize StatusMarked::sizeHint() const {
    const QSize content = m_content->sizeHint().expandedTo(m_content->minimumSize());
    return {content.width() + trailingPadding, content.height()};
}

bool StatusMarked::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ParentChange:
        delete m_badge;
        if (parentWidget())
            m_badge = new Badge(this, parentWidget());
        placeBadge();
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        placeBadge();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void StatusMarked::placeBadge() {
    if (!m_badge)
        return;
    const QRect content = m_content->geometry();
    const QPoint corner = pos() + content.bottomRight() + QPoint(1, 1);
    m_badge->move(corner + QPoint(badgeOffset - badgeSize, badgeOffset - badgeSize));
    m_badge->setVisible(isVisibleTo(parentWidget()));
    m_badge->raise();
}
