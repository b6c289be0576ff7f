#include "support/Gallery.h"

#include "Support/Desktop/Symbols.h"
#include "Support/Translations.h"

#include "Views/Widgets/Accessibility.h"
#include "Views/Widgets/ConfirmationSheet.h"
#include "Views/Widgets/ControlButton.h"
#include "Views/Widgets/StyledLabel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGraphicsOpacityEffect>
#include <QIcon>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTranslator>
#include <QWidget>

#include <memory>

namespace Gallery {

namespace {

QPalette themed(const QColor& window, const QColor& text, const QColor& base, const QColor& button,
                const QColor& mid, const QColor& highlight) {
    QPalette palette;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, window);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::AlternateBase, window);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Button, button);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::Mid, mid);
        palette.setColor(group, QPalette::Highlight, highlight);
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::ToolTipBase, base);
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, mid);
        palette.setColor(group, QPalette::Light, button.lighter(130));
        palette.setColor(group, QPalette::Midlight, button.lighter(110));
        palette.setColor(group, QPalette::Dark, button.darker(150));
        palette.setColor(group, QPalette::Shadow, Qt::black);
    }
    QColor disabled = text;
    disabled.setAlphaF(0.4f);
    palette.setColor(QPalette::Disabled, QPalette::Window, window);
    palette.setColor(QPalette::Disabled, QPalette::Base, base);
    palette.setColor(QPalette::Disabled, QPalette::Button, button);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::Text, disabled);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    palette.setColor(QPalette::Disabled, QPalette::Highlight, mid);
    return palette;
}

// The opacity a widget is drawn at, through the effects of it and its ancestors up to `root`.
double drawnOpacity(const QWidget* widget, const QWidget* root) {
    double opacity = 1;
    for (const QWidget* at = widget; at; at = at->parentWidget()) {
        if (const auto* effect = qobject_cast<QGraphicsOpacityEffect*>(at->graphicsEffect());
            effect && effect->isEnabled())
            opacity *= effect->opacity();
        if (at == root)
            break;
    }
    return opacity;
}

// Where a control's boundary is drawn: a bordered button's border and a text field's frame, for
// the check to measure the outermost pixels against what surrounds them. A borderless or
// disabled control has no boundary to keep.
bool hasEdge(const QWidget* widget) {
    const auto* button = qobject_cast<const ControlButton*>(widget);
    return widget->isEnabled() && ((button && button->kind() == ControlButton::Kind::bordered) ||
                                   qobject_cast<const QLineEdit*>(widget));
}

QJsonObject placedEntry(const QString& kind, const QString& text, const QRect& placed,
                        double minimum) {
    return {{QStringLiteral("kind"), kind},
            {QStringLiteral("text"), text},
            {QStringLiteral("x"), placed.x()},
            {QStringLiteral("y"), placed.y()},
            {QStringLiteral("width"), placed.width()},
            {QStringLiteral("height"), placed.height()},
            {QStringLiteral("minimum"), minimum}};
}

