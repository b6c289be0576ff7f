#include "Views/Widgets/PlainToolTips.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPointer>
#include <QTextDocument>
#include <QToolTip>
#include <QWidget>

namespace {

// Takes over only the tooltips Qt would read as markup; the others Qt shows as it always does.
class Filter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        const QString text = widget->toolTip();
        if (text.isEmpty() || !Qt::mightBeRichText(text))
            return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), PlainToolTips::shown(text), widget, QRect(),
                           widget->toolTipDuration());
        return true;
    }
};

} // namespace

namespace PlainToolTips {

void install() {
    static QPointer<Filter> filter;
    QCoreApplication* application = QCoreApplication::instance();
    if (filter || !application)
        return;
    filter = new Filter(application);
    application->installEventFilter(filter);
}

QString shown(const QString& text) {
    // Escaped markup, with spaces and line breaks kept as a plain tooltip keeps them.
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpacePre) : text;
}

} // namespace PlainToolTips
