// The files that fit Bobbinlark into file managers: the desktop entry behind "Open With",
// "Send to Embroidery Machine" in Dolphin (a KIO service menu), in Nemo (an action file) and in
// PCManFM-Qt and Caja (a file-manager action), and Thunar's "Send To" entry. The actions have no
// validator of their own, so they are read here the way file managers read key files and held
// against the design types and the program the package installs.

#include "Designs/StitchFileTypes.h"
#include "Support/SingleInstance.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString appID = QStringLiteral("com.bobbinlark.Bobbinlark");
const QString packagingDir = QStringLiteral(BOBBINLARK_PACKAGING_DIR);

// A key file as GLib and KDE read one: [Group] headers, Key=Value lines, # comments. Anything
// else (a key outside a group, a line without '=', a key given twice) is a problem they would
// skip or refuse.
struct KeyFile {
    QMap<QString, QMap<QString, QString>> groups;
    QStringList problems;

    QString value(const QString& group, const QString& key) const {
        return groups.value(group).value(key);
    }
};

KeyFile readKeyFile(const QString& path) {
    KeyFile keyFile;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        keyFile.problems.append(QStringLiteral("cannot read ") + path);
        return keyFile;
    }
    QString group;
    int number = 0;
    for (const QByteArray& rawLine : file.readAll().split('\n')) {
        ++number;
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            group = line.mid(1, line.size() - 2);
            if (keyFile.groups.contains(group))
                keyFile.problems.append(QStringLiteral("group %1 twice").arg(group));
            keyFile.groups[group];
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (group.isEmpty() || equals <= 0) {
            keyFile.problems.append(QStringLiteral("line %1 is no key in a group").arg(number));
            continue;
        }
        const QString key = line.left(equals).trimmed();
        if (keyFile.groups[group].contains(key))
            keyFile.problems.append(QStringLiteral("key %1 twice in %2").arg(key, group));
        keyFile.groups[group][key] = line.mid(equals + 1).trimmed();
    }
    return keyFile;
}

// A list value: items end with ';' (the last one may not), "\;" is a ';' inside an item.
QStringList listValue(const QString& value) {
    QStringList items;
    QString item;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size() && value[i + 1] == u';') {
            item += u';';
            ++i;
        } else if (value[i] == u';') {
            items.append(item);
            item.clear();
        } else {
            item += value[i];
        }
    }
    if (!item.isEmpty())
        items.append(item);
    return items;
}

QSet<QString> setOf(const QStringList& items) {
    return QSet<QString>(items.begin(), items.end());
}

// Each file's group and the keys that hold its command, its design types and its icon.
struct Entry {
    QString file;
    QString group;
    QString mimeKey;
    QString iconKey;
};

const Entry desktopEntry{appID + QStringLiteral(".desktop"), QStringLiteral("Desktop Entry"),
                         QStringLiteral("MimeType"), QStringLiteral("Icon")};
const Entry dolphinAction{appID + QStringLiteral(".servicemenu.desktop"),
                          QStringLiteral("Desktop Action send"), QStringLiteral("MimeType"),
                          QStringLiteral("Icon")};
const Entry nemoAction{appID + QStringLiteral(".nemo_action"), QStringLiteral("Nemo Action"),
                       QStringLiteral("Mimetypes"), QStringLiteral("Icon-Name")};
const Entry thunarSendTo{appID + QStringLiteral(".thunar-sendto.desktop"),
                         QStringLiteral("Desktop Entry"), QStringLiteral("MimeType"),
                         QStringLiteral("Icon")};
// The icon is the action's, in its main group; the rest is the profile's.
const Entry fileManagerAction{appID + QStringLiteral(".file-manager-action.desktop"),
                              QStringLiteral("X-Action-Profile send"), QStringLiteral("MimeTypes"),
                              QStringLiteral("Icon")};

} // namespace

class TestPackaging : public QObject {
    Q_OBJECT

