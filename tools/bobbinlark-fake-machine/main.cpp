// bobbinlark-fake-machine: a stand-in Brother machine on this computer, for trying Bobbinlark
// without a machine and for benchmarks. It answers "/info" with the fields given, accepts
// designs (saving them when asked), and changes its certificate on request: type "rotate" on
// its standard input, or pass --rotate-every.

#include "bobbinlark-fake-machine/FakeMachine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

namespace {

void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

[[noreturn]] void fail(const QString& message) {
    std::fprintf(stderr, "bobbinlark-fake-machine: %s\n", qPrintable(message));
    std::exit(2);
}

qint64 integerOption(const QCommandLineParser& parser, const QString& name) {
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok);
    if (!ok)
        fail(QStringLiteral("--%1 needs a whole number").arg(name));
    return value;
}

// A name received over the network becomes a plain file name inside the folder, never a path.
QString safeFileName(const QByteArray& announced) {
    QString name = QFile::decodeName(announced);
    name.replace(u'/', u'_').replace(QChar(0), u'_');
    if (name.isEmpty() || name == QLatin1StringView(".") || name == QLatin1StringView(".."))
        name = QStringLiteral("design");
    return name;
}

QString unusedPath(const QDir& folder, const QString& name) {
    QString path = folder.filePath(name);
    const QFileInfo info(name);
    for (int copy = 2; QFileInfo::exists(path); ++copy) {
        const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
        path = folder.filePath(
            QStringLiteral("%1 (%2)%3").arg(info.completeBaseName()).arg(copy).arg(suffix));
    }
    return path;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A stand-in Brother embroidery machine over HTTPS. Type \"rotate\" and "
                       "Enter to change its certificate."));
    parser.addHelpOption();
    const auto option = [&parser](const char* name, const char* description,
                                  const char* valueName = nullptr, const char* fallback = nullptr) {
        QCommandLineOption added(QString::fromLatin1(name), QString::fromLatin1(description));
        if (valueName) {
            added.setValueName(QString::fromLatin1(valueName));
            if (fallback)
                added.setDefaultValue(QString::fromLatin1(fallback));
        }
        parser.addOption(added);
    };
    option("address", "Address to listen on.", "address", "127.0.0.1");
    option("port", "Port to listen on; 0 picks a free one.", "port", "0");
    option("name", "Machine name in the info reply.", "text", "Fake Machine");
    option("serial", "Serial number.", "text", "FAKE0001");
    option("machine-id", "Machine identifier.", "text", "FAKE-MACHINE-0001");
    option("firmware", "Firmware version.", "text", "1.00");
    option("model", "Model code.", "number", "57");
    option("area", "Embroidery area in millimetres, WIDTHxHEIGHT.", "size", "260x160");
    option("needles", "Number of needles.", "number", "1");
    option("largest-design", "Largest design accepted, in bytes.", "bytes", "3000000");
    option("info-status", "HTTP status of the info reply.", "status", "200");
    option("upload-status", "HTTP status of the upload reply.", "status", "200");
    option("read-rate",
           "Read uploads at this many bytes a second, as over a slow link; 0 reads "
           "at once.",
           "bytes", "0");
    option("save-to", "Folder where received designs are saved.", "folder");
    option("close-connections", "Close each connection after answering (no keep-alive).");
    option("rotate-every", "Change the certificate every this many seconds.", "seconds");
    parser.process(app);

    const QStringList area = parser.value(QStringLiteral("area")).split(u'x');
    bool widthOk = false;
    bool heightOk = false;
    const double width = area.value(0).toDouble(&widthOk);
    const double height = area.value(1).toDouble(&heightOk);
    if (area.size() != 2 || !widthOk || !heightOk)
        fail(QStringLiteral("--area needs WIDTHxHEIGHT in millimetres, such as 260x160"));

    const QJsonObject reply{
        {QStringLiteral("name"), parser.value(QStringLiteral("name"))},
        {QStringLiteral("serial"), parser.value(QStringLiteral("serial"))},
        {QStringLiteral("machine-id"), parser.value(QStringLiteral("machine-id"))},
        {QStringLiteral("version"), parser.value(QStringLiteral("firmware"))},
        {QStringLiteral("model"), integerOption(parser, QStringLiteral("model"))},
        {QStringLiteral("features"),
         QJsonObject{
             // The machine reports lengths in tenths of a millimetre.
             {QStringLiteral("embwidth"), width * 10},
             {QStringLiteral("embheight"), height * 10},
             {QStringLiteral("needles"), integerOption(parser, QStringLiteral("needles"))},
             {QStringLiteral("postsize"), integerOption(parser, QStringLiteral("largest-design"))},
         }},
    };

    FakeMachine machine;
    machine.setInfoBody(QJsonDocument(reply).toJson(QJsonDocument::Compact));
    machine.setInfoStatus(static_cast<int>(integerOption(parser, QStringLiteral("info-status"))));
    machine.setUploadStatus(
        static_cast<int>(integerOption(parser, QStringLiteral("upload-status"))));

    machine.setCloseAfterAnswer(parser.isSet(QStringLiteral("close-connections")));
    machine.setReadRate(integerOption(parser, QStringLiteral("read-rate")));

    const QString saveTo = parser.value(QStringLiteral("save-to"));
    if (!saveTo.isEmpty() && !QDir().mkpath(saveTo))
        fail(QStringLiteral("cannot make the folder %1").arg(saveTo));
    QObject::connect(
        &machine, &FakeMachine::requestReceived, &machine,
        [&saveTo](const FakeMachine::Request& request) {
            if (request.path != "/sewing/sewing.cgi")
                return;
            const auto design = FakeMachine::designFrom(request);
            if (!design) {
                say(QStringLiteral("Received an upload that is not a design form"));
                return;
            }
            const QString name = safeFileName(design->fileName);
            say(QStringLiteral("Received %1 (%2 bytes)").arg(name).arg(design->data.size()));
            if (saveTo.isEmpty())
                return;
            QSaveFile file(unusedPath(QDir(saveTo), name));
            if (!file.open(QIODevice::WriteOnly) || file.write(design->data) < 0 || !file.commit())
                say(QStringLiteral("Could not save %1").arg(file.fileName()));
        });

    const QHostAddress address(parser.value(QStringLiteral("address")));
    const qint64 port = integerOption(parser, QStringLiteral("port"));
    if (address.isNull() || port < 0 || port > 65535)
        fail(QStringLiteral("--address needs an IP address and --port a number to 65535"));
    if (!machine.start(address, static_cast<quint16>(port)))
        fail(QStringLiteral("cannot listen on %1:%2").arg(address.toString()).arg(port));

    const auto rotate = [&machine] {
        machine.rotateCertificate();
        say(QStringLiteral("Certificate fingerprint %1").arg(machine.fingerprint()));
    };
    QTimer rotation;
    if (parser.isSet(QStringLiteral("rotate-every"))) {
        const qint64 seconds = integerOption(parser, QStringLiteral("rotate-every"));
        if (seconds <= 0)
            fail(QStringLiteral("--rotate-every needs a positive number of seconds"));
        QObject::connect(&rotation, &QTimer::timeout, &machine, rotate);
        rotation.start(static_cast<int>(std::min<qint64>(seconds, 2'000'000) * 1000));
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &machine, [&input, rotate] {
        char line[256];
        const ssize_t size = ::read(STDIN_FILENO, line, sizeof line);
        if (size <= 0) {
            input.setEnabled(false); // standard input closed: keep serving
            return;
        }
        if (QByteArray(line, size).trimmed() == "rotate")
            rotate();
    });

    say(QStringLiteral("Fake machine listening at %1:%2").arg(machine.host()).arg(machine.port()));
    say(QStringLiteral("Certificate fingerprint %1").arg(machine.fingerprint()));
    return QCoreApplication::exec();
}
