#include "Views/Widgets/ScreenHeader.h"

#include "Views/Widgets/Divider.h"
#include "Views/Widgets/HeaderButton.h"
#include "Views/Widgets/StyledLabel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

ScreenHeader::ScreenHeader(const QString& title, std::function<void()> onBack, QWidget* parent)
    : QWidget(parent)
    , m_onBack(std::move(onBack)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* row = new QWidget(this);
    row->setFixedHeight(40);
    auto* items = new QHBoxLayout(row);
    // The back button sits 6 pixels further out than the 12-pixel inset, so its symbol lines
    // up with the content below.
    items->setContentsMargins(12 - 6, 0, 12, 0);
    items->setSpacing(6);

    m_back = new HeaderButton(QStringLiteral("chevron.left"), row);
    m_back->setToolTip(tr("Back"));
    m_back->setAccessibleName(tr("Back"));
    m_back->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(m_back, &QAbstractButton::clicked, this, [this] {
        if (m_onBack)
            m_onBack();
    });
    items->addWidget(m_back, 0, Qt::AlignVCenter);

    m_title = new StyledLabel(title, Style::TextStyle::headline, QFont::DemiBold,
                              Style::Tone::primary, row);
    m_title->setElideMode(Qt::ElideRight);
    items->addWidget(m_title, 1, Qt::AlignVCenter);

    m_trailing = new QHBoxLayout;
    m_trailing->setContentsMargins(0, 0, 0, 0);
    m_trailing->setSpacing(4);
    items->addLayout(m_trailing);

    column->addWidget(row);
    column->addWidget(new Divider(this));
}

QString ScreenHeader::title() const {
    return m_title->fullText();
}

void ScreenHeader::setTitle(const QString& title) {
    m_title->setText(title);
}

void ScreenHeader::addTrailing(QWidget* widget) {
    widget->setParent(this);
    m_trailing->addWidget(widget, 0, Qt::AlignVCenter);
}
