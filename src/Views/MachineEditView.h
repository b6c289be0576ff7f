#pragma once

#include "Models/SavedMachine.h"
#include "Networking/MachineInfo.h"

#include <QPointer>
#include <QWidget>

#include <QCoroTask>

#include <functional>
#include <optional>

class AppState;
class ControlButton;
class FormSection;
class QHBoxLayout;
class QLineEdit;
class QScrollArea;
class ScreenHeader;
class Spinner;
class StyledLabel;
class SymbolView;

// The outcome of the editor's connection test.
struct ConnectionState {
    enum class Kind { ok, untested, checking, failed };

    Kind kind = Kind::untested;
    // What the machine reported; present only for ok.
    std::optional<MachineInfo> info;

    static ConnectionState ok(const MachineInfo& info) { return {Kind::ok, info}; }
    static ConnectionState untested() { return {Kind::untested, std::nullopt}; }
    static ConnectionState checking() { return {Kind::checking, std::nullopt}; }
    static ConnectionState failed() { return {Kind::failed, std::nullopt}; }

    friend bool operator==(const ConnectionState&, const ConnectionState&) = default;
};

// Adds a machine by its address (no machine given) or edits a saved one. The address and port
// are checked as they are typed; the connection can be tested before saving, and a successful
// test supplies the name, the certificate pin and the machine's identifier.
class MachineEditView : public QWidget {
    Q_OBJECT

public:
    static constexpr double testTimeout = 5.0;

    MachineEditView(AppState& appState, std::optional<SavedMachine> machine,
                    std::function<void()> onFinish, QWidget* parent = nullptr);

    const std::optional<SavedMachine>& machine() const { return m_machine; }
    const ConnectionState& connectionState() const { return m_connectionState; }

    // The port text as a port: trimmed of spaces and tabs, decimal, 1 to 65535.
    static std::optional<qint64> parsePort(const QString& text);
    std::optional<qint64> parsedPort() const;
    bool canSave() const;

    // Asks the typed address for its machine information (Return in the address field).
    void testConnection();
    // Saves the machine, starts a check of it and leaves the screen.
    void save();

    ScreenHeader* header() const { return m_header; }
    QLineEdit* hostField() const { return m_host; }
    QLineEdit* portField() const { return m_port; }
    QLineEdit* nameField() const { return m_name; }
    QLineEdit* modelField() const { return m_model; }
    ControlButton* testButton() const { return m_test; }
    ControlButton* saveButton() const { return m_save; }
    // The connection row's texts: its line, and the details line of a successful test.
    QString connectionText() const;
    QString connectionDetails() const;

    // The details line of a successful test: serial and embroidery area, when reported.
    static QString detailsText(const MachineInfo& info);

signals:
    void connectionStateChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setConnectionState(const ConnectionState& state);
    void fieldsEdited();
    void updateControls();
    void updateConnectionRow();
    // Runs one test; its answer is dropped when the screen has gone meanwhile.
    static QCoro::Task<> runTest(QPointer<MachineEditView> view, QString host, qint64 port);
    void finishTest(const QString& host, qint64 port, const std::optional<MachineInfo>& info);
    QWidget* makeForm();
    QWidget* makeConnectionRow();
    QWidget* makeBottomBar();

    AppState& m_appState;
    std::optional<SavedMachine> m_machine;
    std::function<void()> m_onFinish;
    ConnectionState m_connectionState;

    ScreenHeader* m_header;
    QLineEdit* m_host = nullptr;
    bool m_wasShown = false;
    QLineEdit* m_port = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_model = nullptr;
    QHBoxLayout* m_connectionLine = nullptr;
    SymbolView* m_connectionSymbol = nullptr;
    Spinner* m_connectionSpinner = nullptr;
    StyledLabel* m_connectionText = nullptr;
    StyledLabel* m_connectionDetails = nullptr;
    ControlButton* m_test = nullptr;
    ControlButton* m_save = nullptr;
};
