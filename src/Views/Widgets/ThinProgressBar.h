#pragma once

#include <QProgressBar>

// A thin bar drawn from the style's colours: a faint track and the accent for what is done,
// the same in every theme.
class ThinProgressBar : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent* event) override;
};
