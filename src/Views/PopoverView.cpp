#include "Views/PopoverView.h"

#include "AppState.h"
#include "Support/LoginItem.h"
#include "Support/SewingMachineIcon.h"
#include "Support/Symbols.h"
#include "Views/HeaderButton.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QFont headlineFont(const QFont& base) {
    QFont font = base;
    font.setWeight(QFont::DemiBold);
    return font;
}

} // namespace

PopoverView::PopoverView(AppState& appState, QWidget* parent)
    : QWidget(parent)
    , m_appState(appState) {
    setFixedSize(360, 520);
    setAutoFillBackground(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* header = new QWidget(this);
    header->setFixedHeight(40);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(6);

    m_glyph = new QLabel(header);
    m_glyph->setFixedSize(16, 16);
    m_glyph->setAccessibleName(QStringLiteral("Bobbinlark"));
    row->addWidget(m_glyph, 0, Qt::AlignVCenter);

    auto* title = new QLabel(QStringLiteral("Bobbinlark"), header);
    title->setFont(headlineFont(font()));
    row->addWidget(title, 0, Qt::AlignVCenter);
    row->addStretch(1);

    // The login item lives as long as the main screen that shows its toggle.
    m_loginItem = new LoginItem(this);

    m_settingsMenu = new QMenu(this);
    // The machine screens arrive with their views; until then these entries are inert.
    m_settingsMenu->addAction(QStringLiteral("Machines…"))->setEnabled(false);
    m_settingsMenu->addAction(QStringLiteral("Add Machine…"))->setEnabled(false);
    m_settingsMenu->addSeparator();
    m_startAtLogin = m_settingsMenu->addAction(QStringLiteral("Start at Login"));
    m_startAtLogin->setCheckable(true);
    m_startAtLogin->setChecked(m_loginItem->isEnabled());
    connect(m_startAtLogin, &QAction::triggered, m_loginItem, &LoginItem::setEnabled);
    connect(m_loginItem, &LoginItem::isEnabledChanged, this,
            [this] { m_startAtLogin->setChecked(m_loginItem->isEnabled()); });
    // A failed change leaves the checkmark as the system has it, even without a change signal.
    connect(m_startAtLogin, &QAction::triggered, this,
            [this] { m_startAtLogin->setChecked(m_loginItem->isEnabled()); });
    m_settingsMenu->addSeparator();
    connect(m_settingsMenu->addAction(QStringLiteral("Quit Bobbinlark")), &QAction::triggered, qApp,
            &QCoreApplication::quit);
    connect(qApp, &QGuiApplication::applicationStateChanged, m_loginItem,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    m_loginItem->refresh();
            });

    m_settingsButton = new QToolButton(header);
    m_settingsButton->setAutoRaise(true);
    m_settingsButton->setPopupMode(QToolButton::InstantPopup);
    m_settingsButton->setMenu(m_settingsMenu);
    m_settingsButton->setToolTip(QStringLiteral("Settings"));
    m_settingsButton->setAccessibleName(QStringLiteral("Settings"));
    m_settingsButton->setFocusPolicy(Qt::NoFocus);
    m_settingsButton->setStyleSheet(
        QStringLiteral("QToolButton { border: none; padding: 2px; }"
                       "QToolButton::menu-indicator { image: none; width: 0px; }"));
    row->addWidget(m_settingsButton, 0, Qt::AlignVCenter);

    row->addWidget(new CloseButton(header), 0, Qt::AlignVCenter);

    column->addWidget(header);
    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setFixedHeight(1);
    divider->setForegroundRole(QPalette::Mid);
    column->addWidget(divider);
    column->addStretch(1);

    updateGlyphs();
}

void PopoverView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        updateGlyphs();
    QWidget::changeEvent(event);
}

void PopoverView::updateGlyphs() {
    const QColor text = palette().color(QPalette::WindowText);
    m_glyph->setPixmap(QPixmap::fromImage(SewingMachineIcon::image(16, devicePixelRatioF(), text)));
    m_settingsButton->setIcon(Symbols::icon(QStringLiteral("gearshape"), 16, text));
    m_settingsButton->setIconSize(QSize(16, 16));
}
