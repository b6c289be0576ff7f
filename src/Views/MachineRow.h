#pragma once

#include "Models/SavedMachine.h"
#include "Views/Screen.h"

#include <QAbstractButton>
#include <QWidget>

#include <functional>

class AppState;
class HeaderButton;
class QAction;
class QMenu;
class StatusDot;
class StyledLabel;
class SymbolView;

// One saved machine in the machines list: a checkmark when it is the selected one, its name,
// its reachability dot, address and reachability word; a click picks it. An actions menu (and
// the same menu on a right click) opens its info or editor, checks it again or asks to remove
// it. Follows the state's selection and reachability live.
class MachineRow : public QWidget {
    Q_OBJECT

public:
    MachineRow(AppState& appState, const SavedMachine& machine, std::function<void()> onSelect,
               std::function<void(const Screen&)> onAction,
               std::function<void(const SavedMachine&)> onRemove, QWidget* parent = nullptr);

    const SavedMachine& machine() const { return m_machine; }
    // The saved record changed (renamed, pinned, moved): shows it.
    void setMachine(const SavedMachine& machine);

    bool isSelected() const;
    Reachability reachability() const;
    // "Not checked", "Checking…", "Reachable" or "Unreachable".
    static QString reachabilityWord(Reachability reachability);
    // The background's opacity of the quaternary tone: stronger for the selected row.
    double backgroundOpacity() const { return isSelected() ? 0.8 : 0.4; }

    QAbstractButton* mainButton() const { return m_main; }
    HeaderButton* actionsButton() const { return m_actionsButton; }
    // The one menu behind the actions button and the right click, made on first use.
    QMenu* actionsMenu();
    SymbolView* checkmark() const { return m_checkmark; }
    StyledLabel* nameLabel() const { return m_name; }
    StyledLabel* detailLabel() const { return m_detail; }
    StatusDot* statusDot() const { return m_dot; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void refresh();

    AppState& m_appState;
    SavedMachine m_machine;
    std::function<void()> m_onSelect;
    std::function<void(const Screen&)> m_onAction;
    std::function<void(const SavedMachine&)> m_onRemove;

    QAbstractButton* m_main;
    SymbolView* m_checkmark;
    StyledLabel* m_name;
    StatusDot* m_dot;
    StyledLabel* m_detail;
    HeaderButton* m_actionsButton;
    QMenu* m_menu = nullptr;
};
