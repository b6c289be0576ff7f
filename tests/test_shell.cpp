// The tray program's pieces: the glyph and the installed icon drawn from it, the login item
// over XDG autostart, one instance per user, the session-bus hand-over, the popover window and
// the delegate that ties them to the state.

#include "AppDelegate.h"
#include "State/AppState.h"
#include "Support/Desktop/BatchNotice.h"
#include "Support/Desktop/DBusMenuExporter.h"
#include "Support/Desktop/DesktopNotifier.h"
#include "Support/Desktop/ServicesProvider.h"
#include "Support/Desktop/StatusNotifierItem.h"
#include "Support/Desktop/Style.h"
#include "Support/Desktop/TrayIcon.h"
#include "Support/Drawing/SewingMachineIcon.h"
#include "Support/LoginItem.h"
#include "Support/SettingsStore.h"
#include "Support/SingleInstance.h"
#include "Views/AboutBox.h"
#include "Views/MainScreen.h"
#include "Views/PopoverView.h"
#include "Views/PopoverWindow.h"
#include "Views/Widgets/HeaderButton.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/Files.h"
#include "support/Gallery.h"
#include "support/Machines.h"
#include "support/PrivateBus.h"
#include "support/Scans.h"
#include "support/TemporaryStore.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QLabel>
#include <QLocalSocket>
#include <QMenu>
#include <QMimeDatabase>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>

#include <climits>
#include <tuple>

namespace {

// The image's alpha at a point given in glyph grid units (y up), for an image of 24 points at
// `scale` pixels per point.
int alphaAtGrid(const QImage& image, double x, double y, double scale) {
    return qAlpha(image.pixel(int(x * scale), int((24 - y) * scale)));
}

QString outputDirectory() {
    QString dir = qEnvironmentVariable("BOBBINLARK_TEST_OUTPUT");
    if (dir.isEmpty())
        dir = QDir::tempPath() + QStringLiteral("/bobbinlark-test-output");
    QDir().mkpath(dir);
    return dir;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// `act` on a launch in `folder` on another thread, as a later start of the program would.
template <typename Act>
auto laterLaunch(const QString& folder, Act act) {
    return QtConcurrent::run([folder, act] {
        SingleInstance launch(folder);
        return act(launch);
    });
}

QPalette darkPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x24, 0x24, 0x28));
    palette.setColor(QPalette::WindowText, QColor(0xec, 0xec, 0xee));
    palette.setColor(QPalette::Base, QColor(0x1c, 0x1c, 0x1f));
    palette.setColor(QPalette::Text, QColor(0xec, 0xec, 0xee));
    palette.setColor(QPalette::Button, QColor(0x30, 0x30, 0x34));
    palette.setColor(QPalette::ButtonText, QColor(0xec, 0xec, 0xee));
    palette.setColor(QPalette::Mid, QColor(0x48, 0x48, 0x4e));
    return palette;
}

// The brightest opaque pixel's lightness; tells which colour a glyph was drawn in.
int maxLightness(const QImage& image) {
    int best = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 200)
                best = std::max(best, c.lightness());
        }
    return best;
}

LoginItem::Service fakeSystem(LoginItem::Status& status, int& settingsOpened,
                              std::optional<QString> failure = std::nullopt,
                              LoginItem::Status afterRegister = LoginItem::Status::enabled) {
    return LoginItem::Service{
        [&status] { return status; },
        [&status, failure, afterRegister]() -> std::optional<QString> {
            if (!failure)
                status = afterRegister;
            return failure;
        },
        [&status, failure]() -> std::optional<QString> {
            if (!failure)
                status = LoginItem::Status::notRegistered;
            return failure;
        },
        [&settingsOpened] { ++settingsOpened; },
    };
}

// A delegate for tests: no session bus, and its machine checks and scans stay on loopback
// (no interfaces, so a scan probes nothing); scans are counted.
// The panel's side of the status-notifier protocol, as Xfce's and waybar's trays speak it: it
// takes items' registrations and says whether a host shows them.
class TrayWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)

public:
    QStringList registered;
    bool hostRegistered() const { return true; }

public slots:
    Q_SCRIPTABLE void RegisterStatusNotifierItem(const QString& service) {
        registered.append(service);
    }
};

// A notification server that records what it is asked to show, as one that reads no markup.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Notification {
        QString appName, appIcon, summary, body;
        uint replacesID = 0, id = 0;
        QStringList actions;
        QVariantMap hints;
    };
    QList<Notification> notifications;

public slots:
    Q_SCRIPTABLE QStringList GetCapabilities() { return {QStringLiteral("actions")}; }
    Q_SCRIPTABLE uint Notify(const QString& appName, uint replacesID, const QString& appIcon,
                             const QString& summary, const QString& body,
                             const QStringList& actions, const QVariantMap& hints, int) {
        const uint id = replacesID != 0 ? replacesID : uint(notifications.size() + 1);
        notifications.append({appName, appIcon, summary, body, replacesID, id, actions, hints});
        return id;
    }

signals:
    // The user clicked a notification.
    Q_SCRIPTABLE void ActionInvoked(uint id, const QString& actionKey);
};

// The program's delegate off the session bus and without a tray, whose scans find no network:
// on fresh settings of its own unless a test brings some.
struct QuietDelegate {
    TemporaryStore ownStore;
    Scans::Count scans = std::make_shared<std::atomic<int>>(0);
    AppDelegate delegate;

    QuietDelegate()
        : QuietDelegate(ownStore) {}
    // Not delegating: the settings are opened once this object's own store exists.
    explicit QuietDelegate(const TemporaryStore& store,
                           AppDelegate::Options options = {false, false, std::nullopt})
        : delegate(store.open(), std::move(options)) {
        delegate.appState().monitor().setDiscoveryEnvironment(Scans::noNetwork(scans));
    }
    explicit QuietDelegate(std::unique_ptr<QSettings> store,
                           AppDelegate::Options options = {false, false, std::nullopt})
        : delegate(std::move(store), std::move(options)) {
        delegate.appState().monitor().setDiscoveryEnvironment(Scans::noNetwork(scans));
    }
    ~QuietDelegate() { settle(); }

    // Waits until no check, scan or send is running, so nothing outlives the state.
    bool settle() {
        AppState& state = delegate.appState();
        return QTest::qWaitFor(
            [&state] {
                const QList<Reachability> values = state.monitor().reachability().values();
                return !state.monitor().isDiscovering() && !state.sendQueue().isSending() &&
                       !values.contains(Reachability::checking);
            },
            20000);
    }
};

} // namespace

class TestShell : public QObject {
    Q_OBJECT

    QTemporaryDir m_dataHome;

private slots:
    void initTestCase() {
        // Our MIME definitions as installed, read by Qt's MIME database from a data folder of
        // this run (set before the database's first use).
        QVERIFY(m_dataHome.isValid());
        QVERIFY(QDir().mkpath(m_dataHome.filePath(QStringLiteral("mime/packages"))));
        QVERIFY(QFile::copy(
            QStringLiteral(BOBBINLARK_PACKAGING_DIR "/com.bobbinlark.Bobbinlark.xml"),
            m_dataHome.filePath(QStringLiteral("mime/packages/com.bobbinlark.Bobbinlark.xml"))));
        qputenv("XDG_DATA_HOME", m_dataHome.path().toUtf8());
    }

    // --- the design file types -----------------------------------------------------------------

    void designFilesHaveTheirOwnTypes() {
        const QMimeDatabase database;
        const auto byName = [&database](const char* name) {
            return database
                .mimeTypeForFile(QString::fromLatin1(name), QMimeDatabase::MatchExtension)
                .name();
        };
        QCOMPARE(byName("flower.pes"), QStringLiteral("application/x-bobbinlark-pes"));
        QCOMPARE(byName("FLOWER.PES"), QStringLiteral("application/x-bobbinlark-pes"));
        QCOMPARE(byName("rose.Dst"), QStringLiteral("application/x-bobbinlark-dst"));
        QCOMPARE(byName("leaf.phc"), QStringLiteral("application/x-bobbinlark-phc"));
        QCOMPARE(byName("leaf.pen"), QStringLiteral("application/x-bobbinlark-pen"));
        QCOMPARE(byName("leaf.pec"), QStringLiteral("application/x-bobbinlark-pec"));
        // By contents where the format has a signature.
        QCOMPARE(database.mimeTypeForData(QByteArray("#PES0001\0\0\0\0")).name(),
                 QStringLiteral("application/x-bobbinlark-pes"));
        QCOMPARE(database.mimeTypeForData(QByteArray("#PEC0001\0\0\0\0")).name(),
                 QStringLiteral("application/x-bobbinlark-pec"));
        QVERIFY(database.mimeTypeForName(QStringLiteral("application/x-bobbinlark-pes"))
                    .comment()
                    .contains(QStringLiteral("PES")));
    }

    // --- the glyph ---------------------------------------------------------------------------

