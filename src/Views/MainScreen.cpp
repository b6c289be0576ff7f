#include "Views/MainScreen.h"

#include "State/AppState.h"
#include "Support/Desktop/Style.h"
#include "Support/Drawing/SewingMachineIcon.h"
#include "Support/LoginItem.h"
#include "Views/DropZone.h"
#include "Views/MachineBar.h"
#include "Views/RecentSendsView.h"
#include "Views/Widgets/Divider.h"
#include "Views/Widgets/HeaderButton.h"
#include "Views/Widgets/StyledLabel.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace {

// Wraps `content` in the insets it takes on the screen.
QWidget* inset(QWidget* content, const QMargins& margins, QWidget* parent) {
    auto* frame = new QWidget(parent);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(margins);
    layout->setSpacing(0);
    content->setParent(frame);
    layout->addWidget(content);
    return frame;
}

} // namespace

MainScreen::MainScreen(AppState& appState, std::function<void(const Screen&)> navigate,
                       QWidget* parent)
    : QWidget(parent)
    , m_appState(appState)
    , m_navigate(std::move(navigate)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    column->addWidget(makeHeader());
    column->addWidget(new Divider(this));

    m_machineBar = makeMachineBar();
    column->addWidget(inset(m_machineBar, QMargins(12, 10, 12, 10), this));

    m_dropZone = makeDropZone();
    m_dropZone->setFixedHeight(dropZoneHeight);
    column->addWidget(inset(m_dropZone, QMargins(12, 0, 12, 0), this));

    m_recentSends = makeRecentSends();
    column->addWidget(inset(m_recentSends, QMargins(0, 12, 0, 0), this), 1);
}

QWidget* MainScreen::makeHeader() {
    auto* header = new QWidget(this);
    header->setFixedHeight(40);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(6);

    m_glyph = new QLabel(header);
    m_glyph->setFixedSize(16, 16);
    m_glyph->setAccessibleName(QStringLiteral("Bobbinlark"));
    row->addWidget(m_glyph, 0, Qt::AlignVCenter);

    row->addWidget(new StyledLabel(QStringLiteral("Bobbinlark"), Style::TextStyle::headline,
                                   QFont::DemiBold, Style::Tone::primary, header),
                   0, Qt::AlignVCenter);
    row->addStretch(1);

    // The login item lives as long as this screen.
    m_loginItem = new LoginItem(this);

    m_settingsMenu = new QMenu(this);
    m_machinesAction = m_settingsMenu->addAction(tr("Machines…"));
    connect(m_machinesAction, &QAction::triggered, this,
            [this] { m_navigate(Screen::machines()); });
    m_addMachineAction = m_settingsMenu->addAction(tr("Add Machine…"));
    connect(m_addMachineAction, &QAction::triggered, this,
            [this] { m_navigate(Screen::addMachine()); });
    m_settingsMenu->addSeparator();
    m_startAtLogin = m_settingsMenu->addAction(tr("Start at Login"));
    m_startAtLogin->setCheckable(true);
    m_startAtLogin->setChecked(m_loginItem->isEnabled());
    connect(m_startAtLogin, &QAction::triggered, m_loginItem, &LoginItem::setEnabled);
    connect(m_loginItem, &LoginItem::isEnabledChanged, this,
            [this] { m_startAtLogin->setChecked(m_loginItem->isEnabled()); });
    // A failed change leaves the checkmark as the system has it, even without a change signal.
    connect(m_startAtLogin, &QAction::triggered, this,
            [this] { m_startAtLogin->setChecked(m_loginItem->isEnabled()); });
    m_settingsMenu->addSeparator();
    m_quitAction = m_settingsMenu->addAction(tr("Quit Bobbinlark"));
    connect(m_quitAction, &QAction::triggered, qApp, &QCoreApplication::quit);
    connect(qApp, &QGuiApplication::applicationStateChanged, m_loginItem,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    m_loginItem->refresh();
            });

    m_settingsButton = new HeaderButton(QStringLiteral("gearshape"), header);
    m_settingsButton->setMenu(m_settingsMenu);
    m_settingsButton->setToolTip(tr("Settings"));
    m_settingsButton->setAccessibleName(tr("Settings"));
    row->addWidget(m_settingsButton, 0, Qt::AlignVCenter);

    m_closeButton = new CloseButton(header);
    row->addWidget(m_closeButton, 0, Qt::AlignVCenter);

    updateGlyph();
    return header;
}

// --- The parts below the header ------------------------------------------------------------------

MachineBar* MainScreen::makeMachineBar() {
    return new MachineBar(m_appState, m_navigate, this);
}

DropZone* MainScreen::makeDropZone() {
    return new DropZone(m_appState, this);
}

QWidget* MainScreen::makeRecentSends() {
    return new RecentSendsView(m_appState, this);
}

void MainScreen::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        updateGlyph();
    QWidget::changeEvent(event);
}

void MainScreen::updateGlyph() {
    if (!m_glyph)
        return;
    const QColor text = palette().color(QPalette::WindowText);
    m_glyph->setPixmap(QPixmap::fromImage(SewingMachineIcon::image(16, devicePixelRatioF(), text)));
}
