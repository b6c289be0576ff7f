#pragma once

#include <QWidget>

#include <functional>

class HeaderButton;
class StyledLabel;
class QHBoxLayout;

// The header of every pushed screen: a back button (also Escape), the title, and room for the
// screen's own buttons at the trailing end; a divider below. 41 pixels high in all.
class ScreenHeader : public QWidget {
    Q_OBJECT

public:
    ScreenHeader(const QString& title, std::function<void()> onBack, QWidget* parent = nullptr);

    QString title() const;
    void setTitle(const QString& title);
    HeaderButton* backButton() const { return m_back; }

    // Places `widget` at the trailing end (after any placed before, 4 pixels apart); the header
    // takes ownership.
    void addTrailing(QWidget* widget);

private:
    std::function<void()> m_onBack;
    HeaderButton* m_back;
    StyledLabel* m_title;
    QHBoxLayout* m_trailing;
};
