#pragma once

#include <QWidget>

// A one-pixel separator line in a faint tone of the text colour, so it reads in both themes.
class Divider : public QWidget {
    Q_OBJECT

public:
    explicit Divider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
