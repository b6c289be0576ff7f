#pragma once

#include "Models/SavedMachine.h"
#include "Networking/MachineInfo.h"
#include "Views/Screen.h"
#include "Views/Widgets/FilledGroup.h"

#include <QHash>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class AppState;
class ConfirmationSheet;
class ControlButton;
class MachineRow;
class QScrollArea;
class QVBoxLayout;
class ScreenHeader;
class StyledLabel;

// A machine found on the network and not saved: its name and address, and "Add".
class DiscoveredRow : public FilledGroup {
    Q_OBJECT

public:
    DiscoveredRow(const MachineInfo& info, std::function<void()> onAdd, QWidget* parent = nullptr);

    const MachineInfo& info() const { return m_info; }
    // The reported name, or "Brother machine".
    QString title() const;
    // The host, with ":" and the port when it is not 443.
    QString address() const;
    ControlButton* addButton() const { return m_add; }

private:
    MachineInfo m_info;
    ControlButton* m_add;
};

// The machines list: the saved machines to pick from and act on, the machines found on this
// network, and the scan. Everything shown is read from the state as it changes; a scan starts by
// itself when the screen comes into view before any scan has finished.
class MachinesView : public QWidget {
    Q_OBJECT

public:
    MachinesView(AppState& appState, std::function<void(const Screen&)> navigate,
                 std::function<void()> onBack, QWidget* parent = nullptr);

    ScreenHeader* header() const { return m_header; }
    // The "Saved" section; hidden without machines.
    QWidget* savedSection() const { return m_savedSection; }
    QList<MachineRow*> rows() const;
    QList<DiscoveredRow*> discoveredRows() const;
    // The network status text shown now; empty when there is none.
    QString networkStatus() const;
    // Whether the status is the scan in progress (spinner) or the scan's error (warning).
    bool isShowingScanProgress() const;
    bool isShowingScanError() const;
    ControlButton* scanButton() const { return m_scan; }
    ControlButton* addByAddressButton() const { return m_addByAddress; }
    ConfirmationSheet* confirmation() const { return m_sheet; }
    const std::optional<SavedMachine>& machineToRemove() const { return m_machineToRemove; }

    // The English text; shown through tr().
    static const QString longHint;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* makeSection(const QString& title, QVBoxLayout** content);
    QWidget* makeBottomBar();
    void updateSaved();
    void updateDiscovered();
    void orderTabStops();
    void updateStatus();
    void askToRemove(const SavedMachine& machine);

    AppState& m_appState;
    std::function<void(const Screen&)> m_navigate;
    std::function<void()> m_onBack;
    std::optional<SavedMachine> m_machineToRemove;

    ScreenHeader* m_header;
    QScrollArea* m_scroll;
    QWidget* m_savedSection;
    QVBoxLayout* m_savedRows = nullptr;
    QHash<QUuid, MachineRow*> m_rowsByID;
    QVBoxLayout* m_networkRows = nullptr;
    QList<DiscoveredRow*> m_discovered;
    QWidget* m_progress;
    QWidget* m_error;
    StyledLabel* m_errorText;
    StyledLabel* m_statusText;
    ControlButton* m_scan;
    ControlButton* m_addByAddress;
    ConfirmationSheet* m_sheet;
};
