#pragma once

#include "Support/Desktop/Style.h"

#include <QWidget>

class QVariantAnimation;

// A small indeterminate progress spinner: twelve spokes fading around the circle, turning only
// while it is shown.
class Spinner : public QWidget {
    Q_OBJECT

public:
    // The small control size of the panel's bars.
    static constexpr int smallSize = 16;

    explicit Spinner(QWidget* parent = nullptr, int size = smallSize);

    Style::Tone tone() const { return m_tone; }
    void setTone(Style::Tone tone);
    // Whether it is turning (shown and visible).
    bool isSpinning() const;
    // The spoke that is brightest now, 0 to 11.
    int phase() const { return m_phase; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QVariantAnimation* m_animation;
    Style::Tone m_tone = Style::Tone::secondary;
    int m_size;
    int m_phase = 0;
};
