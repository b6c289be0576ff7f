#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Files handed over by other programs on the session bus: the method
// com.bobbinlark.Bobbinlark.SendFiles(as uris) at /com/bobbinlark/Bobbinlark, owned by the
// bus name com.bobbinlark.Bobbinlark. A file manager action or a script can call it:
//   gdbus call --session --dest com.bobbinlark.Bobbinlark --object-path
//     /com/bobbinlark/Bobbinlark --method com.bobbinlark.Bobbinlark.SendFiles "['file:///…']"
class ServicesProvider : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.bobbinlark.Bobbinlark")

public:
    static constexpr QLatin1StringView serviceName{"com.bobbinlark.Bobbinlark"};
    static constexpr QLatin1StringView objectPath{"/com/bobbinlark/Bobbinlark"};
    static constexpr QLatin1StringView noFilesError{"com.bobbinlark.Bobbinlark.Error.NoFiles"};

    explicit ServicesProvider(QObject* parent = nullptr);

    // Publishes the method on `connection`. False, and nothing published, when the bus is not
    // connected or another program owns the name.
    bool registerOn(QDBusConnection connection);

    // The local file URLs among `uris`, in order; everything else is left out.
    static QList<QUrl> fileURLs(const QStringList& uris);

public slots:
    Q_SCRIPTABLE void SendFiles(const QStringList& uris);

signals:
    void filesReceived(const QList<QUrl>& files);
};
