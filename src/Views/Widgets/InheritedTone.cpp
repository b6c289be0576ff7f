#include "Views/Widgets/InheritedTone.h"

#include <QApplication>
#include <QWidget>

void InheritedTone::applyTo(QWidget& widget) {
    if (m_applying)
        return;
    m_applying = true;
    const QWidget* parent = widget.parentWidget();
    const QPalette inherited = parent ? parent->palette() : QApplication::palette(&widget);
    QPalette own = widget.palette();
    own.setColor(m_role, Style::color(m_tone, inherited));
    own.setColor(QPalette::Base, Qt::transparent);
    widget.setPalette(own);
    m_applying = false;
}
