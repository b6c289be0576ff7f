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
class HeaderButton;
class QLabel;
class QTextEdit;
class ScreenHeader;
class StatusDot;
class StyledLabel;

// One saved machine in detail: where it is and whether it answers, what it last reported about
// itself, and its certificate's fingerprint, with a warning and "Trust New Certificate" when the
// machine presents another certificate than the pinned one. Checks the machine whenever it comes
// into view; every text can be selected and copied.
class MachineInfoView : public QWidget {
    Q_OBJECT

public:
    MachineInfoView(AppState& appState, const SavedMachine& machine, std::function<void()> onBack,
                    std::function<void()> onEdit, QWidget* parent = nullptr);

    // The machine as saved now, or the copy this screen was opened with once it is removed.
    SavedMachine current() const;
    std::optional<MachineInfo> info() const;
    Reachability reachability() const;
    bool isLoading() const { return m_loading; }

    // Checks the machine again (the check button); runs to its end even if the screen goes.
    void refresh();

    ScreenHeader* header() const { return m_header; }
    HeaderButton* checkButton() const { return m_check; }
    HeaderButton* editButton() const { return m_edit; }
    FormSection* machineSection() const { return m_machineSection; }
    FormSection* reportSection() const { return m_reportSection; }
    FormSection* notAnsweringSection() const { return m_notAnsweringSection; }
    FormSection* certificateSection() const { return m_certificateSection; }
    // The value shown in the row labelled `label` of the machine or report section; empty when
    // that row is hidden.
    QString value(const QString& label) const;
    QLabel* notAnsweringText() const { return m_notAnswering; }
    // The fingerprint shown, and the selectable text that shows it.
    QString fingerprintText() const;
    QTextEdit* fingerprintView() const { return m_fingerprint; }
    QWidget* certificateWarning() const { return m_warning; }
    QLabel* warningText() const { return m_warningText; }
    ControlButton* trustButton() const { return m_trust; }
    StatusDot* statusDot() const { return m_dot; }

    // The English texts; shown through tr().
    static const QString notAnsweringMessage;
    static const QString changedCertificateMessage;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    static QCoro::Task<> runRefresh(QPointer<MachineInfoView> view, AppState* appState,
                                    SavedMachine machine, QPointer<QObject> boundTo);
    void startRefresh(QObject* boundTo);
    void setLoading(bool loading);
    void updateContent();
    StyledLabel* addValueRow(FormSection* section, const QString& label);

    AppState& m_appState;
    SavedMachine m_machine;
    std::function<void()> m_onBack;
    std::function<void()> m_onEdit;
    bool m_loading = false;
    // Lives while the screen is on display; the check started on display is bound to it.
    QPointer<QObject> m_display;

    ScreenHeader* m_header;
    HeaderButton* m_check;
    HeaderButton* m_edit;
    FormSection* m_machineSection;
    FormSection* m_reportSection;
    FormSection* m_notAnsweringSection;
    FormSection* m_certificateSection;
    QHash<QString, StyledLabel*> m_values;
    QWidget* m_status;
    StatusDot* m_dot;
    StyledLabel* m_statusWord;
    QLabel* m_notAnswering;
    QTextEdit* m_fingerprint;
    QWidget* m_warning;
    QLabel* m_warningText;
    ControlButton* m_trust;
};
