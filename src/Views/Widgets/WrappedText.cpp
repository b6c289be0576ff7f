#include "Views/Widgets/WrappedText.h"

#include <QEvent>

WrappedText::WrappedText(const QString& text, const QFont& font, Style::Tone tone, QWidget* parent)
    : QLabel(text, parent)
    , m_tone(tone, QPalette::WindowText) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFont(font);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true); // what word wrap set, kept
    setSizePolicy(policy);
    m_tone.applyTo(*this);
}

QSize WrappedText::minimumSizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("wireless")),
            fontMetrics().lineSpacing()};
}

void WrappedText::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
        m_tone.applyTo(*this);
    QLabel::changeEvent(event);
}
