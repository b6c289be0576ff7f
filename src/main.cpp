#include "AppState.h"
#include "Support/SettingsStore.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Bobbinlark"));
    QApplication::setApplicationName(QStringLiteral("Bobbinlark"));
    AppState state(SettingsStore::openUserStore());
    return 0;
}
