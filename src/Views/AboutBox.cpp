#include "Views/AboutBox.h"

#include "Support/Desktop/Style.h"
#include "Support/Drawing/SewingMachineIcon.h"
#include "Views/Widgets/StyledLabel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int glyphSize = 64;

} // namespace

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("About Bobbinlark"));
    setFixedWidth(boxWidth);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 24, 24, 16);
    column->setSpacing(6);

    m_glyph = new QLabel(this);
    m_glyph->setFixedSize(glyphSize, glyphSize);
    m_glyph->setAccessibleName(QStringLiteral("Bobbinlark"));
    column->addWidget(m_glyph, 0, Qt::AlignHCenter);
    column->addSpacing(6);

    auto* name = new StyledLabel(QStringLiteral("Bobbinlark"), Style::TextStyle::title3,
                                 QFont::Bold, Style::Tone::primary, this);
    name->setAlignment(Qt::AlignHCenter);
    column->addWidget(name);

    m_version =
        new StyledLabel(tr("Version %1").arg(QCoreApplication::applicationVersion()),
                        Style::TextStyle::callout, QFont::Normal, Style::Tone::secondary, this);
    m_version->setAlignment(Qt::AlignHCenter);
    m_version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_version->setVisible(!QCoreApplication::applicationVersion().isEmpty());
    column->addWidget(m_version);
    column->addSpacing(6);

    m_description = new StyledLabel(
        tr("Sends embroidery designs to Brother embroidery machines on your network."),
        Style::TextStyle::body, QFont::Normal, Style::Tone::primary, this);
    m_description->setMaximumLines(0);
    m_description->setAlignment(Qt::AlignHCenter);
    column->addWidget(m_description);
    column->addSpacing(12);

    // A plain text button: a stock icon on "Close" is not how desktops' About boxes look.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_close = new QPushButton(tr("Close"), this);
    m_close->setIcon(QIcon());
    m_close->setDefault(true);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(m_close);
    column->addLayout(buttons);

    updateGlyph();
}

QString AboutBox::versionText() const {
    return m_version->fullText();
}

QString AboutBox::descriptionText() const {
    return m_description->fullText();
}

void AboutBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        updateGlyph();
    QDialog::changeEvent(event);
}

void AboutBox::updateGlyph() {
    m_glyph->setPixmap(QPixmap::fromImage(SewingMachineIcon::image(
        glyphSize, devicePixelRatioF(), palette().color(QPalette::WindowText))));
}
