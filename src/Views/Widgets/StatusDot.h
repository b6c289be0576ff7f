#pragma once

#include "Models/SavedMachine.h"

#include <QWidget>

// The 8 x 8 reachability dot: grey while unknown or checking, green when the machine answers,
// red when it does not.
class StatusDot : public QWidget {
    Q_OBJECT

public:
    static constexpr int diameter = 8;

    explicit StatusDot(Reachability reachability = Reachability::unknown,
                       QWidget* parent = nullptr);

    Reachability reachability() const { return m_reachability; }
    void setReachability(Reachability reachability);
    // Draws the dot at `scale` of its size about its centre (the machines list uses 0.8).
    void setScale(double scale);

    // The dot's colour for `reachability` on `palette`.
    static QColor color(Reachability reachability, const QPalette& palette);

    QSize sizeHint() const override { return {diameter, diameter}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Reachability m_reachability;
    double m_scale = 1.0;
};