    void glyphShapesLandWhereTheGridSays() {
        constexpr double scale = 10; // 240 x 240 pixels, one grid unit = 10 pixels
        const QImage glyph = SewingMachineIcon::image(24, scale);
        QCOMPARE(glyph.size(), QSize(240, 240));
        // Filled: the bar, the upright, the arm, the spool on top, the wheel's rim.
        QCOMPARE(alphaAtGrid(glyph, 12, 3.6, scale), 255);
        QCOMPARE(alphaAtGrid(glyph, 17, 8, scale), 255);
        QCOMPARE(alphaAtGrid(glyph, 12, 18, scale), 255);
        QCOMPARE(alphaAtGrid(glyph, 12, 20, scale), 255);
        QCOMPARE(alphaAtGrid(glyph, 22.2, 13.75, scale), 255);
        QCOMPARE(alphaAtGrid(glyph, 6.25, 8, scale), 255); // needle
        // Empty: the corners, above the spool, under the arm between head and upright.
        QCOMPARE(alphaAtGrid(glyph, 0.5, 0.5, scale), 0);
        QCOMPARE(alphaAtGrid(glyph, 12, 22.5, scale), 0);
        QCOMPARE(alphaAtGrid(glyph, 0.5, 23.5, scale), 0);
        QCOMPARE(alphaAtGrid(glyph, 11.5, 8, scale), 0);
        // Cut out of what was drawn before: the wheel's hole and the arm's slot.
        QCOMPARE(alphaAtGrid(glyph, 20.25, 13.75, scale), 0);
        QCOMPARE(alphaAtGrid(glyph, 9.75, 15.75, scale), 0);
        QCOMPARE(alphaAtGrid(glyph, 9.75, 14.2, scale), 255); // the arm just under the slot
    }

    void wheelHoleIsOnePointTwoAtEighteenPoints() {
        // At 18 points a grid unit is 0.75 points; at 10 pixels per point the 1.2-point hole
        // is 12 pixels across, centred in the wheel.
        const QImage glyph = SewingMachineIcon::image(18, 10);
        const double unit = 7.5; // pixels per grid unit
        const int row = int((24 - 13.75) * unit);
        const int centre = int(20.25 * unit);
        int left = centre;
        while (qAlpha(glyph.pixel(left - 1, row)) < 128)
            --left;
        int right = centre;
        while (qAlpha(glyph.pixel(right + 1, row)) < 128)
            ++right;
        const int width = right - left + 1;
        QVERIFY2(width >= 11 && width <= 13, qPrintable(QString::number(width)));
        QVERIFY(std::abs((left + right) / 2.0 - 20.25 * unit) <= 1);
    }

    void wideRectangleCentresASquareGlyph() {
        constexpr int scale = 4;
        QImage wide(36 * scale, 18 * scale, QImage::Format_ARGB32_Premultiplied);
        wide.fill(Qt::transparent);
        {
            QPainter painter(&wide);
            SewingMachineIcon::drawGlyph(&painter, QRectF(0, 0, 36 * scale, 18 * scale), Qt::black);
        }
        const QImage square = SewingMachineIcon::image(18 * scale);
        QCOMPARE(wide.copy(9 * scale, 0, 18 * scale, 18 * scale), square);
        for (int y = 0; y < wide.height(); ++y) {
            for (int x = 0; x < 9 * scale; ++x) {
                QCOMPARE(qAlpha(wide.pixel(x, y)), 0);
                QCOMPARE(qAlpha(wide.pixel(wide.width() - 1 - x, y)), 0);
            }
        }
    }

    void drawingLeavesThePainterAsItWas() {
        QImage target(24, 24, QImage::Format_ARGB32_Premultiplied);
        target.fill(Qt::transparent);
        QPainter painter(&target);
        painter.setCompositionMode(QPainter::CompositionMode_Plus);
        painter.setBrush(Qt::red);
        SewingMachineIcon::drawGlyph(&painter, QRectF(0, 0, 24, 24), Qt::blue);
        QCOMPARE(painter.compositionMode(), QPainter::CompositionMode_Plus);
        QCOMPARE(painter.brush().color(), QColor(Qt::red));
        painter.end();

        // Without an active painter nothing is drawn and nothing breaks.
        QPainter inactive;
        SewingMachineIcon::drawGlyph(&inactive, QRectF(0, 0, 24, 24), Qt::blue);
        SewingMachineIcon::drawGlyph(nullptr, QRectF(0, 0, 24, 24), Qt::blue);
    }

    void iconHasSharpPixmapsForEachScale() {
        const QIcon icon = SewingMachineIcon::icon(18, Qt::black);
        QVERIFY(icon.isMask());
        const QList<QSize> sizes = icon.availableSizes();
        for (const QSize& size : {QSize(18, 18), QSize(27, 27), QSize(36, 36), QSize(54, 54)})
            QVERIFY2(sizes.contains(size), qPrintable(QString::number(size.width())));
        // The 2x pixmap is drawn at 36 pixels, not scaled up from 18: its hole is transparent.
        const QImage twice = icon.pixmap(QSize(18, 18), 2.0).toImage();
        QCOMPARE(twice.size(), QSize(36, 36));
        QCOMPARE(qAlpha(twice.pixel(int(20.25 * 1.5), int((24 - 13.75) * 1.5))), 0);

        // The tray's glyph: light inside, a dark edge all round, inside the image. Along a row
        // through the arm, the first and last opaque pixels are the edge's, and between them
        // lies the fill.
        const QColor fill(0xf6, 0xf6, 0xf6);
        const QColor edge(0x1a, 0x1a, 0x1a);
        const QImage tray = SewingMachineIcon::edgedImage(22, 1.0, fill, edge);
        QCOMPARE(tray.size(), QSize(22, 22));
        for (int x = 0; x < 22; ++x)
            QCOMPARE(qAlpha(tray.pixel(x, 0)), 0); // nothing touches the image's edge
        const int row = 7;                         // through the arm
        int first = 0;
        while (first < 22 && qAlpha(tray.pixel(first, row)) < 200)
            ++first;
        int last = 21;
        while (last >= 0 && qAlpha(tray.pixel(last, row)) < 200)
            --last;
        QVERIFY(first < last);
        QVERIFY(qGray(tray.pixel(first, row)) < 80);
        QVERIFY(qGray(tray.pixel(last, row)) < 80);
        int lightest = 0;
        for (int x = first; x <= last; ++x)
            lightest = std::max(lightest, qGray(tray.pixel(x, row)));
        QVERIFY(lightest > 220);
    }

    void installedIconMatchesTheDrawnGlyph() {
        // The SVG the build installs, rendered by an SVG renderer, against the painted glyph.
        constexpr int size = 240;
        QSvgRenderer renderer(
            SewingMachineIcon::svgDocument(size, QStringLiteral("#000000")).toUtf8());
        QVERIFY(renderer.isValid());
        QImage fromSvg(size, size, QImage::Format_ARGB32_Premultiplied);
        fromSvg.fill(Qt::transparent);
        {
            QPainter painter(&fromSvg);
            renderer.render(&painter);
        }
        const QImage painted = SewingMachineIcon::image(24, 10);
        int differing = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (std::abs(qAlpha(fromSvg.pixel(x, y)) - qAlpha(painted.pixel(x, y))) > 128)
                    ++differing;
        QVERIFY2(differing < size * size / 400, qPrintable(QString::number(differing)));
        QCOMPARE(alphaAtGrid(fromSvg, 20.25, 13.75, 10), 0);
        QCOMPARE(alphaAtGrid(fromSvg, 9.75, 15.75, 10), 0);
        QCOMPARE(alphaAtGrid(fromSvg, 12, 3.6, 10), 255);
        fromSvg.save(outputDirectory() + QStringLiteral("/icon-from-svg.png"));
    }

    // --- the login item ----------------------------------------------------------------------

    void loginItemWritesReadsAndRemovesTheAutostartEntry() {
        QTemporaryDir home;
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        const QString entry =
            home.path() + QStringLiteral("/autostart/com.bobbinlark.Bobbinlark.desktop");
        QCOMPARE(LoginItem::defaultEntryPath(), entry);

        LoginItem item(LoginItem::autostartService(entry, QStringLiteral("/usr/bin/bobbinlark")));
        QVERIFY(!item.isEnabled());
        QVERIFY(!item.needsApproval());
        QSignalSpy enabledChanges(&item, &LoginItem::isEnabledChanged);

        item.setEnabled(true);
        QVERIFY(item.isEnabled());
        QCOMPARE(enabledChanges.count(), 1);
        QCOMPARE(item.property("isEnabled").toBool(), true);
        const QByteArray contents = readAll(entry);
        for (const char* line :
             {"[Desktop Entry]", "Type=Application", "Name=Bobbinlark", "Exec=/usr/bin/bobbinlark",
              "Icon=com.bobbinlark.Bobbinlark",
              "X-GNOME-Autostart-Delay=", "X-KDE-autostart-after=panel", "X-LXQt-Need-Tray=true"})
            QVERIFY2(contents.contains(line), line);
        // Written whole in one step: no temporary file is left beside it.
        QCOMPARE(QDir(home.path() + QStringLiteral("/autostart")).entryList(QDir::Files),
                 QStringList{QStringLiteral("com.bobbinlark.Bobbinlark.desktop")});

        // A fresh item sees what is on disk; enabling twice changes nothing.
        LoginItem fresh(LoginItem::autostartService(entry, QStringLiteral("/usr/bin/bobbinlark")));
        QVERIFY(fresh.isEnabled());
        item.setEnabled(true);
        QCOMPARE(enabledChanges.count(), 1);

        item.setEnabled(false);
        QVERIFY(!item.isEnabled());
        QVERIFY(!QFile::exists(entry));
        QCOMPARE(enabledChanges.count(), 2);
        // Disabling what is not there is no failure.
        item.setEnabled(false);
        QVERIFY(!item.isEnabled());
    }

