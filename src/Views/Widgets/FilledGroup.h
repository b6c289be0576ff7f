#pragma once

#include <QWidget>

// A group of controls on a faint rounded fill (the quaternary tone at half strength), as the
// selected-machine bar and a found machine's row stand on the panel.
class FilledGroup : public QWidget {
    Q_OBJECT

public:
    static constexpr double cornerRadius = 8;

    explicit FilledGroup(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
