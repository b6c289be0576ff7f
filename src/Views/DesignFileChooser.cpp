#include "Views/DesignFileChooser.h"

#include "Designs/StitchFileTypes.h"
#include "Support/Desktop/PortalFileChooser.h"

#include <QDBusConnection>
#include <QFileDialog>
#include <QGuiApplication>

DesignFileChooser::DesignFileChooser(QWidget* owner)
    : QObject(owner)
    , m_owner(owner) {}

QFileDialog* DesignFileChooser::dialog() const {
    return m_dialog;
}

void DesignFileChooser::choose() {
    if (m_dialog) {
        m_dialog->raise();
        m_dialog->activateWindow();
        return;
    }
    if (m_isAskingPortal)
        return;
    QStringList patterns;
    for (const QString& extension : StitchFileTypes::sendableExtensions())
        patterns << QStringLiteral("*.") + extension;
    // The desktop's chooser through its portal where one runs, our own where none answers.
    const QString parentWindow =
        QGuiApplication::platformName() == QLatin1String("xcb")
            ? QStringLiteral("x11:") + QString::number(m_owner->window()->winId(), 16)
            : QString();
    auto* request = new PortalFileChooser::Request(
        QDBusConnection::sessionBus(), title(), PortalFileChooser::Filter{filterName(), patterns},
        parentWindow);
    m_isAskingPortal = true;
    connect(request, &PortalFileChooser::Request::chosen, this, [this](const QList<QUrl>& files) {
        m_isAskingPortal = false;
        report(files);
    });
    connect(request, &PortalFileChooser::Request::unavailable, this, [this, patterns] {
        m_isAskingPortal = false;
        openOwnDialog(patterns);
    });
}

QString DesignFileChooser::title() {
    return tr("Choose Designs to Send");
}

QString DesignFileChooser::filterName() {
    return tr("Embroidery designs");
}

void DesignFileChooser::openOwnDialog(const QStringList& patterns) {
    // Qt's file dialog: the platform theme's own where it has one, Qt's otherwise.
    m_dialog = new QFileDialog(m_owner->window(), title());
    m_dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_dialog->setFileMode(QFileDialog::ExistingFiles);
    m_dialog->setAcceptMode(QFileDialog::AcceptOpen);
    m_dialog->setNameFilter(filterName() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                            QLatin1Char(')'));
    // filesSelected, not urlsSelected: Qt's own dialog emits only the first.
    connect(m_dialog, &QFileDialog::filesSelected, this, [this](const QStringList& paths) {
        QList<QUrl> files;
        for (const QString& path : paths)
            files.append(QUrl::fromLocalFile(path));
        report(files);
    });
    m_dialog->open();
}

void DesignFileChooser::report(const QList<QUrl>& files) {
    if (!files.isEmpty())
        emit chosen(files);
}
