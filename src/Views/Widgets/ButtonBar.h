#pragma once

#include <QWidget>

class QBoxLayout;

// The bar under a screen: a leading and a trailing button side by side, or one above the other
// across the bar when their texts do not fit beside each other (a longer language, larger text).
class ButtonBar : public QWidget {
    Q_OBJECT

public:
    ButtonBar(QWidget* leading, QWidget* trailing, QWidget* parent);

    bool isStacked() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange();

    QBoxLayout* m_row;
    QWidget* m_leading;
    QWidget* m_trailing;
};
