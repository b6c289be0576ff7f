#pragma once

#include <QObject>

class QSocketNotifier;

// Ends the event loop on SIGTERM, SIGINT and SIGHUP (logout, Ctrl+C, a closed terminal), so the
// program quits as it does from its menu: whatever it holds is written before it exits. The
// handler only writes a byte to a pipe; the quit happens on the thread that owns this object.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    static void handle(int signal);

    QSocketNotifier* m_notifier = nullptr;
};
