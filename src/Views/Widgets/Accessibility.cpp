#include "Views/Widgets/Accessibility.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QMetaMethod>

// The kit's widgets are known here by their class names and Qt properties, not through their
// headers: several of them include Accessibility.h for its property names, and including them
// back would close a loop.
namespace {

// The method a widget offers for "open your menu" (HeaderButton, cards and rows).
constexpr const char* showMenuSignature = "showMenu()";

bool offersMenu(const QObject* object) {
    return object->metaObject()->indexOfMethod(showMenuSignature) >= 0;
}

// The method a widget that is not a button offers for "press" (the drop zone).
constexpr const char* activateSignature = "activate()";

bool offersActivation(const QObject* object) {
    return object->metaObject()->indexOfMethod(activateSignature) >= 0;
}

// A widget that draws itself, read as `role`. Buttons press; widgets with a menu open it.
class PanelAccessible : public QAccessibleWidget {
public:
    PanelAccessible(QWidget* widget, QAccessible::Role role)
        : QAccessibleWidget(widget, role) {}

    QAccessible::Role role() const override {
        const QVariant chosen = widget()->property(Accessibility::roleProperty);
        if (chosen.isValid())
            return static_cast<QAccessible::Role>(chosen.toInt());
        if (widget()->inherits("HeaderButton"))
            return widget()->property("hasMenu").toBool() ? QAccessible::ButtonMenu
                                                          : QAccessible::Button;
        return QAccessibleWidget::role();
    }

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) {
            if (!widget()->accessibleName().isEmpty())
                return widget()->accessibleName();
            if (widget()->inherits("StyledLabel")) // the whole text, not its shortened lines
                return widget()->property("fullText").toString();
            if (const auto* button = qobject_cast<const QAbstractButton*>(widget()))
                return button->text();
            return {};
        }
        if (kind == QAccessible::Description) {
            // The tooltip describes; it is not read twice when it only repeats the name.
            const QString description = QAccessibleWidget::text(kind);
            return description == text(QAccessible::Name) ? QString() : description;
        }
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget())) {
            state.pressed = button->isDown();
            state.checkable = button->isCheckable();
            state.checked = button->isChecked();
        }
        if (const QVariant checked = widget()->property(Accessibility::checkedProperty);
            checked.isValid()) {
            state.checkable = true;
            state.checked = checked.toBool();
        }
        if (offersMenu(widget()))
            state.hasPopup = true;
        return state;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled()) {
            if (offersMenu(widget()))
                names << showMenuAction();
            else if (qobject_cast<const QAbstractButton*>(widget()) || offersActivation(widget()))
                names << pressAction();
        }
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override {
        if (!widget()->isEnabled())
            return;
        auto* button = qobject_cast<QAbstractButton*>(widget());
        if (name == showMenuAction() && offersMenu(widget())) {
            QMetaObject::invokeMethod(widget(), "showMenu");
        } else if (name == pressAction() && button) {
            button->click();
        } else if (name == pressAction() && offersActivation(widget())) {
            QMetaObject::invokeMethod(widget(), "activate");
        }
        QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (widget->property(Accessibility::roleProperty).isValid())
        return new PanelAccessible(widget, QAccessible::NoRole);
    if (className == QLatin1String("HeaderButton"))
        return new PanelAccessible(widget, QAccessible::Button);
    if (className == QLatin1String("StyledLabel"))
        return new PanelAccessible(widget, QAccessible::StaticText);
    if (className == QLatin1String("RecentSendCard"))
        return new PanelAccessible(widget, QAccessible::ListItem);
    if (className == QLatin1String("ConfirmationSheet"))
        return new PanelAccessible(widget, QAccessible::Dialog);
    return nullptr;
}

} // namespace

namespace Accessibility {

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace Accessibility
