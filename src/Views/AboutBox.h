#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class StyledLabel;

// "About Bobbinlark" as desktops show it: the glyph, the name, the version and one line on what
// the program does, centred in a box wide enough that none of them wraps awkwardly, closed with
// a plain "Close".
class AboutBox : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent = nullptr);

    QString versionText() const;
    QString descriptionText() const;
    QPushButton* closeButton() const { return m_close; }

    static constexpr int boxWidth = 360;

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateGlyph();

    QLabel* m_glyph;
    StyledLabel* m_version;
    StyledLabel* m_description;
    QPushButton* m_close;
};
