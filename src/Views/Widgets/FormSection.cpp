#include "Views/Widgets/FormSection.h"

#include "Support/Desktop/Style.h"
#include "Views/Widgets/StyledLabel.h"

#include <QFormLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// The box behind the rows: a faint fill of the text colour with a fainter edge, so it reads on
// light and dark windows alike.
class FormBox : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor text = Style::color(Style::Tone::primary, palette());
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
        painter.fillPath(shape, Style::withOpacity(text, 0.045));
        painter.setPen(QPen(Style::withOpacity(text, 0.09), 1));
        painter.drawPath(shape);
    }
};

constexpr Qt::TextInteractionFlags selectableFlags = Qt::TextSelectableByMouse;

} // namespace

FormSection::FormSection(const QString& heading, QWidget* parent)
    : QWidget(parent)
    , m_box(new FormBox(this))
    , m_rows(new QVBoxLayout(m_box))
    , m_form(new QFormLayout) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(5);
    if (!heading.isEmpty()) {
        m_heading = new StyledLabel(heading, Style::TextStyle::caption, QFont::DemiBold,
                                    Style::Tone::secondary, this);
        m_heading->setContentsMargins(4, 0, 4, 0);
        column->addWidget(m_heading);
    }
    m_rows->setContentsMargins(10, 8, 10, 8);
    m_rows->setSpacing(8);
    m_rows->addLayout(m_form);
    m_form->setContentsMargins(0, 0, 0, 0);
    m_form->setHorizontalSpacing(12);
    m_form->setVerticalSpacing(8);
    m_form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_form->setFormAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    column->addWidget(m_box);
}

QString FormSection::heading() const {
    return m_heading ? m_heading->fullText() : QString();
}

QString FormSection::footer() const {
    return m_footer ? m_footer->fullText() : QString();
}

void FormSection::setFooter(const QString& text) {
    if (!m_footer) {
        m_footer = new StyledLabel(text, Style::TextStyle::caption, QFont::Normal,
                                   Style::Tone::secondary, this);
        m_footer->setMaximumLines(0);
        m_footer->setContentsMargins(4, 0, 4, 0);
        if (m_selectable)
            m_footer->setTextInteractionFlags(selectableFlags);
        layout()->addWidget(m_footer);
    }
    m_footer->setText(text);
}

void FormSection::setLabelWidth(int width) {
    m_labelWidth = width;
    for (int row = 0; row < m_form->rowCount(); ++row) {
        if (QLayoutItem* item = m_form->itemAt(row, QFormLayout::LabelRole); item && item->widget())
            item->widget()->setMinimumWidth(width);
    }
}

StyledLabel* FormSection::makeLabel(const QString& text) {
    auto* label =
        new StyledLabel(text, Style::TextStyle::body, QFont::Normal, Style::Tone::primary, m_box);
    label->setMinimumWidth(m_labelWidth);
    if (m_selectable)
        label->setTextInteractionFlags(selectableFlags);
    return label;
}

void FormSection::addRow(const QString& label, QWidget* field) {
    field->setParent(m_box);
    // A field reads with its label's name, as it shows beside it.
    if (field->accessibleName().isEmpty())
        field->setAccessibleName(label);
    m_form->addRow(makeLabel(label), field);
}

void FormSection::addRow(QWidget* wide) {
    // Below the labelled rows, in the box's own column: wrapped text gets the height it needs
    // there, where a form layout's spanning row would leave space under it.
    wide->setParent(m_box);
    m_rows->addWidget(wide);
}

void FormSection::setRowVisible(QWidget* field, bool visible) {
    m_form->setRowVisible(field, visible);
}

bool FormSection::isRowVisible(QWidget* field) const {
    return field->isVisibleTo(m_box);
}

QString FormSection::labelFor(QWidget* field) const {
    auto* label = qobject_cast<StyledLabel*>(m_form->labelForField(field));
    return label ? label->fullText() : QString();
}

QStringList FormSection::visibleLabels() const {
    QStringList labels;
    for (int row = 0; row < m_form->rowCount(); ++row) {
        QLayoutItem* item = m_form->itemAt(row, QFormLayout::LabelRole);
        auto* label = item ? qobject_cast<StyledLabel*>(item->widget()) : nullptr;
        if (label && label->isVisibleTo(m_box))
            labels.append(label->fullText());
    }
    return labels;
}

void FormSection::setTextSelectable(bool selectable) {
    m_selectable = selectable;
    const Qt::TextInteractionFlags flags = selectable ? selectableFlags : Qt::NoTextInteraction;
    for (StyledLabel* label : findChildren<StyledLabel*>())
        label->setTextInteractionFlags(flags);
}

FormColumn makeFormColumn(QWidget* parent) {
    auto* scroll = new QScrollArea(parent);
    scroll->setFrameShape(QFrame::NoFrame);
    // Tab goes to what it holds; it scrolls to what has the focus.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget(scroll);
    auto* sections = new QVBoxLayout(content);
    sections->setContentsMargins(12, 12, 12, 12);
    sections->setSpacing(14);
    return {scroll, content, sections};
}