// Every text `root` shows, where it is and in what colour it is drawn, with the least contrast
// it needs: 4.5:1, or 3:1 for large text and for the text of a disabled control. Then the parts
// that need 3:1 without being text: symbols (in their colour, like texts), and control edges and
// focus rings (as drawn, against what lies around them).
QJsonArray texts(QWidget& root) {
    QJsonArray found;
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    // While a question sheet is open, the screen behind it is dimmed on purpose and out of
    // reach: only the sheet's texts count.
    const ConfirmationSheet* sheet = nullptr;
    for (const ConfirmationSheet* shown : root.findChildren<ConfirmationSheet*>())
        sheet = shown->isVisibleTo(&root) ? shown : sheet;
    for (QWidget* widget : widgets) {
        if (!widget->isVisibleTo(&root) && widget != &root)
            continue;
        if (sheet && widget != sheet && !sheet->isAncestorOf(widget))
            continue;
        const QString name = widget->accessibleName().isEmpty()
                                 ? QString::fromLatin1(widget->metaObject()->className())
                                 : widget->accessibleName();
        const QRect shown = widget->visibleRegion().boundingRect();
        const QRect whole(widget->mapTo(&root, QPoint()), widget->size());
        if (hasEdge(widget) && shown == widget->rect())
            found.append(placedEntry(QStringLiteral("edge"), name, whole, 3));
        if (widget->property(Accessibility::focusRingProperty).toBool() && shown == widget->rect())
            found.append(placedEntry(QStringLiteral("focus ring"), name, whole, 3));
        if (const QRect area = widget->property(Accessibility::symbolAreaProperty).toRect();
            !area.isEmpty() && widget->isEnabled() && shown.contains(area)) {
            QJsonObject symbol =
                placedEntry(QStringLiteral("symbol"), name,
                            QRect(widget->mapTo(&root, area.topLeft()), area.size()), 3);
            symbol.insert(
                QStringLiteral("ink"),
                widget->property(Accessibility::inkProperty).value<QColor>().name(QColor::HexArgb));
            found.append(symbol);
        }
        QString text;
        QColor ink;
        QRect area = widget->rect();
        if (auto* label = qobject_cast<StyledLabel*>(widget)) {
            text = label->text();
            ink = label->textColor();
            area = label->contentsRect();
        } else if (auto* field = qobject_cast<QLineEdit*>(widget)) {
            text = field->text();
            ink = field->palette().color(field->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                         QPalette::Text);
        } else if (auto* plain = qobject_cast<QLabel*>(widget); plain && !plain->pixmap()) {
            text = plain->text();
            ink = plain->palette().color(QPalette::WindowText);
        } else if (const QVariant drawn = widget->property(Accessibility::inkProperty);
                   drawn.isValid() &&
                   !widget->property(Accessibility::symbolAreaProperty).isValid()) {
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                text = button->text();
            ink = drawn.value<QColor>();
            // Inside its edge and focus ring: the fill the text stands on.
            const int ring = 3;
            if (area.width() > 4 * ring && area.height() > 4 * ring)
                area = area.adjusted(ring, ring, -ring, -ring);
        }
        if (text.trimmed().isEmpty() || !ink.isValid())
            continue;
        // Only what shows: a card scrolled out of its list is there but not seen.
        area = area.intersected(widget->visibleRegion().boundingRect());
        if (area.isEmpty())
            continue;
        const QFont font = widget->font();
        const double points =
            font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0;
        const bool large = points >= 18 || (points >= 14 && font.weight() >= QFont::Bold);
        const QRect placed(widget->mapTo(&root, area.topLeft()), area.size());
        // A dimmed part (a card whose file is gone) reads as disabled.
        const double opacity = drawnOpacity(widget, &root);
        ink.setAlphaF(float(ink.alphaF() * opacity));
        found.append(QJsonObject{
            {QStringLiteral("text"), text},
            {QStringLiteral("x"), placed.x()},
            {QStringLiteral("y"), placed.y()},
            {QStringLiteral("width"), placed.width()},
            {QStringLiteral("height"), placed.height()},
            {QStringLiteral("ink"), ink.name(QColor::HexArgb)},
            {QStringLiteral("minimum"), large || !widget->isEnabled() || opacity < 1 ? 3.0 : 4.5},
        });
    }
    return found;
}

bool saveTexts(const QJsonArray& found, const QString& path) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(QJsonDocument(found).toJson()) > 0;
}

// Every text between ⟦ and ⟧, translated or not.
class PseudoTranslator : public QTranslator {
public:
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        Q_UNUSED(context);
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        return QStringLiteral("⟦%1⟧").arg(QString::fromUtf8(sourceText));
    }
    bool isEmpty() const override { return false; }
};

struct LanguageState {
    QString language = QStringLiteral("en");
    std::unique_ptr<PseudoTranslator> pseudo;
};

LanguageState& languageState() {
    static LanguageState state;
    return state;
}

double& defaultPointSize() {
    static double size = 0;
    return size;
}

} // namespace

double fontScale() {
    if (defaultPointSize() <= 0)
        return 1;
    return QApplication::font().pointSizeF() / defaultPointSize();
}

void setFontScale(double scale) {
    if (defaultPointSize() <= 0)
        defaultPointSize() = QApplication::font().pointSizeF();
    QFont font = QApplication::font();
    if (qFuzzyCompare(font.pointSizeF(), defaultPointSize() * scale))
        return;
    font.setPointSizeF(defaultPointSize() * scale);
    QApplication::setFont(font);
}

