#include "Views/Widgets/ButtonBar.h"

#include <QBoxLayout>
#include <QSizePolicy>

namespace {

constexpr int sideMargin = 12;
constexpr int gap = 8;
constexpr int barHeight = 48;

} // namespace

ButtonBar::ButtonBar(QWidget* leading, QWidget* trailing, QWidget* parent)
    : QWidget(parent)
    , m_row(new QBoxLayout(QBoxLayout::LeftToRight, this))
    , m_leading(leading)
    , m_trailing(trailing) {
    setFixedHeight(barHeight);
    m_row->setContentsMargins(sideMargin, 0, sideMargin, 0);
    m_row->setSpacing(gap);
    m_leading->setParent(this);
    m_trailing->setParent(this);
    m_row->addWidget(m_leading, 0, Qt::AlignVCenter);
    m_row->addStretch(1);
    m_row->addWidget(m_trailing, 0, Qt::AlignVCenter);
}

bool ButtonBar::isStacked() const {
    return m_row->direction() == QBoxLayout::TopToBottom;
}

void ButtonBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrange();
}

void ButtonBar::arrange() {
    const int needed = 2 * sideMargin + gap + m_leading->minimumSizeHint().width() +
                       m_trailing->minimumSizeHint().width();
    const bool stacked = needed > width();
    if (stacked == isStacked())
        return;
    // Stacked, each button spans the bar; the trailing one, the screen's main action, comes
    // last as it does in reading order.
    m_row->setDirection(stacked ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    const int vertical = stacked ? (barHeight - m_leading->sizeHint().height()) / 2 : 0;
    m_row->setContentsMargins(sideMargin, vertical, sideMargin, vertical);
    for (QWidget* button : {m_leading, m_trailing}) {
        QSizePolicy policy = button->sizePolicy();
        policy.setHorizontalPolicy(stacked ? QSizePolicy::Preferred : QSizePolicy::Maximum);
        button->setSizePolicy(policy);
        m_row->setAlignment(button, stacked ? Qt::Alignment() : Qt::AlignVCenter);
    }
    m_row->invalidate();
    setFixedHeight(stacked ? m_row->sizeHint().height() : barHeight);
}
