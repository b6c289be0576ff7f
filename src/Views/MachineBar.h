#pragma once

#include "Models/SavedMachine.h"
#include "Support/Desktop/Style.h"
#include "Views/Screen.h"
#include "Views/Widgets/FilledGroup.h"

#include <QWidget>

#include <functional>

class AppState;
class ControlButton;
class QHBoxLayout;
class QLabel;
class QStackedLayout;
class Spinner;
class StatusDot;
class StyledLabel;
class SelectedMachineButton;

// The strip between the header and the drop zone that says where designs go: the selected
// machine with its reachability (the whole bar opens the machines list); or, with no machine
// saved, the first machine found on the network with a button to use it; or an invitation to
// set one up.
class MachineBar : public FilledGroup {
    Q_OBJECT

public:
    enum class Kind { selected, found, setup };

    MachineBar(AppState& appState, std::function<void(const Screen&)> navigate,
               QWidget* parent = nullptr);

    Kind kind() const { return m_kind; }
    // The texts shown now: the first and second line of the bar (the setup bar has one).
    QString title() const;
    QString subtitle() const;
    bool isSubtitleRed() const;
    bool isSpinnerShown() const;
    Reachability dotReachability() const;
    // "Use This Machine" or "Set Up…", whichever the bar shows; null on the selected bar.
    ControlButton* actionButton() const;
    // The button that is the whole selected bar.
    QWidget* selectedButton() const;
    QString iconName() const { return m_iconName; }

    // The second line of the selected bar for machine `machine` in state `reachability`.
    static QString subtitle(const SavedMachine& machine, Reachability reachability, bool relocated,
                            bool isDiscovering);

    static constexpr int height = 44;

protected:
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    // With large text a found machine's name may not fit beside its button: the button then
    // moves under it and the bar grows.
    void placeUseButton();
    // A name that still does not fit is said whole by the bar's tooltip.
    void fitFoundTitle();
    void setIcon(QLabel* label, const QString& symbol, int size, Style::Tone tone);

    AppState& m_appState;
    std::function<void(const Screen&)> m_navigate;
    Kind m_kind = Kind::setup;
    QStackedLayout* m_pages;
    QString m_iconName;

    SelectedMachineButton* m_selected;
    StatusDot* m_dot;
    StyledLabel* m_selectedName;
    StyledLabel* m_selectedSubtitle;
    Spinner* m_selectedSpinner;
    QLabel* m_chevron;

    QWidget* m_found;
    QLabel* m_foundIcon;
    StyledLabel* m_foundTitle;
    StyledLabel* m_foundSubtitle;
    ControlButton* m_use;
    QHBoxLayout* m_foundRow;
    QHBoxLayout* m_foundUnder;
    bool m_useUnder = false;
    static constexpr int underSpacing = 2;
    static constexpr int underPadding = 10;

    QWidget* m_setup;
    Spinner* m_setupSpinner;
    QLabel* m_setupIcon;
    StyledLabel* m_setupText;
    ControlButton* m_setUp;
};