void setLanguage(const QString& language) {
    LanguageState& state = languageState();
    if (state.pseudo)
        QCoreApplication::removeTranslator(state.pseudo.get());
    state.pseudo.reset();
    state.language = language;
    if (language == QLatin1String(pseudoLanguage)) {
        Translations::install(QLocale::c());
        state.pseudo = std::make_unique<PseudoTranslator>();
        QCoreApplication::installTranslator(state.pseudo.get());
        QLocale::setDefault(QLocale::c());
        return;
    }
    const QLocale locale(language);
    Translations::install(locale);
    QLocale::setDefault(language == QLatin1String("en") ? QLocale::c() : locale);
}

QString language() {
    return languageState().language;
}

QString unmarked(QString text) {
    static const QRegularExpression innermost(QStringLiteral("⟦[^⟦⟧]*⟧"));
    while (text.contains(innermost))
        text.remove(innermost);
    return text;
}

QPalette lightPalette() {
    return themed(QColor(0xf6, 0xf6, 0xf6), QColor(0x1d, 0x1d, 0x1f), Qt::white,
                  QColor(0xe8, 0xe8, 0xea), QColor(0xb8, 0xb8, 0xbc), QColor(0x35, 0x84, 0xe4));
}

QPalette darkPalette() {
    return themed(QColor(0x24, 0x24, 0x28), QColor(0xec, 0xec, 0xee), QColor(0x1c, 0x1c, 0x1f),
                  QColor(0x36, 0x36, 0x3b), QColor(0x5a, 0x5a, 0x60), QColor(0x35, 0x84, 0xe4));
}

QString directory() {
    QString root = qEnvironmentVariable("BOBBINLARK_TEST_OUTPUT");
    if (root.isEmpty())
        root = QDir::tempPath() + QStringLiteral("/bobbinlark-test-output");
    const QString dir = root + QStringLiteral("/gallery");
    QDir().mkpath(dir);
    return dir;
}

Shots render(QWidget& widget, const QString& name) {
    const QPalette original = widget.palette();
    const bool hadOwnPalette = widget.testAttribute(Qt::WA_SetPalette);
    Shots shots;
    QJsonArray lightTexts;
    QJsonArray darkTexts;
    const auto shoot = [&widget](const QPalette& palette, QJsonArray& found) {
        widget.setPalette(palette);
        widget.setAutoFillBackground(true);
        // A ring counts only if this paint draws it.
        for (QWidget* child : widget.findChildren<QWidget*>())
            child->setProperty(Accessibility::focusRingProperty, QVariant());
        widget.setProperty(Accessibility::focusRingProperty, QVariant());
        // Layouts settle through posted events, as they would before the next paint on screen.
        for (int round = 0; round < 3; ++round)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        if (QLayout* layout = widget.layout())
            layout->activate();
        QImage image = widget.grab().toImage();
        // After the grab: painted widgets say their ink as they paint.
        found = texts(widget);
        return image;
    };
    shots.light = shoot(lightPalette(), lightTexts);
    shots.dark = shoot(darkPalette(), darkTexts);
    const QString base = directory() + QLatin1Char('/') + name +
                         (language() != QLatin1String("en") ? u'-' + language() : QString()) +
                         (fontScale() > 1.2 ? QStringLiteral("-large") : QString());
    // Beside each picture, where its texts are, for the check of contrast (gallery_contrast).
    shots.saved = shots.light.save(base + QStringLiteral("-light.png")) &&
                  shots.dark.save(base + QStringLiteral("-dark.png")) &&
                  saveTexts(lightTexts, base + QStringLiteral("-light.texts.json")) &&
                  saveTexts(darkTexts, base + QStringLiteral("-dark.texts.json"));
    if (hadOwnPalette)
        widget.setPalette(original);
    else
        widget.setPalette(QPalette());
    return shots;
}

} // namespace Gallery

namespace {

// Runs as the application starts, before any test builds a widget: notes the platform's font
// size, and makes the font larger and takes the icon theme (Adwaita where none is named) that the
// environment asks for.
void applyEnvironment() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    Gallery::setFontScale(1);
    const double scale = qEnvironmentVariable("BOBBINLARK_GALLERY_FONT_SCALE").toDouble();
    if (scale > 0)
        Gallery::setFontScale(scale);
    Symbols::useFallbackTheme();
    if (const QString theme = qEnvironmentVariable("BOBBINLARK_GALLERY_ICON_THEME");
        !theme.isEmpty())
        QIcon::setThemeName(theme);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(applyEnvironment)