    QTemporaryDir m_dataHome;

    static void addEntries() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("mimeKey");
        QTest::addColumn<QString>("iconKey");
        for (const Entry& entry :
             {desktopEntry, dolphinAction, nemoAction, thunarSendTo, fileManagerAction})
            QTest::newRow(qPrintable(entry.file))
                << entry.file << entry.group << entry.mimeKey << entry.iconKey;
    }

private slots:
    void initTestCase() {
        // Our MIME definitions as installed, read by Qt's MIME database from a data folder of
        // this run (set before the database's first use).
        QVERIFY(m_dataHome.isValid());
        QVERIFY(QDir().mkpath(m_dataHome.filePath(QStringLiteral("mime/packages"))));
        QVERIFY(QFile::copy(packagingDir + u'/' + appID + QStringLiteral(".xml"),
                            m_dataHome.filePath(QStringLiteral("mime/packages/") + appID +
                                                QStringLiteral(".xml"))));
        qputenv("XDG_DATA_HOME", m_dataHome.path().toUtf8());
    }

    void listValuesFollowTheDesktopEntryRules() {
        QCOMPARE(listValue(QStringLiteral("a;b;")), (QStringList{"a", "b"}));
        QCOMPARE(listValue(QStringLiteral("a;b")), (QStringList{"a", "b"}));
        QCOMPARE(listValue(QStringLiteral("a\\;b;c;")), (QStringList{"a;b", "c"}));
        QCOMPARE(listValue(QString()), QStringList());
    }

    void everyEntryOffersExactlyTheSendableDesignTypes_data() { addEntries(); }
    void everyEntryOffersExactlyTheSendableDesignTypes() {
        QFETCH(QString, file);
        QFETCH(QString, group);
        QFETCH(QString, mimeKey);
        const KeyFile keyFile = readKeyFile(packagingDir + u'/' + file);
        QCOMPARE(keyFile.problems, QStringList());
        QVERIFY2(keyFile.groups.contains(group), qPrintable(group));

        // The types our MIME definitions give the extensions the program sends, and only
        // those: a PEC file is previewed but not sent.
        const QMimeDatabase database;
        QSet<QString> sendable;
        for (const QString& extension : StitchFileTypes::sendableExtensions()) {
            const QMimeType type = database.mimeTypeForFile(QStringLiteral("design.") + extension,
                                                            QMimeDatabase::MatchExtension);
            QVERIFY2(type.name().startsWith(QStringLiteral("application/x-bobbinlark-")),
                     qPrintable(extension + u' ' + type.name()));
            sendable.insert(type.name());
        }
        // Dolphin reads the types from the service's main group, the others from their own.
        const QString typesGroup =
            file == dolphinAction.file ? QStringLiteral("Desktop Entry") : group;
        QCOMPARE(setOf(listValue(keyFile.value(typesGroup, mimeKey))), sendable);
    }

    void everyEntryHandsThePathsToTheProgram_data() { addEntries(); }
    void everyEntryHandsThePathsToTheProgram() {
        QFETCH(QString, file);
        QFETCH(QString, group);
        QFETCH(QString, iconKey);
        const KeyFile keyFile = readKeyFile(packagingDir + u'/' + file);
        const QString iconGroup =
            file == fileManagerAction.file ? QStringLiteral("Desktop Entry") : group;
        QCOMPARE(keyFile.value(iconGroup, iconKey), appID);

        // The installed program, and %F: local paths, any number of them.
        const QString exec = keyFile.value(group, QStringLiteral("Exec"));
        QCOMPARE(exec, QStringLiteral(BOBBINLARK_PROGRAM_NAME " %F"));

        // The command line the file manager runs for two designs. Launchers of desktop entries
        // give each path its own argument; Nemo pastes them into the line in its Quote marks and
        // splits the line like a shell.
        const QStringList paths{QStringLiteral("/home/me/Designs/rose garden.pes"),
                                QStringLiteral("/home/me/leaf.DST")};
        QStringList arguments;
        if (group == nemoAction.group) {
            const QString quoteKind = keyFile.value(group, QStringLiteral("Quote"));
            const QString quote = quoteKind == u"double"   ? QStringLiteral("\"")
                                  : quoteKind == u"single" ? QStringLiteral("'")
                                                           : QString();
            QString line = exec;
            line.replace(QStringLiteral("%F"), quote + paths.join(quote + u' ' + quote) + quote);
            arguments = QProcess::splitCommand(line);
        } else {
            arguments = exec.split(u' ');
            arguments.replace(arguments.indexOf(QStringLiteral("%F")), paths.first());
            arguments.append(paths.mid(1));
        }
        // What the program, started that way, hands to the running one.
        const QList<QUrl> files =
            SingleInstance::fileURLsFromArguments(arguments.mid(1), QDir::rootPath());
        QCOMPARE(files,
                 (QList<QUrl>{QUrl::fromLocalFile(paths[0]), QUrl::fromLocalFile(paths[1])}));
    }

    void dolphinShowsTheActionBesideOpenWith() {
        const KeyFile keyFile = readKeyFile(packagingDir + u'/' + dolphinAction.file);
        const QString main = QStringLiteral("Desktop Entry");
        QCOMPARE(keyFile.value(main, QStringLiteral("Type")), QStringLiteral("Service"));
        QVERIFY(listValue(keyFile.value(main, QStringLiteral("X-KDE-ServiceTypes")))
                    .contains(QStringLiteral("KonqPopupMenu/Plugin")));
        // At the top of the context menu, not inside its "Actions" submenu.
        QCOMPARE(keyFile.value(main, QStringLiteral("X-KDE-Priority")), QStringLiteral("TopLevel"));

        // Every listed action has its group, and the groups are exactly those.
        const QStringList actions = listValue(keyFile.value(main, QStringLiteral("Actions")));
        QCOMPARE(actions, QStringList{QStringLiteral("send")});
        QCOMPARE(keyFile.groups.size(), 2);
        QCOMPARE(keyFile.value(dolphinAction.group, QStringLiteral("Name")),
                 QStringLiteral("Send to Embroidery Machine"));
    }

    void nemoShowsTheActionForDesignsOnly() {
        const KeyFile keyFile = readKeyFile(packagingDir + u'/' + nemoAction.file);
        const auto value = [&keyFile](const char* key) {
            return keyFile.value(nemoAction.group, QString::fromLatin1(key));
        };
        QCOMPARE(keyFile.groups.size(), 1);
        QCOMPARE(value("Name"), QStringLiteral("Send to Embroidery Machine"));
        QVERIFY(!value("Comment").isEmpty());
        QCOMPARE(value("Active"), QStringLiteral("true"));
        // One or more files: Nemo hides an action whose selection kind it does not know.
        QCOMPARE(value("Selection").toLower(), QStringLiteral("notnone"));
        // Nemo compares extensions as bare name suffixes ("recipes" ends in "pes"): types only.
        QVERIFY(!keyFile.groups.value(nemoAction.group).contains(QStringLiteral("Extensions")));
        // Hidden where the program is not installed.
        QCOMPARE(listValue(value("Dependencies")),
                 QStringList{QStringLiteral(BOBBINLARK_PROGRAM_NAME)});
    }

    void brokenKeyFilesAreNoticed() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("broken.desktop"));
        QVERIFY(writeFile(path, "Name=outside\n[Desktop Entry]\nExec=a\nExec=b\nno equals sign\n"));
        const KeyFile keyFile = readKeyFile(path);
        QCOMPARE(keyFile.problems.size(), 3);
        QCOMPARE(keyFile.value(QStringLiteral("Desktop Entry"), QStringLiteral("Exec")),
                 QStringLiteral("b"));
    }
};

QTEST_GUILESS_MAIN(TestPackaging)
#include "test_packaging.moc"