    void autostartEntryThatOptsOutReadsAsDisabled_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("plain") << QByteArray("[Desktop Entry]\nExec=bobbinlark\n") << true;
        QTest::newRow("hidden") << QByteArray("[Desktop Entry]\nHidden=true\n") << false;
        QTest::newRow("hidden false") << QByteArray("[Desktop Entry]\nHidden=false\n") << true;
        QTest::newRow("gnome off")
            << QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n") << false;
        QTest::newRow("gnome on") << QByteArray("[Desktop Entry]\nX-GNOME-Autostart-enabled=true\n")
                                  << true;
        QTest::newRow("spaces and CRLF")
            << QByteArray("[Desktop Entry]\r\nHidden = true\r\n") << false;
        QTest::newRow("other group")
            << QByteArray("[Desktop Entry]\nExec=b\n[Desktop Action x]\nHidden=true\n") << true;
    }

    void autostartEntryThatOptsOutReadsAsDisabled() {
        QFETCH(QByteArray, contents);
        QFETCH(bool, enabled);
        QTemporaryDir dir;
        const QString entry = dir.path() + QStringLiteral("/autostart/x.desktop");
        QVERIFY(QDir().mkpath(dir.path() + QStringLiteral("/autostart")));
        QVERIFY(writeFile(entry, contents));
        LoginItem item(LoginItem::autostartService(entry, QStringLiteral("bobbinlark")));
        QCOMPARE(item.isEnabled(), enabled);
        QVERIFY(!item.needsApproval());
    }

    void autostartEntryValidatesWithAnyProgramPath() {
        const QString validator =
            QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (validator.isEmpty())
            QSKIP("desktop-file-validate is not installed");
        QTemporaryDir dir;
        const QString program = QStringLiteral("/opt/My \"Apps\"/$HOME/100%/bobbin`lark");
        const QByteArray contents = LoginItem::entryContents(program);
        QVERIFY(
            contents.contains("Exec=\"/opt/My \\\\\"Apps\\\\\"/\\\\$HOME/100%%/bobbin\\\\`lark\""));
        const QString path = dir.path() + QStringLiteral("/com.bobbinlark.Bobbinlark.desktop");
        QVERIFY(writeFile(path, contents));
        QProcess process;
        process.start(validator, {path});
        QVERIFY(process.waitForFinished());
        QVERIFY2(process.exitCode() == 0, process.readAllStandardOutput().constData());
    }

    void loginItemFailuresAreLoggedOnce() {
        QTemporaryDir dir;
        // A plain file where the autostart folder should be: the entry can't be written.
        QVERIFY(writeFile(dir.path() + QStringLiteral("/autostart"), "not a folder"));
        const QString entry =
            dir.path() + QStringLiteral("/autostart/com.bobbinlark.Bobbinlark.desktop");
        LoginItem item(LoginItem::autostartService(entry, QStringLiteral("bobbinlark")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "^Bobbinlark: couldn't add login item: .+")));
        item.setEnabled(true);
        QVERIFY(!item.isEnabled());

        // A folder in the entry's place can't be removed as a file.
        QTemporaryDir other;
        const QString blocked = other.path() + QStringLiteral("/entry.desktop");
        QVERIFY(QDir().mkpath(blocked + QStringLiteral("/inside")));
        LoginItem stuck(LoginItem::autostartService(blocked, QStringLiteral("bobbinlark")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "^Bobbinlark: couldn't remove login item: .+")));
        stuck.setEnabled(false);
        QVERIFY(!stuck.isEnabled());
    }

    void approvalStatesMapAndOpenTheSettingsOnlyWhenEnabling() {
        // Plain XDG autostart never asks for approval; a login-item service that does goes
        // through the same steps.
        LoginItem::Status status = LoginItem::Status::requiresApproval;
        int settingsOpened = 0;
        LoginItem item(
            fakeSystem(status, settingsOpened, std::nullopt, LoginItem::Status::requiresApproval));
        QVERIFY(!item.isEnabled());
        QVERIFY(item.needsApproval());
        QCOMPARE(settingsOpened, 0);

        item.setEnabled(true);
        QCOMPARE(settingsOpened, 1);
        item.setEnabled(true);
        QCOMPARE(settingsOpened, 2);
        QVERIFY(!item.isEnabled());

        status = LoginItem::Status::requiresApproval;
        item.setEnabled(false);
        QCOMPARE(settingsOpened, 2);
        QVERIFY(!item.needsApproval());

        status = LoginItem::Status::notFound;
        item.refresh();
        QVERIFY(!item.isEnabled());
        QVERIFY(!item.needsApproval());

        // A failed register still refreshes: the item shows what the system has.
        LoginItem::Status enabledStatus = LoginItem::Status::enabled;
        int opened = 0;
        LoginItem failing(fakeSystem(enabledStatus, opened, QStringLiteral("denied")));
        QTest::ignoreMessage(QtWarningMsg, "Bobbinlark: couldn't remove login item: denied");
        failing.setEnabled(false);
        QVERIFY(failing.isEnabled());
        QCOMPARE(opened, 0);
    }

    // --- one instance per user ---------------------------------------------------------------

    void handOffMessagesRoundTripAndRejectForeignBytes() {
        const QList<QUrl> files{QUrl::fromLocalFile(QStringLiteral("/home/a/Flower #2.pes")),
                                QUrl::fromLocalFile(QStringLiteral("/tmp/ü 100%.dst"))};
        const QByteArray message = SingleInstance::encodeMessage(files);
        SingleInstance::Decoded decoded = SingleInstance::decodeMessage(message);
        QCOMPARE(decoded.state, SingleInstance::Decoded::State::complete);
        QCOMPARE(decoded.files, files);
        QCOMPARE(decoded.files[0].toLocalFile(), QStringLiteral("/home/a/Flower #2.pes"));

        for (qsizetype cut = 0; cut < message.size(); ++cut)
            QCOMPARE(SingleInstance::decodeMessage(message.left(cut)).state,
                     SingleInstance::Decoded::State::incomplete);
        QCOMPARE(SingleInstance::decodeMessage(message + 'x').state,
                 SingleInstance::Decoded::State::invalid);
        QCOMPARE(SingleInstance::decodeMessage("GET / HTTP/1.1").state,
                 SingleInstance::Decoded::State::invalid);

        const auto withEntries = [](const QList<QByteArray>& entries) {
            QByteArray payload;
            const auto length = [&payload](qsizetype n) {
                const quint32 big = qToBigEndian(quint32(n));
                payload.append(reinterpret_cast<const char*>(&big), 4);
            };
            length(entries.size());
            for (const QByteArray& entry : entries) {
                length(entry.size());
                payload.append(entry);
            }
            QByteArray framed("BLKH");
            const quint32 big = qToBigEndian(quint32(payload.size()));
            framed.append(reinterpret_cast<const char*>(&big), 4);
            return framed + payload;
        };
        QCOMPARE(SingleInstance::decodeMessage(withEntries({"file:///tmp/a.pes"})).state,
                 SingleInstance::Decoded::State::complete);
        QCOMPARE(SingleInstance::decodeMessage(withEntries({"file://localhost/tmp/a.pes"})).files,
                 QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/a.pes"))});
        for (const QByteArray& bad :
             {QByteArray("https://example.com/a.pes"), QByteArray("file:a.pes"),
              QByteArray("/tmp/a.pes"), QByteArray("file://host/a.pes"),
              QByteArray("file:://home/a.pes"), QByteArray("file::/resource.pes"),
              QByteArray("file:///tmp/a.pes?x=1"), QByteArray("file:///tmp/a%00.pes"),
              QByteArray("\xff\xfe"), QByteArray("file:///") + QByteArray(9000, 'a')}) {
            QCOMPARE(SingleInstance::decodeMessage(withEntries({"file:///tmp/a.pes", bad})).state,
                     SingleInstance::Decoded::State::invalid);
        }
        // A header announcing more than the limit is refused before the bytes arrive.
        QByteArray huge("BLKH");
        const quint32 big = qToBigEndian(quint32(SingleInstance::maxMessageBytes + 1));
        huge.append(reinterpret_cast<const char*>(&big), 4);
        QCOMPARE(SingleInstance::decodeMessage(huge).state,
                 SingleInstance::Decoded::State::invalid);
    }

    void argumentsBecomeAbsoluteFileURLs() {
        const QList<QUrl> urls = SingleInstance::fileURLsFromArguments(
            {QStringLiteral("flower.pes"), QStringLiteral("../other/rose.dst"),
             QStringLiteral("/abs/leaf.phc"), QStringLiteral("file:///abs/uri%20name.pen"),
             QStringLiteral("https://example.com/x.pes"), QString(), QStringLiteral("odd:name.pes"),
             QStringLiteral("file://localhost/abs/near.pes"),
             QStringLiteral("FILE://LocalHost/abs/upper.dst"),
             QStringLiteral("file://studio-pc/abs/far.pes")},
            QStringLiteral("/home/user/designs"));
        QCOMPARE(urls, (QList<QUrl>{
                           QUrl::fromLocalFile(QStringLiteral("/home/user/designs/flower.pes")),
                           QUrl::fromLocalFile(QStringLiteral("/home/user/other/rose.dst")),
                           QUrl::fromLocalFile(QStringLiteral("/abs/leaf.phc")),
                           QUrl::fromLocalFile(QStringLiteral("/abs/uri name.pen")),
                           QUrl::fromLocalFile(QStringLiteral("/home/user/designs/odd:name.pes")),
                           QUrl::fromLocalFile(QStringLiteral("/abs/near.pes")),
                           QUrl::fromLocalFile(QStringLiteral("/abs/upper.dst"))}));
        QCOMPARE(urls.at(5).toLocalFile(), QStringLiteral("/abs/near.pes"));
        // What is not sent is named, so it never vanishes silently.
        QCOMPARE(SingleInstance::refusedArguments({QStringLiteral("flower.pes"),
                                                   QStringLiteral("https://example.com/x.pes"),
                                                   QStringLiteral("file://localhost/abs/near.pes"),
                                                   QStringLiteral("file://studio-pc/abs/far.pes")}),
                 (QStringList{QStringLiteral("https://example.com/x.pes"),
                              QStringLiteral("file://studio-pc/abs/far.pes")}));
    }

    void laterLaunchesHandTheirFilesToTheRunningOne() {
        QTemporaryDir dir;
        SingleInstance running(dir.path());
        QCOMPARE(running.start({}), SingleInstance::Role::primary);
        QSignalSpy files(&running, &SingleInstance::filesReceived);
        QSignalSpy shows(&running, &SingleInstance::showRequested);
        // Only this user may connect.
        const QFile::Permissions permissions = QFileInfo(running.socketPath()).permissions();
        QVERIFY(!(permissions &
                  (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther)));

        // Each later launch blocks until the running one answers, so it runs on a thread while
        // this one serves.
        const QList<QUrl> sent{QUrl::fromLocalFile(QStringLiteral("/tmp/a.pes")),
                               QUrl::fromLocalFile(QStringLiteral("/tmp/b.dst"))};
        auto second =
            laterLaunch(dir.path(), [sent](SingleInstance& launch) { return launch.start(sent); });
        QTRY_VERIFY(second.isFinished());
        QCOMPARE(second.result(), SingleInstance::Role::handedOff);
        QTRY_COMPARE(files.count(), 1);
        QCOMPARE(files.first().first().value<QList<QUrl>>(), sent);
        QCOMPARE(shows.count(), 0);

        auto third =
            laterLaunch(dir.path(), [](SingleInstance& launch) { return launch.start({}); });
        QTRY_VERIFY(third.isFinished());
        QCOMPARE(third.result(), SingleInstance::Role::handedOff);
        QTRY_COMPARE(shows.count(), 1);
        QCOMPARE(files.count(), 1);
    }

    void foreignBytesOnTheSocketAreDropped() {
        QTemporaryDir dir;
        SingleInstance running(dir.path());
        QCOMPARE(running.start({}), SingleInstance::Role::primary);
        QSignalSpy files(&running, &SingleInstance::filesReceived);
        QSignalSpy shows(&running, &SingleInstance::showRequested);

        QLocalSocket intruder;
        intruder.connectToServer(running.socketPath());
        QVERIFY(intruder.waitForConnected(2000));
        intruder.write(SingleInstance::encodeMessage({}).replace(0, 4, "EVIL"));
        intruder.flush();
        QTRY_COMPARE(intruder.state(), QLocalSocket::UnconnectedState);
        QCOMPARE(files.count() + shows.count(), 0);

        // The program still serves honest launches afterwards.
        auto honest = laterLaunch(dir.path(), [](SingleInstance& launch) {
            return launch.handOff({QUrl::fromLocalFile(QStringLiteral("/tmp/c.pen"))});
        });
        QTRY_VERIFY(honest.isFinished());
        QVERIFY(honest.result());
        QTRY_COMPARE(files.count(), 1);
    }

    // A hand-off is taken and said to be taken, or it is not carried out at all.
    void aHandOffTheSenderGaveUpOnIsNotCarriedOut() {
        QTemporaryDir dir;
        SingleInstance running(dir.path());
        QCOMPARE(running.start({}), SingleInstance::Role::primary);
        QSignalSpy files(&running, &SingleInstance::filesReceived);
        const QList<QUrl> sent{QUrl::fromLocalFile(QStringLiteral("/tmp/second.pes"))};

        // The program is busy past the sender's patience: the sender reports failure, and the
        // message the program reads afterwards is dropped.
        auto impatient = laterLaunch(dir.path(), [sent](SingleInstance& launch) {
            launch.setReplyTimeout(std::chrono::milliseconds(100));
            return launch.tryHandOff(sent);
        });
        impatient.waitForFinished(); // this thread serves the socket: nothing is read meanwhile
        QCOMPARE(impatient.result(), std::optional(false));
        QTest::qWait(300);
        QCOMPARE(files.count(), 0);

        // A sender that leaves after the program's first answer has not committed to it.
        QLocalSocket leaving;
        leaving.connectToServer(running.socketPath());
        QVERIFY(leaving.waitForConnected(2000));
        leaving.write(SingleInstance::encodeMessage(sent));
        QTRY_VERIFY(leaving.bytesAvailable() > 0 || leaving.waitForReadyRead(10));
        QCOMPARE(leaving.read(1), QByteArray("K"));
        leaving.abort();
        QTest::qWait(300);
        QCOMPARE(files.count(), 0);

        // The program still takes the next hand-off, once.
        auto patient = laterLaunch(
            dir.path(), [sent](SingleInstance& launch) { return launch.tryHandOff(sent); });
        QTRY_VERIFY(patient.isFinished());
        QCOMPARE(patient.result(), std::optional(true));
        QCOMPARE(files.count(), 1);
    }

    void aSocketLeftByAnEndedProgramIsTakenOver() {
        QTemporaryDir dir;
        SingleInstance probe(dir.path());
        QVERIFY(writeFile(probe.socketPath(), "stale"));
        QVERIFY(!probe.handOff({}));
        QCOMPARE(probe.start({}), SingleInstance::Role::primary);
        QSignalSpy shows(&probe, &SingleInstance::showRequested);
        auto later =
            laterLaunch(dir.path(), [](SingleInstance& launch) { return launch.handOff({}); });
        QTRY_VERIFY(later.isFinished());
        QVERIFY(later.result());
        QTRY_COMPARE(shows.count(), 1);
    }

    // --- the session bus ---------------------------------------------------------------------

    void sendFilesOnTheSessionBus() {
        if (!PrivateBus::available())
            QSKIP("dbus-daemon is not installed: the session-bus hand-over is not exercised");
        const PrivateBus bus;
        const QString address = bus.address();
        QVERIFY(!address.isEmpty());

        {
            QDBusConnection server =
                QDBusConnection::connectToBus(address, QStringLiteral("shell-server"));
            QDBusConnection client =
                QDBusConnection::connectToBus(address, QStringLiteral("shell-client"));
            QVERIFY(server.isConnected());
            ServicesProvider provider;
            QVERIFY(provider.registerOn(server));
            QSignalSpy received(&provider, &ServicesProvider::filesReceived);

            // A second program can't take the name.
            ServicesProvider rival;
            QVERIFY(!rival.registerOn(client));

            // Asynchronous calls only: the object answers on this very thread.
            const auto call = [&client](const QStringList& uris) {
                QDBusMessage message = QDBusMessage::createMethodCall(
                    QString(ServicesProvider::serviceName), QString(ServicesProvider::objectPath),
                    QString(ServicesProvider::serviceName), QStringLiteral("SendFiles"));
                message << uris;
                return client.asyncCall(message);
            };
            QDBusPendingCall ok = call(
                {QStringLiteral("file:///tmp/a.pes"), QStringLiteral("https://example.com/b.pes"),
                 QStringLiteral("file::/qt/resource.pes"), QStringLiteral("file:///tmp/c%20d.dst"),
                 QStringLiteral("file://localhost/tmp/e.pes")});
            QTRY_VERIFY(ok.isFinished());
            QVERIFY2(!ok.isError(), qPrintable(ok.error().message()));
            QCOMPARE(received.count(), 1);
            QCOMPARE(received.first().first().value<QList<QUrl>>(),
                     (QList<QUrl>{QUrl(QStringLiteral("file:///tmp/a.pes")),
                                  QUrl::fromLocalFile(QStringLiteral("/tmp/c d.dst")),
                                  QUrl::fromLocalFile(QStringLiteral("/tmp/e.pes"))}));

            QDBusPendingCall none =
                call({QStringLiteral("just text"), QStringLiteral("https://example.com/x"),
                      QStringLiteral("file://studio-pc/tmp/far.pes")});
            QTRY_VERIFY(none.isFinished());
            QVERIFY(none.isError());
            QCOMPARE(none.error().message(), QStringLiteral("No files to send."));
            QCOMPARE(none.error().name(), QString(ServicesProvider::noFilesError));
            QCOMPARE(received.count(), 1);

            // The tray icon on the same bus, with its menu: a panel that comes after it, goes
            // and comes back.
            QMenu trayMenu;
            DBusMenuExporter exporter(server, &trayMenu);
            QVERIFY(exporter.isExported());
            StatusNotifierItem item(server, QString::fromLatin1(DBusMenuExporter::objectPath));
            QTRY_VERIFY(item.hasAnswered());
            QVERIFY(!item.isShown()); // no panel yet
            QSignalSpy shown(&item, &StatusNotifierItem::shownChanged);
            TrayWatcher watcher;
            const QString watcherName = QString::fromLatin1(StatusNotifierItem::watcherService);
            const auto panelArrives = [&client, &watcher, &watcherName] {
                return client.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                                             QDBusConnection::ExportScriptableSlots |
                                                 QDBusConnection::ExportAllProperties) &&
                       client.registerService(watcherName);
            };
            QVERIFY(panelArrives());
            QTRY_VERIFY(item.isShown());
            QCOMPARE(watcher.registered, QStringList{item.serviceName()});

            // What the panel reads: who we are and the icon's pixels, ARGB in network order.
            QImage pixel(1, 1, QImage::Format_ARGB32);
            pixel.setPixel(0, 0, qRgba(0x12, 0x34, 0x56, 0x78));
            item.setIcon(QString(), {pixel});
            item.setToolTip(QStringLiteral("Bobbinlark"), QStringLiteral("drop designs here"));
            QDBusMessage getAll = QDBusMessage::createMethodCall(
                item.serviceName(), QStringLiteral("/StatusNotifierItem"),
                QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
            getAll << QStringLiteral("org.kde.StatusNotifierItem");
            QDBusPendingReply<QVariantMap> properties = client.asyncCall(getAll);
            QTRY_VERIFY(properties.isFinished());
            QVERIFY2(!properties.isError(), qPrintable(properties.error().message()));
            const QVariantMap values = properties.value();
            QCOMPARE(values.value(QStringLiteral("Id")).toString(),
                     QStringLiteral("com.bobbinlark.Bobbinlark"));
            QCOMPARE(values.value(QStringLiteral("Title")).toString(),
                     QStringLiteral("Bobbinlark"));
            QCOMPARE(values.value(QStringLiteral("Status")).toString(), QStringLiteral("Active"));
            QCOMPARE(values.value(QStringLiteral("ItemIsMenu")).toBool(), false);
            QCOMPARE(values.value(QStringLiteral("Menu")).value<QDBusObjectPath>().path(),
                     QStringLiteral("/MenuBar"));
            StatusNotifierPixmaps pixmaps;
            values.value(QStringLiteral("IconPixmap")).value<QDBusArgument>() >> pixmaps;
            QCOMPARE(pixmaps.size(), 1);
            QCOMPARE(pixmaps.first().width, 1);
            QCOMPARE(pixmaps.first().bytes, QByteArray::fromHex("78123456"));
            StatusNotifierToolTip toolTip;
            values.value(QStringLiteral("ToolTip")).value<QDBusArgument>() >> toolTip;
            QCOMPARE(toolTip.text, QStringLiteral("drop designs here"));

            // A click where the panel says; the double report GTK panels make of one press is
            // one click; the menu's place likewise.
            QSignalSpy activated(&item, &StatusNotifierItem::activated);
            QSignalSpy menu(&item, &StatusNotifierItem::contextMenuRequested);
            const auto callItem = [&client, &item](const QString& method, int x, int y) {
                QDBusMessage message = QDBusMessage::createMethodCall(
                    item.serviceName(), QStringLiteral("/StatusNotifierItem"),
                    QStringLiteral("org.kde.StatusNotifierItem"), method);
                message << x << y;
                return client.asyncCall(message);
            };
            QDBusPendingCall click = callItem(QStringLiteral("Activate"), 1262, 14);
            QDBusPendingCall again = callItem(QStringLiteral("Activate"), 1262, 14);
            QDBusPendingCall right = callItem(QStringLiteral("ContextMenu"), 1250, 20);
            QTRY_VERIFY(click.isFinished() && again.isFinished() && right.isFinished());
            QVERIFY(!click.isError());
            QCOMPARE(activated.count(), 1);
            QCOMPARE(activated.first().first().toPoint(), QPoint(1262, 14));
            QCOMPARE(menu.count(), 1);
            QCOMPARE(menu.first().first().toPoint(), QPoint(1250, 20));

            // The panel restarts: the icon goes, and comes back registered anew.
            QVERIFY(client.unregisterService(watcherName));
            QTRY_VERIFY(!item.isShown());
            client.unregisterObject(QStringLiteral("/StatusNotifierWatcher"));
            QVERIFY(panelArrives());
            QTRY_VERIFY(item.isShown());
            QCOMPARE(watcher.registered, (QStringList{item.serviceName(), item.serviceName()}));
            QCOMPARE(shown.count(), 3);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("shell-server"));
        QDBusConnection::disconnectFromBus(QStringLiteral("shell-client"));

        // No bus: nothing is published, silently.
        ServicesProvider offline;
        QVERIFY(!offline.registerOn(QDBusConnection(QStringLiteral("no such connection"))));
    }

    void batchesThatEndWhileThePanelIsClosedAreSaidOnTheDesktop() {
        if (!PrivateBus::available())
            QSKIP("dbus-daemon is not installed: notifications are not exercised");
        const PrivateBus bus;
        QVERIFY(!bus.address().isEmpty());
        FakeMachine machine;
        QVERIFY(machine.start());
        QTemporaryDir designs;
        const QUrl flower = QUrl::fromLocalFile(designs.filePath(QStringLiteral("flower.pes")));
        const QUrl rose = QUrl::fromLocalFile(designs.filePath(QStringLiteral("rose.dst")));
        const QUrl missing = QUrl::fromLocalFile(designs.filePath(QStringLiteral("gone.pes")));
        QVERIFY(writeFile(flower.toLocalFile(), "#PES0001 flower"));
        QVERIFY(writeFile(rose.toLocalFile(), "LA:rose"));

        TemporaryStore store;
        QuietDelegate quiet(
            store, {false, false,
                    QDBusConnection::connectToBus(bus.address(), QStringLiteral("notified"))});
        AppDelegate& delegate = quiet.delegate;
        AppState& state = delegate.appState();
        state.machineList().addMachine(SavedMachine{QUuid::createUuid(), QStringLiteral("Studio"),
                                                    machine.host(), machine.port(), std::nullopt,
                                                    std::nullopt, std::nullopt});
        delegate.applicationDidFinishLaunching();
        QVERIFY(quiet.settle());
        delegate.closePopover();
        const auto sendBatch = [&](const QList<QUrl>& files) {
            state.sendQueue().send(files);
            return quiet.settle();
        };

        // No server yet: the batch ends as it always does, and nothing waits.
        QVERIFY(sendBatch({flower}));
        QCOMPARE(
            state.sendQueue().sendStatus(),
            SendStatus(SendStatuses::Sent{QStringLiteral("flower.pes"), QStringLiteral("Studio")}));

        NotificationServer server;
        QDBusConnection serverBus = QDBusConnection::connectToBus(bus.address(), "server");
        QVERIFY(serverBus.registerObject("/org/freedesktop/Notifications", &server,
                                         QDBusConnection::ExportScriptableContents));
        QVERIFY(serverBus.registerService(QString(DesktopNotifier::service)));
        QVERIFY(sendBatch({flower, rose}));
        QTRY_COMPARE(server.notifications.size(), 1);
        const NotificationServer::Notification first = server.notifications.first();
        QCOMPARE(first.appName, QStringLiteral("Bobbinlark"));
        QCOMPARE(first.appIcon, QString(DesktopNotifier::appID));
        QCOMPARE(first.summary, QStringLiteral("Sent 2 designs to Studio"));
        QCOMPARE(first.body, QString());
        QCOMPARE(first.replacesID, 0u);
        QCOMPARE(first.actions.first(), QStringLiteral("default"));
        QCOMPARE(first.hints.value(QStringLiteral("desktop-entry")).toString(),
                 QString(DesktopNotifier::appID));
        // Not installed, so the theme lacks the icon: its picture goes along.
        QCOMPARE(first.hints.value("image-data").value<QDBusArgument>().currentSignature(),
                 QStringLiteral("(iiibiiay)"));

        // Soon after: in its place, saying which design failed and why.
        QVERIFY(sendBatch({missing, flower}));
        QTRY_COMPARE(server.notifications.size(), 2);
        QCOMPARE(server.notifications.last().replacesID, first.id);
        QCOMPARE(server.notifications.last().summary, QStringLiteral("Couldn't send gone.pes"));
        QCOMPARE(server.notifications.last().body,
                 QStringLiteral("Sent 1 of 2. Couldn't read gone.pes."));
        QCOMPARE(server.notifications.last().hints.value(QStringLiteral("category")).toString(),
                 QStringLiteral("transfer.error"));

        // Its click opens the panel; while it is open, the panel says how batches end.
        emit server.ActionInvoked(first.id, QStringLiteral("default"));
        QTRY_VERIFY(delegate.isPopoverShown());
        QVERIFY(sendBatch({rose}));
        delegate.closePopover();
        // Later than the window: beside the last one. The batch sent while the panel was open
        // never reached the server, which sees calls in the order they were made.
        delegate.notifier()->setReplaceWindow(std::chrono::milliseconds(0));
        QVERIFY(sendBatch({rose}));
        QTRY_COMPARE(server.notifications.size(), 3);
        QCOMPARE(server.notifications.last().summary, QStringLiteral("Sent rose.dst to Studio"));
        QCOMPARE(server.notifications.last().replacesID, 0u);
    }

    void batchNoticesNameWhatFailed() {
        const auto entry = [](const char* name, bool ok) {
            return SendLogEntry(QUuid::createUuid(), 0, QStringLiteral("Studio"),
                                QUrl::fromLocalFile(QLatin1String(name)), ok, QString());
        };
        const SendStatus error = SendStatuses::Error{QStringLiteral("Sent 1 of 3. Why.")};
        // Newest first: a.dst failed first.
        QCOMPARE(BatchNotice::from(error, {entry("/c.pes", false), entry("/b.pes", true),
                                           entry("/a.dst", false)}),
                 BatchNotice({"Couldn't send a.dst and 1 more", "Sent 1 of 3. Why.", true}));
        QCOMPARE(BatchNotice::from(error, {entry("/b.pes", true)})->summary,
                 QStringLiteral("Not everything was sent"));
        const SendStatus warned = SendStatuses::Sent{"b.pes", "Studio", {"Too wide."}};
        QCOMPARE(BatchNotice::from(warned, {}), BatchNotice({"Sent b.pes to Studio", "Too wide."}));
        QVERIFY(!BatchNotice::from(SendStatuses::Idle{}, {}));
    }

    // --- the popover window ------------------------------------------------------------------

    void theFloatingPanelHasAnEdge() {
        // Its border stands out from whatever window lies behind, and from the panel.
        for (const QPalette& palette : {Gallery::lightPalette(), Gallery::darkPalette()}) {
            const QColor edge = PopoverWindow::edgeColor(palette);
            for (const QColor& behind : {QColor(Qt::white), QColor(0xef, 0xef, 0xef),
                                         QColor(Qt::black), palette.color(QPalette::Window)})
                QVERIFY2(Style::contrast(edge, behind) >= 3, qPrintable(behind.name()));
        }

        TemporaryStore store;
        AppState state(store.open());
        // Without a compositor: the panel's own size, edged.
        PopoverWindow plain(new PopoverView(state));
        QCOMPARE(plain.panelMargins(), QMargins());
        QCOMPARE(plain.size(), PopoverWindow::contentSize);
        plain.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plain));
        Gallery::render(plain, QStringLiteral("panel-edge"));

        // With one: a margin for the shadow all round, the panel inside it at its size.
        PopoverWindow shadowed(new PopoverView(state));
        shadowed.setComposited(true);
        const QMargins margins = shadowed.panelMargins();
        QVERIFY(margins.left() > 0 && margins.top() > 0 && margins.bottom() > 0);
        QCOMPARE(shadowed.size(), PopoverWindow::contentSize.grownBy(margins));
        shadowed.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shadowed));
        QCOMPARE(shadowed.content()->geometry(),
                 QRect(QPoint(margins.left(), margins.top()), PopoverWindow::contentSize));
        // Clicks on the shadow go to the window below; the panel takes its own.
        QCOMPARE(shadowed.inputRegion(), QRegion(shadowed.content()->geometry()));
        QCOMPARE(plain.inputRegion(), QRegion(plain.rect()));
        // Seen over a white and a dark desktop, as a compositor would blend it.
        for (const auto& [palette, desktop, theme] :
             {std::tuple(Gallery::lightPalette(), QColor(Qt::white), "light"),
              std::tuple(Gallery::darkPalette(), QColor(0x10, 0x10, 0x12), "dark")}) {
            shadowed.setPalette(palette);
            QImage shot(shadowed.size(), QImage::Format_ARGB32_Premultiplied);
            shot.fill(desktop);
            shadowed.render(&shot);
            QVERIFY(shot.save(Gallery::directory() + QStringLiteral("/panel-edge-composited-") +
                              QLatin1String(theme) + QStringLiteral(".png")));
        }
        shadowed.hide();
        // As a window the desktop places: no shadow, and no title bar above the panel's header.
        shadowed.setFloating(false);
        QCOMPARE(shadowed.size(), PopoverWindow::contentSize);
        QVERIFY(shadowed.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(!shadowed.windowFlags().testFlag(Qt::Tool));
    }

    void popoverOpensUnderTheIconInsideTheScreen() {
        const QSize size(360, 520);
        const QRect available(0, 28, 1920, 1052); // a panel across the top
        // Icon at the top right: under it, pushed left to stay on screen.
        QCOMPARE(PopoverWindow::placement(size, QRect(1890, 2, 24, 24), {}, available),
                 QPoint(1920 - 360, 26 + PopoverWindow::gap));
        // Icon mid-panel: centred under it, a small gap below.
        QCOMPARE(PopoverWindow::placement(size, QRect(988, 2, 24, 24), {}, available),
                 QPoint(999 - 180, 26 + PopoverWindow::gap));
        // An icon whose geometry overlaps the work area still never pushes the panel above it.
        QCOMPARE(PopoverWindow::placement(size, QRect(988, -30, 24, 24), {}, available),
                 QPoint(999 - 180, 28));
        const QRect belowPanel(0, 0, 1920, 1040);
        QCOMPARE(PopoverWindow::placement(size, QRect(988, 2, 24, 24), {}, belowPanel),
                 QPoint(819, 26 + PopoverWindow::gap));
        // Icon in a bottom panel: above it.
        const QRect abovePanel(0, 0, 1920, 1044);
        QCOMPARE(PopoverWindow::placement(size, QRect(988, 1048, 24, 24), {}, abovePanel),
                 QPoint(819, 1048 - PopoverWindow::gap - 520));
        QCOMPARE(PopoverWindow::placement(size, QRect(1890, 1048, 24, 24), {}, abovePanel),
                 QPoint(1560, 1048 - PopoverWindow::gap - 520));
        // No icon geometry (StatusNotifierItem): at the pointer, kept inside.
        QCOMPARE(PopoverWindow::placement(size, QRect(), QPoint(5, 10), available), QPoint(0, 28));
        QCOMPARE(PopoverWindow::placement(size, QRect(), QPoint(600, 300), belowPanel),
                 QPoint(420, 301 + PopoverWindow::gap));

        // A click a status-notifier host passes on: the icon is taken as a square as deep as
        // twice the click's distance from the screen's edge, and the panel clears that bar
        // even where the work area does not leave it out (XWayland).
        const QRect screen(0, 0, 1280, 800);
        QCOMPARE(PopoverWindow::iconAround(QPoint(1262, 14), screen), QRect(1248, 0, 29, 29));
        QCOMPARE(PopoverWindow::placement(size, PopoverWindow::iconAround({1262, 14}, screen),
                                          {1262, 14}, screen),
                 QPoint(1280 - 360, 29 + PopoverWindow::gap));
        QCOMPARE(PopoverWindow::iconAround(QPoint(640, 788), screen), QRect(629, 777, 23, 23));
        QCOMPARE(PopoverWindow::placement(size, PopoverWindow::iconAround({640, 788}, screen),
                                          {640, 788}, screen),
                 QPoint(460, 777 - PopoverWindow::gap - 520));
        // Bars down the sides: the panel opens beside the icon.
        QCOMPARE(PopoverWindow::iconAround(QPoint(10, 400), screen), QRect(0, 390, 21, 21));
        QCOMPARE(PopoverWindow::placement(size, PopoverWindow::iconAround({10, 400}, screen),
                                          {10, 400}, screen),
                 QPoint(21 + PopoverWindow::gap, 400 - 260));
        QCOMPARE(PopoverWindow::placement(size, PopoverWindow::iconAround({1270, 400}, screen),
                                          {1270, 400}, screen),
                 QPoint(1270 - 9 - PopoverWindow::gap - 360, 400 - 260));
        // In a corner: a bar along the top, nearer the side or not; the square ends at the
        // screen's edge, and the panel opens under it.
        QCOMPARE(PopoverWindow::iconAround(QPoint(1270, 20), screen), QRect(1250, 0, 30, 41));
        QCOMPARE(PopoverWindow::placement(size, PopoverWindow::iconAround({1270, 20}, screen),
                                          {1270, 20}, screen),
                 QPoint(1280 - 360, 41 + PopoverWindow::gap));
        // A click reported inside the icon (waybar) lands in a left corner: taken as an icon at
        // the right end of that bar. Anywhere else the report is the screen position.
        QCOMPARE(PopoverWindow::clickOnScreen(QPoint(10, 17), screen), QPoint(1269, 17));
        QCOMPARE(PopoverWindow::clickOnScreen(QPoint(12, 790), screen), QPoint(1267, 790));
        QCOMPARE(PopoverWindow::clickOnScreen(QPoint(40, 17), screen), QPoint(40, 17));
        QCOMPARE(PopoverWindow::clickOnScreen(QPoint(10, 400), screen), QPoint(10, 400));
        QCOMPARE(PopoverWindow::clickOnScreen(QPoint(1262, 14), screen), QPoint(1262, 14));
        // A click in the middle of the screen is in no bar.
        QVERIFY(PopoverWindow::iconAround(QPoint(640, 400), screen).isNull());
        QVERIFY(PopoverWindow::iconAround(QPoint(640, 40), screen).isNull());
    }

    void theIconsMenuOpensOnTheScreenWhereverAskedFor() {
        // Any local program may ask the item for its menu at any point.
        QMenu menu;
        menu.addAction(QStringLiteral("About Bobbinlark"));
        TrayIcon tray(QDBusConnection(QString()), &menu);
        for (const QPoint point : {QPoint(INT_MAX, INT_MIN), QPoint(INT_MIN, INT_MAX)}) {
            tray.statusNotifierItem()->ContextMenu(point.x(), point.y());
            QVERIFY(QTest::qWaitForWindowExposed(&menu));
            QVERIFY(QGuiApplication::primaryScreen()->geometry().contains(menu.geometry()));
            menu.hide();
        }
    }

    void popoverRendersItsHeaderInLightAndDark() {
        TemporaryStore store;
        AppState state(store.open());
        PopoverView view(state);
        QCOMPARE(view.size(), QSize(360, 520));
        QCOMPARE(view.findChild<CloseButton*>()->toolTip(), QStringLiteral("Close"));
        MainScreen* main = view.mainScreen();
        QVERIFY(main);
        QStringList titles;
        for (QAction* action : main->settingsMenu()->actions())
            titles << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(titles, (QStringList{QStringLiteral("Machines…"), QStringLiteral("Add Machine…"),
                                      QStringLiteral("-"), QStringLiteral("Start at Login"),
                                      QStringLiteral("-"), QStringLiteral("Quit Bobbinlark")}));

        QPalette light;
        light.setColor(QPalette::Window, QColor(0xf6, 0xf6, 0xf6));
        light.setColor(QPalette::WindowText, QColor(0x1d, 0x1d, 0x1f));
        view.setPalette(light);
        const QImage lightImage = view.grab().toImage();
        QVERIFY(lightImage.save(outputDirectory() + QStringLiteral("/popover-light.png")));
        const QLabel* glyph = main->glyph();
        QVERIFY(maxLightness(glyph->pixmap().toImage()) < 80);

        // The glyph follows the palette's text colour.
        view.setPalette(darkPalette());
        const QImage darkImage = view.grab().toImage();
        QVERIFY(darkImage.save(outputDirectory() + QStringLiteral("/popover-dark.png")));
        QVERIFY(maxLightness(glyph->pixmap().toImage()) > 200);
        QVERIFY(lightImage != darkImage);
    }

    void startAtLoginToggleWritesTheEntryAndShowsWhatIsThere() {
        QTemporaryDir configHome;
        qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
        const QString entry =
            configHome.filePath(QStringLiteral("autostart/com.bobbinlark.Bobbinlark.desktop"));
        TemporaryStore store;
        AppState state(store.open());
        PopoverView view(state);
        QAction* toggle = view.mainScreen()->startAtLoginAction();
        QVERIFY(toggle->isCheckable());
        QVERIFY(!toggle->isChecked());

        toggle->trigger();
        QVERIFY(QFile::exists(entry));
        QVERIFY(toggle->isChecked());
        toggle->trigger();
        QVERIFY(!QFile::exists(entry));
        QVERIFY(!toggle->isChecked());

        // A failed change leaves the checkmark as things are.
        QVERIFY(QDir(configHome.filePath(QStringLiteral("autostart"))).removeRecursively());
        QVERIFY(writeFile(configHome.filePath(QStringLiteral("autostart")), "a file"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "^Bobbinlark: couldn't add login item: ")));
        toggle->trigger();
        QVERIFY(!toggle->isChecked());
        qunsetenv("XDG_CONFIG_HOME");
    }

    void headerButtonHighlightsFollowHoverPressAndEnabled() {
        HeaderButton button(QStringLiteral("xmark"));
        QCOMPARE(button.size(), QSize(28, 28));
        QCOMPARE(button.highlightOpacity(), 0.0);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(&button, &enter);
        QCOMPARE(button.highlightOpacity(), 0.08);
        button.setDown(true);
        QCOMPARE(button.highlightOpacity(), 0.16);
        button.setDown(false);
        button.setEnabled(false);
        QCOMPARE(button.highlightOpacity(), 0.0);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&button, &leave);
        QVERIFY(!button.isHovering());
    }

    // --- the delegate ------------------------------------------------------------------------

    void withoutATrayTheWindowIsShownAtLaunch() {
        QuietDelegate quiet;
        AppDelegate& delegate = quiet.delegate;
        QCOMPARE(AppDelegate::shared(), &delegate);
        QVERIFY(!delegate.popover());
        QSignalSpy openings(&delegate, &AppDelegate::popoverOpened);
        delegate.togglePopover(); // before launch: nothing to open
        QCOMPARE(openings.count(), 0);

        delegate.applicationDidFinishLaunching();
        QVERIFY(!delegate.statusItem()); // offscreen has no tray
        QVERIFY(delegate.isPopoverShown());
        // An ordinary window that the desktop places and manages: not a utility window, not
        // kept above the others, transient for none; frameless, so its header is its one title.
        PopoverWindow* window = delegate.popover();
        QVERIFY(!window->isFloating());
        QCOMPARE(window->windowType(), Qt::Window);
        QVERIFY(!window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!window->windowFlags().testFlag(Qt::X11BypassWindowManagerHint));
        QVERIFY(window->windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(!window->parentWidget());
        QVERIFY(!window->windowHandle()->transientParent());
        QCOMPARE(window->size(), QSize(360, 520));
        QCOMPARE(window->panelMargins(), QMargins());
        QCOMPARE(openings.count(), 1);
        QVERIFY(quiet.settle());
        QCOMPARE(quiet.scans->load(), 1); // no machine saved: the opening's checks looked for one

        // The close button hides it; a later launch without files shows it again.
        delegate.popover()->findChild<CloseButton*>()->click();
        QVERIFY(!delegate.isPopoverShown());
        delegate.showRequested();
        QVERIFY(delegate.isPopoverShown());
        QCOMPARE(openings.count(), 2);
        QVERIFY(quiet.settle());
        QCOMPARE(quiet.scans->load(), 2);
        delegate.showRequested(); // already open: no new opening, no new checks
        QCOMPARE(openings.count(), 2);
        QVERIFY(quiet.settle());
        QCOMPARE(quiet.scans->load(), 2);

        QStringList menu;
        for (QAction* action : delegate.trayMenu()->actions())
            menu << (action->isSeparator() ? QStringLiteral("-") : action->text());
        QCOMPARE(menu,
                 (QStringList{QStringLiteral("Open Bobbinlark"), QStringLiteral("About Bobbinlark"),
                              QStringLiteral("-"), QStringLiteral("Quit Bobbinlark")}));
        // A tray that shows the menu on a left click still opens the panel from it.
        delegate.closePopover();
        delegate.trayMenu()->actions().first()->trigger();
        QVERIFY(delegate.isPopoverShown());
        QCOMPARE(delegate.quitAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        QVERIFY(delegate.popover()->actions().contains(delegate.quitAction()));

        // "About Bobbinlark": a box wide enough for its line about the program, closed with a
        // plain button.
        delegate.trayMenu()->actions().at(1)->trigger();
        AboutBox* about = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            about = about ? about : qobject_cast<AboutBox*>(top);
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(about->windowTitle(), QStringLiteral("About Bobbinlark"));
        QCOMPARE(about->versionText(),
                 QStringLiteral("Version ") + QCoreApplication::applicationVersion());
        QVERIFY(about->width() >= 300);
        QVERIFY(about->closeButton()->icon().isNull());
        Gallery::render(*about, QStringLiteral("about"));
        QPointer<AboutBox> closing = about;
        QTest::keyClick(about, Qt::Key_Escape);
        QTRY_VERIFY(!closing);
    }

    void openingClearsAnErrorButKeepsOtherStatuses() {
        QuietDelegate quiet;
        AppDelegate& delegate = quiet.delegate;
        delegate.applicationDidFinishLaunching();
        AppState& state = delegate.appState();
        QVERIFY(quiet.settle());

        delegate.closePopover();
        state.sendQueue().setSendStatus(
            SendStatuses::Error{QStringLiteral("The machine didn't answer.")});
        delegate.togglePopover();
        QVERIFY(delegate.isPopoverShown());
        QCOMPARE(state.sendQueue().sendStatus(), SendStatus(SendStatuses::Idle{}));
        QVERIFY(quiet.settle());

        // Shown already: a toggle closes and touches nothing.
        state.sendQueue().setSendStatus(SendStatuses::Error{QStringLiteral("Later failure.")});
        delegate.togglePopover();
        QVERIFY(!delegate.isPopoverShown());
        QCOMPARE(state.sendQueue().sendStatus(),
                 SendStatus(SendStatuses::Error{QStringLiteral("Later failure.")}));

        const SendStatus sent =
            SendStatuses::Sent{QStringLiteral("Sent flower.pes"), QStringLiteral("Studio")};
        state.sendQueue().setSendStatus(sent);
        delegate.togglePopover();
        QCOMPARE(state.sendQueue().sendStatus(), sent);
        QVERIFY(quiet.settle());

        delegate.closePopover();
        const SendStatus sending = SendStatuses::Sending{QStringLiteral("a.pes"), 1, 2};
        state.sendQueue().setSendStatus(sending);
        delegate.togglePopover();
        QCOMPARE(state.sendQueue().sendStatus(), sending);
        QVERIFY(quiet.settle());

        // A store found unusable at start stays said when the panel opens, until dismissed.
        QTemporaryDir home;
        QFile blocker(home.filePath(QStringLiteral("settings")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QuietDelegate blocked(SettingsStore::openFile(home.filePath("settings/Bobbinlark.conf")));
        blocked.delegate.applicationDidFinishLaunching();
        AppState& blockedState = blocked.delegate.appState();
        QVERIFY(blockedState.store().storeProblem());
        for (int opening = 0; opening < 2; ++opening) {
            blocked.delegate.closePopover();
            blocked.delegate.togglePopover();
            QVERIFY(blocked.delegate.isPopoverShown());
            QCOMPARE(blockedState.sendQueue().sendStatus(),
                     SendStatus(SendStatuses::Error{*blockedState.store().storeProblem()}));
        }
        blockedState.sendQueue().dismissStatus();
        blocked.delegate.closePopover();
        blocked.delegate.togglePopover();
        QCOMPARE(blockedState.sendQueue().sendStatus(), SendStatus(SendStatuses::Idle{}));
        QVERIFY(blocked.settle());
    }

    void receivedFilesOpenThePopoverThenGoOutInOneRequest() {
        FakeMachine machine;
        QVERIFY(machine.start());
        QTemporaryDir designs;
        const QString flower = designs.filePath(QStringLiteral("flower.pes"));
        const QString rose = designs.filePath(QStringLiteral("rose.dst"));
        const QString notes = designs.filePath(QStringLiteral("notes.txt"));
        QVERIFY(writeFile(flower, "#PES0001 flower"));
        QVERIFY(writeFile(rose, "LA:rose"));
        QVERIFY(writeFile(notes, "not a design"));

        QuietDelegate quiet;
        AppDelegate& delegate = quiet.delegate;
        AppState& state = delegate.appState();
        state.machineList().addMachine(savedMachineAt(machine));
        delegate.applicationDidFinishLaunching();
        QVERIFY(quiet.settle());
        delegate.closePopover();
        state.sendQueue().setSendStatus(SendStatuses::Error{QStringLiteral("An old failure.")});

        QList<SendStatus> statuses;
        connect(&state.sendQueue(), &SendQueue::sendStatusChanged, this,
                [&] { statuses.append(state.sendQueue().sendStatus()); });
        std::optional<SendStatus> statusWhenOpened;
        connect(&delegate, &AppDelegate::popoverOpened, this,
                [&] { statusWhenOpened = state.sendQueue().sendStatus(); });

        delegate.receive(
            {QUrl::fromLocalFile(flower), QUrl::fromLocalFile(notes), QUrl::fromLocalFile(rose)});
        // Nothing happens while the caller is still running.
        QVERIFY(!delegate.isPopoverShown());
        QVERIFY(!state.sendQueue().isSending());
        QCOMPARE(statuses.size(), 0);

        QTRY_VERIFY(delegate.isPopoverShown());
        // Opened first (clearing the old error), then the files went to the pipeline.
        QCOMPARE(statusWhenOpened, std::optional<SendStatus>(SendStatuses::Idle{}));
        QTRY_VERIFY_WITH_TIMEOUT(
            !state.sendQueue().isSending() && state.recentSends().sendLog().size() == 2, 20000);
        // Two openings, each with its check of the machine, and the two uploads.
        QTRY_COMPARE(machine.requests().size(), 4);
        // One request with all three: the refused file is a note of the same batch, never a
        // refusal of its own.
        for (const SendStatus& status : statuses) {
            if (const auto* error = std::get_if<SendStatuses::Error>(&status))
                QVERIFY2(!error->message.contains(QStringLiteral("can't be sent")),
                         qPrintable(error->message));
        }
        const auto* final = std::get_if<SendStatuses::Error>(&state.sendQueue().sendStatus());
        QVERIFY2(final, qPrintable(describe(state.sendQueue().sendStatus())));
        QVERIFY2(final->message.startsWith(QStringLiteral("Sent 2 of 3.")),
                 qPrintable(final->message));
        QStringList received;
        for (const FakeMachine::Request& request : machine.requests()) {
            if (const auto design = FakeMachine::designFrom(request))
                received << QString::fromUtf8(design->fileName);
        }
        QCOMPARE(received, (QStringList{QStringLiteral("flower.pes"), QStringLiteral("rose.dst")}));

        // Received while open: sent without another opening.
        QSignalSpy openings(&delegate, &AppDelegate::popoverOpened);
        delegate.receive({QUrl::fromLocalFile(rose)});
        QTRY_COMPARE_WITH_TIMEOUT(machine.requests().size(), 5, 20000);
        QCOMPARE(openings.count(), 0);
        QVERIFY(quiet.settle());
    }

    void reopeningShowsTheScreenThatWasShowing() {
        QuietDelegate quiet;
        AppDelegate& delegate = quiet.delegate;
        delegate.applicationDidFinishLaunching();
        auto* view = qobject_cast<PopoverView*>(delegate.popover()->content());
        QVERIFY(view);
        view->mainScreen()->machinesAction()->trigger();
        QWidget* machines = view->currentScreen();
        delegate.closePopover();
        QVERIFY(quiet.settle());
        delegate.togglePopover();
        QVERIFY(delegate.isPopoverShown());
        QCOMPARE(view->path(), QList<Screen>{Screen::machines()});
        QCOMPARE(view->currentScreen(), machines);
        QVERIFY(quiet.settle());
    }

    void escapeClosesThePopover() {
        QuietDelegate quiet;
        AppDelegate& delegate = quiet.delegate;
        delegate.applicationDidFinishLaunching();
        QVERIFY(QTest::qWaitForWindowExposed(delegate.popover()));
        delegate.popover()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(delegate.popover()));
        QTest::keyClick(delegate.popover()->content(), Qt::Key_Escape);
        QTRY_VERIFY(!delegate.isPopoverShown()); // a shortcut click is animated briefly
        QVERIFY(quiet.settle());
    }

    void ctrlQReachesQuit() {
        QuietDelegate quiet;
        AppDelegate& delegate = quiet.delegate;
        delegate.applicationDidFinishLaunching();
        // Observe the action without ending the test program.
        QVERIFY(disconnect(delegate.quitAction(), &QAction::triggered, qApp, nullptr));
        QSignalSpy quits(delegate.quitAction(), &QAction::triggered);
        QVERIFY(QTest::qWaitForWindowExposed(delegate.popover()));
        delegate.popover()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(delegate.popover()));
        QTest::keyClick(delegate.popover()->content(), Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(quits.count(), 1);
        QVERIFY(quiet.settle());
    }

    void openOnLaunchOpensOnceAfterHalfASecond() {
        TemporaryStore store;
        store.open()->setValue(SettingsStore::openOnLaunchKey, true);
        QuietDelegate quiet(store);
        AppDelegate& delegate = quiet.delegate;
        QSignalSpy openings(&delegate, &AppDelegate::popoverOpened);
        delegate.applicationDidFinishLaunching();
        // Without a tray the window is open at once; the timer then finds it open.
        QCOMPARE(openings.count(), 1);
        delegate.closePopover();
        QTRY_COMPARE_WITH_TIMEOUT(openings.count(), 2, 2000);
        QVERIFY(delegate.isPopoverShown());
        QTest::qWait(600);
        QCOMPARE(openings.count(), 2);
        // The flag is read, never written.
        QCOMPARE(store.read(SettingsStore::openOnLaunchKey).toBool(), true);
        QVERIFY(quiet.settle());
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
