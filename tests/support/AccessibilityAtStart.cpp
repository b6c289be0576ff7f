// Compiled into every suite that links the widget support library (an interface source), so
// that the panel's widgets read to assistive technology in the tests as in the program.
//
// Qt asks the interface factory installed last first, and the application installs its own, for
// Qt's widgets, after the start-up functions have run: installed from one, the panel's factory
// would lose to Qt's for a widget of a Qt class that says its role. So, as the program installs
// it once the application is made, the suites install it when the first widget is made.

#include "Views/Widgets/Accessibility.h"

#include <QCoreApplication>
#include <QEvent>

namespace {

class FirstWidget : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched->isWidgetType()) {
            Accessibility::install();
            QCoreApplication::instance()->removeEventFilter(this);
        }
        return QObject::eventFilter(watched, event);
    }
};

void installAccessibilityWithTheFirstWidget() {
    QCoreApplication* application = QCoreApplication::instance();
    application->installEventFilter(new FirstWidget(application));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(installAccessibilityWithTheFirstWidget)
