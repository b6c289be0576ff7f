#include "AppDelegate.h"
#include "Support/SettingsStore.h"
#include "Support/SingleInstance.h"
#include "Support/TerminationSignals.h"
#include "Support/Translations.h"
#include "Views/Widgets/Accessibility.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <malloc.h>

int main(int argc, char* argv[]) {
    // On a Wayland desktop a program cannot place its own windows, so the panel could not open
    // against the tray icon; through XWayland it can (the tray says where the click was).
    // Without XWayland, or when the user chose a platform, Qt decides as usual.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && qEnvironmentVariableIsSet("DISPLAY") &&
        qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // Blocks of a quarter MB and more (a design's bytes, a decode's points) go back to the
    // system when freed. Left to glibc, the threshold grows with each such block freed, and the
    // decoding threads' heaps keep the peak of a crafted design for good.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Bobbinlark"));
    QApplication::setApplicationName(QStringLiteral("Bobbinlark"));
    QApplication::setApplicationVersion(QStringLiteral(BOBBINLARK_VERSION));
    // The user's language, for everything from --help on.
    Translations::install();
    QGuiApplication::setDesktopFileName(QStringLiteral("com.bobbinlark.Bobbinlark"));
    // Closing the window leaves the program in the tray (or ready for the next launch).
    QApplication::setQuitOnLastWindowClosed(false);

    // --version and --help answer and end before anything touches the running instance.
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("files"),
        QCoreApplication::translate("main", "Design files to send to the selected machine."),
        QCoreApplication::translate("main", "[FILE...]"));
    parser.process(app);

    // Files opened with the program; a second launch hands them to the first and ends.
    const QStringList arguments = parser.positionalArguments();
    const QList<QUrl> files = SingleInstance::fileURLsFromArguments(arguments, QDir::currentPath());
    const QStringList refused = SingleInstance::refusedArguments(arguments);
    for (const QString& argument : refused)
        std::fprintf(stderr, "bobbinlark: %s is not a file on this computer\n",
                     qUtf8Printable(argument));
    // Asked to send only what cannot be sent: said so above, and nothing else happens.
    if (!refused.isEmpty() && files.isEmpty())
        return 1;
    SingleInstance instance(SingleInstance::defaultDirectory());
    switch (instance.start(files)) {
    case SingleInstance::Role::handedOff:
        return 0;
    case SingleInstance::Role::failed:
        std::fputs("bobbinlark: the running program did not answer\n", stderr);
        return 1;
    case SingleInstance::Role::primary:
        break;
    }

    // Before any widget: the panel's painted widgets then read to assistive technology as what
    // they are from the first.
    Accessibility::install();
    // Logout ends the program as Quit does: the store is written before it exits.
    const TerminationSignals quitOnSignal;
    AppDelegate delegate(SettingsStore::openUserStore());
    QObject::connect(&instance, &SingleInstance::showRequested, &delegate,
                     &AppDelegate::showRequested);
    QObject::connect(&instance, &SingleInstance::filesReceived, &delegate, &AppDelegate::receive);

    // Launch completes once the event loop runs, as it does for files opened at launch.
    QTimer::singleShot(0, &delegate, [&delegate, files] {
        delegate.applicationDidFinishLaunching();
        if (!files.isEmpty())
            delegate.receive(files);
    });
    return QApplication::exec();
}
