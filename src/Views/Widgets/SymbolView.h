#pragma once

#include "Support/Desktop/Style.h"

#include <QWidget>

// One named symbol drawn in a tone of the palette, so it follows the theme. It can stand in a
// wider frame than itself (rows line their text up behind a 16-pixel column) and can be hidden
// while keeping its space.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    SymbolView(const QString& symbol, int size, Style::Tone tone, QWidget* parent = nullptr);

    QString symbol() const { return m_symbol; }
    void setSymbol(const QString& symbol);
    Style::Tone tone() const { return m_tone; }
    void setTone(Style::Tone tone);
    // The width it takes; the symbol is centred in it. At least the symbol's size.
    void setFrameWidth(int width);
    // 1 draws the symbol, 0 leaves its space empty.
    void setOpacity(double opacity);
    double opacity() const { return m_opacity; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    int m_size;
    int m_frameWidth;
    Style::Tone m_tone;
    double m_opacity = 1.0;
};
