#pragma once

#include "Models/SavedMachine.h"
#include "Networking/MachineDiscovery.h"
#include "Networking/MachineInfo.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QUuid>

#include <QCoroTask>

#include <optional>

class MachineList;

// What is known of the saved machines while the program runs, and the machines found on the
// network: it checks the machines, scans, follows a machine that moved and pins each machine's
// identifier and certificate on first use.
class MachineMonitor : public QObject {
    Q_OBJECT

public:
    explicit MachineMonitor(MachineList& machines, QObject* parent = nullptr);

    const QHash<QUuid, Reachability>& reachability() const { return m_reachability; }
    Reachability reachabilityOf(const QUuid& id) const;
    // What a machine last reported about itself is also a value the uploads need.
    const QHash<QUuid, MachineInfo>& machineInfo() const { return m_machineInfo; }
    // An upload's outcome also tells whether a machine answers.
    void setReachability(const QUuid& id, Reachability value);

    bool isDiscovering() const { return m_isDiscovering; }
    const QList<MachineInfo>& discovered() const { return m_discovered; }
    bool hasScanned() const { return m_hasScanned; }
    const std::optional<QString>& discoveryError() const { return m_discoveryError; }
    const QSet<QUuid>& relocatedMachineIDs() const { return m_relocatedMachineIDs; }

    static constexpr double checkTimeout = 5.0;
    static constexpr double probeTimeout = 3.5;
    static constexpr qint64 probeConcurrency = 64;

    // Checks every machine, then scans when there is nothing usable to send to.
    QCoro::Task<> popoverDidOpen();
    // All saved machines at once; returns when every check has finished.
    QCoro::Task<> checkAll();
    // Asks one machine for its info and records the answer, unless the machine was edited,
    // moved or removed meanwhile. A check bound to an object (a screen's display) is cancelled
    // when that object is destroyed first: it counts at once as a query without answer.
    QCoro::Task<> check(SavedMachine machine, QPointer<QObject> boundTo = {});
    // One network scan at a time; a call while one runs returns at once.
    QCoro::Task<> discover();
    // Saves a discovered machine, pinned to the identifier and certificate it answered with.
    void addDiscovered(const MachineInfo& info);
    // Whether the machine now presents another certificate than its pinned one.
    bool certificateChanged(const SavedMachine& machine) const;
    // Pins the certificate the machine presented last.
    void trustCurrentCertificate(const SavedMachine& machine);

    // Where checks and scans reach the network: this computer's by default; tests point
    // interfaces, ARP hosts, port and probes at loopback.
    void setDiscoveryEnvironment(MachineDiscovery::Environment environment);
    // Two discovered entries with equal keys are the same machine.
    static QString discoveredKey(const MachineInfo& info);
    // Whether a discovered answer and a saved machine are the same machine: by machine
    // identifier when both have one, else by host (ignoring case) and port.
    static bool matches(const MachineInfo& info, const SavedMachine& machine);

signals:
    void reachabilityChanged();
    void machineInfoChanged();
    void isDiscoveringChanged();
    void discoveredChanged();
    void hasScannedChanged();
    void discoveryErrorChanged();
    void relocatedMachineIDsChanged();

private:
    void record(const MachineInfo& info, const SavedMachine& machine);
    void found(const MachineInfo& info);
    static QCoro::Task<> foundOnOwnThread(QPointer<MachineMonitor> monitor, MachineInfo info);
    void forgetDiscovered(const SavedMachine& added);
    void forget(const QUuid& removed);
    void setIsDiscovering(bool value);
    void setHasScanned(bool value);
    void setDiscoveryError(const std::optional<QString>& value);

    MachineList& m_machines;
    QHash<QUuid, Reachability> m_reachability;
    QHash<QUuid, MachineInfo> m_machineInfo;
    bool m_isDiscovering = false;
    QList<MachineInfo> m_discovered;
    bool m_hasScanned = false;
    std::optional<QString> m_discoveryError;
    QSet<QUuid> m_relocatedMachineIDs;
    MachineDiscovery::Environment m_discoveryEnvironment = MachineDiscovery::Environment::system();
};
