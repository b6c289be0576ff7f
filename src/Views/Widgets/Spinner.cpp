#include "Views/Widgets/Spinner.h"

#include <QPainter>
#include <QVariantAnimation>

#include <cmath>
#include <numbers>

namespace {
constexpr int spokes = 12;
constexpr int turnMs = 900;
} // namespace

Spinner::Spinner(QWidget* parent, int size)
    : QWidget(parent)
    , m_animation(new QVariantAnimation(this))
    , m_size(size) {
    setFixedSize(size, size);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_animation->setStartValue(0);
    m_animation->setEndValue(spokes);
    m_animation->setDuration(turnMs);
    m_animation->setLoopCount(-1);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        const int phase = value.toInt() % spokes;
        if (phase != m_phase) {
            m_phase = phase;
            update();
        }
    });
}

void Spinner::setTone(Style::Tone tone) {
    m_tone = tone;
    update();
}

bool Spinner::isSpinning() const {
    return m_animation->state() == QAbstractAnimation::Running;
}

QSize Spinner::sizeHint() const {
    return {m_size, m_size};
}

void Spinner::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    m_animation->start();
}

void Spinner::hideEvent(QHideEvent* event) {
    m_animation->stop();
    QWidget::hideEvent(event);
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor base = Style::color(m_tone, palette());
    const double radius = m_size / 2.0;
    const double width = std::max(1.5, m_size / 9.0);
    painter.translate(QRectF(rect()).center());
    for (int i = 0; i < spokes; ++i) {
        // The spoke at the phase is the brightest; the ones behind it fade out.
        const int behind = (m_phase - i + spokes) % spokes;
        QColor color = Style::withOpacity(base, 1.0 - 0.75 * behind / (spokes - 1));
        painter.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap));
        const double angle = 2 * std::numbers::pi * i / spokes;
        const QPointF direction(std::sin(angle), -std::cos(angle));
        painter.drawLine(direction * radius * 0.45, direction * (radius - width / 2));
    }
}
