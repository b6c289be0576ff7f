// The yardstick for the tray program's start-up and idle memory: a Qt program that does
// nothing but show a tray icon (a plain 18-point square, no drawing of ours).

#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("bare-tray"));
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::black);
    QSystemTrayIcon icon{QIcon(pixmap)};
    icon.show();
    return QApplication::exec();
}
