#pragma once

#include <QWidget>

class QFormLayout;
class QScrollArea;
class QVBoxLayout;
class StyledLabel;

// One section of a grouped form: an optional heading, a rounded box of rows (a label at the
// leading edge and its field or value after it, or one item across the box), and an optional
// footer under the box.
class FormSection : public QWidget {
    Q_OBJECT

public:
    explicit FormSection(const QString& heading = {}, QWidget* parent = nullptr);

    QString heading() const;
    QString footer() const;
    void setFooter(const QString& text);

    // A row of `label` and `field`; the section takes ownership of the field.
    void addRow(const QString& label, QWidget* field);
    // A row across the whole box, below the labelled rows.
    void addRow(QWidget* wide);
    // The least width of the labels, so the fields of several sections line up.
    void setLabelWidth(int width);
    void setRowVisible(QWidget* field, bool visible);
    bool isRowVisible(QWidget* field) const;
    // The label of the row that holds `field`; empty for rows across the box.
    QString labelFor(QWidget* field) const;
    // The labels of the visible rows, in order.
    QStringList visibleLabels() const;

    // Lets the mouse select the heading, labels and footer (for copying).
    void setTextSelectable(bool selectable);

    QFormLayout* form() const { return m_form; }

private:
    StyledLabel* makeLabel(const QString& text);

    StyledLabel* m_heading = nullptr;
    StyledLabel* m_footer = nullptr;
    QWidget* m_box;
    QVBoxLayout* m_rows;
    QFormLayout* m_form;
    int m_labelWidth = 0;
    bool m_selectable = false;
};

// The scrolling column a form screen puts its sections in: 12 pixels in from every side, 14
// between sections. The caller adds its sections to `sections`, then sets `content` as the
// scroll area's widget.
struct FormColumn {
    QScrollArea* scroll;
    QWidget* content;
    QVBoxLayout* sections;
};
FormColumn makeFormColumn(QWidget* parent);
