#pragma once

#include <QLineEdit>

// A text field whose edge reads against the panel in light and dark themes alike: the style's
// own frame is drawn over in a grey of 3:1 or more (Style::controlEdge), and with the focus the
// panel's focus ring stands in for the style's faint one.
class TextField : public QLineEdit {
    Q_OBJECT

public:
    explicit TextField(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
