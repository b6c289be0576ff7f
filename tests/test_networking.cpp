// The machine protocol against a fake machine over real TLS on loopback: certificate trust,
// the info query and its reply, the design upload, and byte counts in messages.

#include "Designs/DesignFile.h"
#include "Networking/BrotherAPIClient.h"
#include "Networking/CertificateTrustSession.h"
#include "Networking/HttpAnswerReader.h"
#include "Networking/MachineInfo.h"
#include "Networking/TlsConnection.h"
#include "Support/ByteCountFormat.h"
#include "Support/Translations.h"
#include "bobbinlark-fake-machine/FakeMachine.h"
#include "support/Files.h"

#include <QCoroTask>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <barrier>
#include <memory>
#include <thread>
#include <vector>

Q_DECLARE_METATYPE(std::optional<BrotherAPIError>)
Q_DECLARE_METATYPE(FakeMachine::UploadFault)
Q_DECLARE_METATYPE(BrotherAPIError)

namespace {

CertificateTrustSession& session() {
    return CertificateTrustSession::shared();
}

BrotherAPIClient clientFor(const FakeMachine& machine) {
    return BrotherAPIClient(machine.host(), machine.port(), session());
}

std::optional<MachineInfo> fetch(const BrotherAPIClient& client, double timeout = 5) {
    return QCoro::waitFor(client.fetchInfo(timeout));
}

std::optional<BrotherAPIError> send(const BrotherAPIClient& client, const QByteArray& data,
                                    const QByteArray& fileName = "rose.pes",
                                    qint64 maxBytes = BrotherAPIClient::defaultMaxUploadBytes,
                                    double timeout = 5) {
    return QCoro::waitFor(client.upload(data, fileName, maxBytes, timeout));
}

// Keeps event processing going for a while, so late replies and timers get delivered.
void spin(int milliseconds) {
    QTest::qWait(milliseconds);
}

const QRegularExpression fingerprintPattern(QStringLiteral("^([0-9A-F]{2}:){31}[0-9A-F]{2}$"));
const QRegularExpression boundaryPattern(
    QStringLiteral("^Bobbinlark-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));

QByteArray expectedBody(const QByteArray& boundary, const QByteArray& name,
                        const QByteArray& data) {
    return "--" + boundary +
           "\r\n"
           "Content-Disposition: form-data; name=\"req_parameter\"; filename=\"req_parameter\"\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\n"
           "\r\n"
           "req_sessionid=0&req_appid=23&req_appver=100&req_appstate=3\r\n"
           "--" +
           boundary +
           "\r\n"
           "Content-Disposition: form-data; name=\"myfile\"; filename=\"" +
           name +
           "\"\r\n"
           "Content-Type: application/octet-stream\r\n"
           "\r\n" +
           data + "\r\n--" + boundary + "--\r\n";
}

QByteArray boundaryOf(const FakeMachine::Request& request) {
    const QByteArray prefix = "multipart/form-data; boundary=";
    const QByteArray type = request.header("Content-Type").value_or(QByteArray());
    return type.startsWith(prefix) ? type.mid(prefix.size()) : QByteArray();
}

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    // Qt may warn about the environment first; the command's own message is the last line.
    QByteArray message() const { return err.trimmed().split('\n').constLast(); }
};

// Runs bobbinlark-tool while this thread's event loop keeps the fake machines answering.
// `platform` is the GUI platform the tool is given (the test's own by default).
ToolRun runTool(const QStringList& arguments, const QString& platform = {}) {
    QProcess process;
    process.setProgram(QStringLiteral(BOBBINLARK_TOOL_PATH));
    process.setArguments(arguments);
    if (!platform.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        process.setProcessEnvironment(environment);
    }
    process.start();
    QSignalSpy finished(&process, &QProcess::finished);
    if (!finished.wait(20000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class TestNetworking : public QObject {
    Q_OBJECT

private slots:
    // Runs first, before anything else has touched the session.
    void sessionComesIntoBeingOnceUnderConcurrentFirstUse() {
        constexpr int threads = 8;
        std::barrier start(threads);
        std::vector<CertificateTrustSession*> seen(threads);
        std::vector<std::thread> workers;
        for (int i = 0; i < threads; ++i)
            workers.emplace_back([&, i] {
                start.arrive_and_wait();
                seen[static_cast<size_t>(i)] = &CertificateTrustSession::shared();
            });
        for (std::thread& worker : workers)
            worker.join();
        for (CertificateTrustSession* instance : seen)
            QCOMPARE(instance, &CertificateTrustSession::shared());
        // Whichever thread made it, it serves requests on the application's thread.
        QCOMPARE(session().thread(), QCoreApplication::instance()->thread());
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.5"))));
        QVERIFY(fetch(clientFor(machine)).has_value());
    }

    void fingerprintIsAbsentBeforeAnyConnection() {
        QCOMPARE(session().certificateFingerprint(QStringLiteral("127.0.0.99"), 443), std::nullopt);
    }

    void fingerprintIsRecordedAndFoundInAnyLetterCase() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress::LocalHost));
        const BrotherAPIClient client(QStringLiteral("LocalHost"), machine.port(), session());
        const std::optional<MachineInfo> info = fetch(client);
        QVERIFY(info.has_value());
        QCOMPARE(info->certificateFingerprint, machine.fingerprint());
        QVERIFY(fingerprintPattern.match(machine.fingerprint()).hasMatch());
        QCOMPARE(info->certificateFingerprint->size(), 95);
        for (const QString host : {"localhost", "LOCALHOST", "LocalHost"})
            QCOMPARE(session().certificateFingerprint(host, machine.port()), machine.fingerprint());

        // Other spellings of one address reach, and find, the same record.
        FakeMachine dotted;
        QVERIFY(dotted.start(QHostAddress(QStringLiteral("127.0.0.20"))));
        const BrotherAPIClient padded(QStringLiteral("127.000.000.20"), dotted.port(), session());
        const std::optional<MachineInfo> paddedInfo = fetch(padded);
        QVERIFY(paddedInfo.has_value());
        QCOMPARE(paddedInfo->host, QStringLiteral("127.000.000.20"));
        QCOMPARE(paddedInfo->certificateFingerprint, dotted.fingerprint());
        QCOMPARE(session().certificateFingerprint(QStringLiteral("127.0.0.20"), dotted.port()),
                 dotted.fingerprint());
    }

    void twoPortsOfOneHostKeepTheirOwnCertificates() {
        FakeMachine first;
        FakeMachine second;
        QVERIFY(first.start(QHostAddress(QStringLiteral("127.0.0.6"))));
        QVERIFY(second.start(QHostAddress(QStringLiteral("127.0.0.6"))));
        QVERIFY(first.fingerprint() != second.fingerprint());
        const QString host = QStringLiteral("127.0.0.6");

        QCOMPARE(fetch(clientFor(first))->certificateFingerprint, first.fingerprint());
        QCOMPARE(fetch(clientFor(second))->certificateFingerprint, second.fingerprint());
        QCOMPARE(session().certificateFingerprint(host, first.port()), first.fingerprint());
        QCOMPARE(session().certificateFingerprint(host, second.port()), second.fingerprint());

        // Checked together: both handshakes are over before either machine answers.
        first.setDelay(300);
        second.setDelay(300);
        auto firstCheck = clientFor(first).fetchInfo(5);
        auto secondCheck = clientFor(second).fetchInfo(5);
        const std::optional<MachineInfo> secondInfo = QCoro::waitFor(std::move(secondCheck));
        const std::optional<MachineInfo> firstInfo = QCoro::waitFor(std::move(firstCheck));
        QVERIFY(firstInfo && secondInfo);
        QCOMPARE(firstInfo->certificateFingerprint, first.fingerprint());
        QCOMPARE(secondInfo->certificateFingerprint, second.fingerprint());
        QCOMPARE(session().certificateFingerprint(host, first.port()), first.fingerprint());
    }

    void changedCertificateIsSeenOnANewConnectionAndNeverBlocks() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.7"))));
        const BrotherAPIClient client = clientFor(machine);
        const QString before = machine.fingerprint();
        QCOMPARE(fetch(client)->certificateFingerprint, before);

        machine.rotateCertificate();
        machine.closeConnections();
        QVERIFY(machine.fingerprint() != before);
        const std::optional<MachineInfo> info = fetch(client);
        QVERIFY(info.has_value());
        QCOMPARE(info->certificateFingerprint, machine.fingerprint());
        QCOMPARE(send(client, "design"), std::nullopt);
        QCOMPARE(machine.requests().size(), 3);
    }

    void parse_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("accepted");

        const auto row = [](const char* name, const char* body, bool accepted) {
            QTest::newRow(name) << QByteArray(body) << accepted;
        };
        row("only serial", "{\"serial\":\"S1\"}", true);
        row("only machine id", "{\"machine-id\":\"M1\"}", true);
        row("name without identity", "{\"name\":\"Studio\",\"model\":3}", false);
        row("nulls are absent",
            "{\"serial\":\"S1\",\"name\":null,\"model\":null,\"features\":null}", true);
        row("null identity is absent", "{\"serial\":null,\"machine-id\":null}", false);
        row("model as string", "{\"serial\":\"S1\",\"model\":\"57\"}", false);
        row("serial as number", "{\"serial\":12}", false);
        row("fractional needles", "{\"serial\":\"S1\",\"features\":{\"needles\":1.5}}", false);
        row("postsize as string", "{\"serial\":\"S1\",\"features\":{\"postsize\":\"3\"}}", false);
        row("width as string", "{\"serial\":\"S1\",\"features\":{\"embwidth\":\"2600\"}}", false);
        row("features as array", "{\"serial\":\"S1\",\"features\":[]}", false);
        row("unknown keys ignored", "{\"serial\":\"S1\",\"colour\":[1,2],\"extra\":{}}", true);
        row("empty body", nullptr, false);
        row("array", "[{\"serial\":\"S1\"}]", false);
        row("string", "\"serial\"", false);
        row("truncated", "{\"serial\":\"S1\"", false);
    }

    void parse() {
        QFETCH(QByteArray, body);
        QFETCH(bool, accepted);
        const auto info =
            MachineInfo::parse(body, QStringLiteral("10.0.0.2"), 8443, QStringLiteral("AB"));
        QCOMPARE(info.has_value(), accepted);
        if (info) {
            QCOMPARE(info->host, QStringLiteral("10.0.0.2"));
            QCOMPARE(info->port, 8443);
            QCOMPARE(info->certificateFingerprint, QStringLiteral("AB"));
            QCOMPARE(info->name, std::nullopt);
            QCOMPARE(info->modelCode, std::nullopt);
            QCOMPARE(info->needles, std::nullopt);
        }
    }

    void parseMapsEveryField() {
        const QByteArray body =
            "{\"model\":57,\"version\":\"1.20\",\"serial\":\"A1B2\",\"name\":\" \\n Studio "
            "Brother\\t \","
            "\"machine-id\":\"MID-9\",\"features\":{\"embwidth\":1295,\"embheight\":1600,"
            "\"needles\":6,\"postsize\":1500000}}";
        const auto info = MachineInfo::parse(body, QStringLiteral("h"), 443, std::nullopt);
        QVERIFY(info.has_value());
        MachineInfo expected;
        expected.host = QStringLiteral("h");
        expected.port = 443;
        expected.name = QStringLiteral("Studio Brother");
        expected.machineID = QStringLiteral("MID-9");
        expected.serial = QStringLiteral("A1B2");
        expected.firmwareVersion = QStringLiteral("1.20");
        expected.modelCode = 57;
        expected.embroideryWidthMM = 129.5;
        expected.embroideryHeightMM = 160.0;
        expected.needles = 6;
        expected.maxUploadBytes = 1500000;
        QCOMPARE(*info, expected);

        const auto blank = MachineInfo::parse("{\"serial\":\"S\",\"name\":\" \\r\\n \"}",
                                              QStringLiteral("h"), 443, std::nullopt);
        QVERIFY(blank.has_value());
        QCOMPARE(blank->name, std::nullopt);
        const auto fractional =
            MachineInfo::parse("{\"serial\":\"S\",\"features\":{\"embwidth\":2600.5}}",
                               QStringLiteral("h"), 443, std::nullopt);
        QVERIFY(fractional.has_value());
        QCOMPARE(fractional->embroideryWidthMM, 260.05);
        QCOMPARE(fractional->embroideryHeightMM, std::nullopt);
    }

    void machineInfoJsonLeavesAbsentFieldsOut() {
        const auto info =
            MachineInfo::parse("{\"serial\":\"S\",\"features\":{\"embwidth\":2600,\"postsize\":9}}",
                               QStringLiteral("192.168.1.50"), 443, QStringLiteral("FP"));
        QVERIFY(info.has_value());
        const QJsonObject json = info->toJson();
        QCOMPARE(json.keys(), QStringList({"certificateFingerprint", "embroideryWidthMM", "host",
                                           "maxUploadBytes", "port", "serial"}));
        QCOMPARE(json.value(QLatin1StringView("embroideryWidthMM")).toDouble(), 260.0);
        QCOMPARE(json.value(QLatin1StringView("port")).toInteger(), 443);
        QCOMPARE(json.value(QLatin1StringView("maxUploadBytes")).toInteger(), 9);
    }

    void infoQueryMapsTheReplyOfAMachine() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.8"))));
        const std::optional<MachineInfo> info = fetch(clientFor(machine));
        QVERIFY(info.has_value());
        QCOMPARE(info->host, QStringLiteral("127.0.0.8"));
        QCOMPARE(info->port, machine.port());
        QCOMPARE(info->name, QStringLiteral("Fake Machine"));
        QCOMPARE(info->embroideryAreaText(), QStringLiteral("260 \u00D7 160 mm"));
        QCOMPARE(info->maxUploadBytes, 3000000);

        const QList<FakeMachine::Request> requests = machine.requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].method, QByteArray("GET"));
        QCOMPARE(requests[0].path, QByteArray("/info"));
        QCOMPARE(requests[0].body, QByteArray());
        QCOMPARE(requests[0].header("Content-Type"), std::nullopt);
        QCOMPARE(requests[0].header("Cookie"), std::nullopt);
        QCOMPARE(requests[0].header("Cache-Control"), std::nullopt);
    }

    void infoQueryAcceptsOnlyStatus200_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("answered");
        QTest::newRow("200") << 200 << true;
        QTest::newRow("201") << 201 << false;
        QTest::newRow("204") << 204 << false;
        QTest::newRow("302") << 302 << false;
        QTest::newRow("404") << 404 << false;
        QTest::newRow("500") << 500 << false;
    }

    void infoQueryAcceptsOnlyStatus200() {
        QFETCH(int, status);
        QFETCH(bool, answered);
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.8"))));
        machine.setInfoStatus(status);
        QCOMPARE(fetch(clientFor(machine)).has_value(), answered);
        QCOMPARE(machine.requests().size(), 1);
    }

    void infoReplyIsCappedAtOneMebibyte() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.9"))));
        const QByteArray head = "{\"serial\":\"S1\",\"pad\":\"";
        const QByteArray tail = "\"}";
        const auto bodyOf = [&](qsizetype size) {
            return head + QByteArray(size - head.size() - tail.size(), 'x') + tail;
        };
        machine.setInfoBody(bodyOf(CertificateTrustSession::maxReplyBytes));
        QVERIFY(fetch(clientFor(machine)).has_value());
        machine.setInfoBody(bodyOf(CertificateTrustSession::maxReplyBytes + 1));
        QCOMPARE(fetch(clientFor(machine)), std::nullopt);
        machine.setInfoBody(bodyOf(16 * CertificateTrustSession::maxReplyBytes));
        QCOMPARE(fetch(clientFor(machine)), std::nullopt);
    }

    void infoQueryTimesOut() {
        FakeMachine silent;
        QVERIFY(silent.start(QHostAddress(QStringLiteral("127.0.0.10"))));
        silent.setNeverAnswer(true);
        QCOMPARE(fetch(clientFor(silent), 0.3), std::nullopt);

        // Handshake done and request read, the answer comes too late.
        FakeMachine slow;
        QVERIFY(slow.start(QHostAddress(QStringLiteral("127.0.0.10"))));
        slow.setDelay(1500);
        QCOMPARE(fetch(clientFor(slow), 0.5), std::nullopt);
        QCOMPARE(slow.requests().size(), 1);
        QVERIFY(fetch(clientFor(slow), 5).has_value());

        // The time-out counts the whole query, not only silence.
        FakeMachine trickling;
        QVERIFY(trickling.start(QHostAddress(QStringLiteral("127.0.0.10"))));
        trickling.setInfoBody("{\"serial\":\"S1\"}");
        trickling.setTrickle(40);
        QCOMPARE(fetch(clientFor(trickling), 0.3), std::nullopt);
        QVERIFY(fetch(clientFor(trickling), 5).has_value());
    }

    // A machine that takes connections and never answers must not keep any of ours open.
    void timedOutRequestsReleaseTheirConnections() {
        FakeMachine silent;
        QVERIFY(silent.start(QHostAddress(QStringLiteral("127.0.0.22"))));
        silent.setNeverAnswer(true);
        const BrotherAPIClient client = clientFor(silent);
        QCoro::Task<std::optional<MachineInfo>> query = client.fetchInfo(0.3);
        QCoro::Task<std::optional<BrotherAPIError>> upload = client.upload("x", "a.pes", 10, 0.3);
        QTRY_COMPARE(silent.openClientConnections(), 2);
        QCOMPARE(QCoro::waitFor(query), std::nullopt);
        QCOMPARE(QCoro::waitFor(upload), BrotherAPIError::unreachable());
        QTRY_COMPARE(silent.openClientConnections(), 0);
    }

    void nothingListeningIsNoAnswer() {
        quint16 freePort = 0;
        {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress(QStringLiteral("127.0.0.11"))));
            freePort = probe.serverPort();
        }
        const BrotherAPIClient client(QStringLiteral("127.0.0.11"), freePort, session());
        QCOMPARE(fetch(client), std::nullopt);
        QCOMPARE(send(client, "x"), BrotherAPIError::unreachable());
    }

    // Machines are named by IPv4 address or host name; the connection itself also reaches IPv6
    // and reports the certificate it was shown.
    void connectionReachesEveryKindOfAddress() {
        FakeMachine ipv6;
        if (!ipv6.start(QHostAddress::LocalHostIPv6))
            QSKIP("no IPv6 loopback here");
        FakeMachine named;
        QVERIFY(named.start(QHostAddress::LocalHost));
        for (const auto& [machine, host] : {std::pair{&ipv6, QStringLiteral("::1")},
                                            std::pair{&named, QStringLiteral("localhost")}}) {
            TlsConnection connection;
            QByteArray received;
            QSignalSpy ended(&connection, &TlsConnection::ended);
            connect(&connection, &TlsConnection::encrypted, &connection, [&] {
                connection.write("GET /info HTTP/1.1\r\nHost: h\r\n");
                connection.write("Connection: close\r\n\r\n");
            });
            connect(&connection, &TlsConnection::received, &connection,
                    [&](const QByteArray& bytes) { received += bytes; });
            connection.connectToHost(host, machine->port());
            QVERIFY2(ended.wait(10'000), qPrintable(host));
            QVERIFY2(received.startsWith("HTTP/1.1 200 "), received.constData());
            QVERIFY(received.contains("A1B2C3D4"));
            QCOMPARE(CertificateTrustSession::fingerprintText(connection.peerCertificate()),
                     machine->fingerprint());
            QCOMPARE(machine->requests().size(), 1);
        }

        // A name that resolves to nothing ends the connection without ever being encrypted.
        TlsConnection nowhere;
        QSignalSpy encrypted(&nowhere, &TlsConnection::encrypted);
        QSignalSpy ended(&nowhere, &TlsConnection::ended);
        nowhere.connectToHost(QStringLiteral("no-such-machine.invalid"), 443);
        QVERIFY(ended.wait(20'000));
        QCOMPARE(encrypted.count(), 0);
        QVERIFY(nowhere.peerCertificate().isEmpty());
    }

    void urlsNameExactlyTheHostAndPort() {
        const BrotherAPIClient client(QStringLiteral("192.168.1.50"), 443, session());
        QCOMPARE(client.url(QStringLiteral("/info")).toString(),
                 QStringLiteral("https://192.168.1.50:443/info"));
        QCOMPARE(BrotherAPIClient(QStringLiteral("brother.lan"), 8443, session())
                     .url(QStringLiteral("/sewing/sewing.cgi"))
                     .toString(),
                 QStringLiteral("https://brother.lan:8443/sewing/sewing.cgi"));
        // Hosts that would name another server, or no URL at all.
        for (const QString host : {"evil.lan/x?", "user@127.0.0.1", "127.0.0.1#", "", "a b",
                                   "127.0.0.1:80", "::1", "[::1]", "h%2Fx", "a\\b", "a\tb"}) {
            const BrotherAPIClient bad(host, 443, session());
            QVERIFY2(!bad.url(QStringLiteral("/info")).isValid(), qPrintable(host));
            QCOMPARE(fetch(bad), std::nullopt);
            QCOMPARE(send(bad, "x"), BrotherAPIError::unreachable());
        }
    }

    void manyQueriesRunAtOnce() {
        constexpr int machines = 8;
        constexpr int perMachine = 8;
        std::vector<std::unique_ptr<FakeMachine>> fakes;
        for (int i = 0; i < machines; ++i) {
            fakes.push_back(std::make_unique<FakeMachine>());
            QVERIFY(fakes.back()->start(QHostAddress(QStringLiteral("127.0.1.%1").arg(i + 1))));
            fakes.back()->setDelay(100);
        }
        std::vector<QCoro::Task<std::optional<MachineInfo>>> tasks;
        for (int i = 0; i < machines * perMachine; ++i)
            tasks.push_back(clientFor(*fakes[static_cast<size_t>(i % machines)]).fetchInfo(5));
        for (size_t i = 0; i < tasks.size(); ++i) {
            const std::optional<MachineInfo> info = QCoro::waitFor(tasks[i]);
            QVERIFY(info.has_value());
            QCOMPARE(info->host, fakes[i % machines]->host());
            QCOMPARE(info->certificateFingerprint, fakes[i % machines]->fingerprint());
        }
        for (const auto& fake : fakes)
            QCOMPARE(fake->requests().size(), perMachine);
    }

    void droppedRequestsFinishHarmlessly() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.12"))));
        machine.setDelay(200);
        {
            auto client = std::make_unique<BrotherAPIClient>(clientFor(machine));
            auto info = client->fetchInfo(5);
            auto upload = client->upload("design", "a.pes", 100, 5);
            auto late = client->fetchInfo(0.05);
            client.reset();
        } // tasks dropped while their requests are in flight
        // The short one may be cancelled before its request is out; the others reach the machine
        // and are answered after their tasks are gone.
        QTRY_VERIFY(machine.requests().size() >= 2);
        spin(400);
        QVERIFY(fetch(clientFor(machine)).has_value());
    }

    void uploadStatuses_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QList<int>>("interim"); // answered before the final status
        QTest::addColumn<std::optional<BrotherAPIError>>("expected");
        const std::optional<BrotherAPIError> success;
        // 101 ends HTTP on the connection, so it is final; the other 1xx are interim.
        for (const int status : {101, 200, 204, 302, 304, 399, 600, 999})
            QTest::addRow("%d", status) << status << QList<int>() << success;
        for (const int status : {400, 404, 413, 500, 599})
            QTest::addRow("%d", status)
                << status << QList<int>() << std::optional(BrotherAPIError::badStatus(status));
        QTest::newRow("103 then 500")
            << 500 << QList<int>{103} << std::optional(BrotherAPIError::badStatus(500));
        QTest::newRow("102, 100, 199 then 413")
            << 413 << QList<int>{102, 100, 199} << std::optional(BrotherAPIError::badStatus(413));
        QTest::newRow("102 then 200") << 200 << QList<int>{102} << success;
    }

    void uploadStatuses() {
        QFETCH(int, status);
        QFETCH(QList<int>, interim);
        QFETCH(std::optional<BrotherAPIError>, expected);
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.13"))));
        machine.setUploadStatus(status);
        machine.setInterimAnswers(interim);
        const QByteArray data = "#PES0001 stitches";
        QCOMPARE(send(clientFor(machine), data), expected);
        QCOMPARE(machine.requests().size(), 1);
        const auto design = FakeMachine::designFrom(machine.requests().first());
        QVERIFY(design.has_value());
        QCOMPARE(design->data, data);
    }

    void uploadSendsTheExactBody() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.14"))));
        QByteArray data(256, '\0');
        for (int i = 0; i < data.size(); ++i)
            data[i] = static_cast<char>(i); // every byte value, CR, LF and "--" included
        QCOMPARE(send(clientFor(machine), data, "flower.dst"), std::nullopt);

        const FakeMachine::Request request = machine.requests().value(0);
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, QByteArray("/sewing/sewing.cgi"));
        const QByteArray boundary = boundaryOf(request);
        QVERIFY(boundaryPattern.match(QString::fromLatin1(boundary)).hasMatch());
        QCOMPARE(boundary.size(), 47);
        QCOMPARE(request.body, expectedBody(boundary, "flower.dst", data));
        QCOMPARE(request.header("Content-Length"), QByteArray::number(request.body.size()));
        QCOMPARE(request.header("MIME-Version"), std::nullopt);
        QCOMPARE(request.header("Cookie"), std::nullopt);

        // A design of the largest usual size goes out in pieces, in order, after the head.
        QByteArray large(3'000'000, '\0');
        for (qsizetype i = 0; i < large.size(); ++i)
            large[i] = static_cast<char>((i * 7919) >> 8);
        QCOMPARE(send(clientFor(machine), large, "large.pes"), std::nullopt);
        QCOMPARE(machine.requests().size(), 2);
        QCOMPARE(machine.requests()[1].path, QByteArray("/sewing/sewing.cgi"));
        QCOMPARE(FakeMachine::designFrom(machine.requests()[1])->data, large);

        // Streamed a piece at a time it arrives the same; a stream that fails midway fails the
        // upload before the machine has all of it.
        const auto streamed = [&large](qint64 readable) {
            auto given = std::make_shared<qint64>(0);
            return CertificateTrustSession::StreamedPart{
                large.size(), [=, &large](qint64 most) -> std::optional<QByteArray> {
                    if (*given + most > readable)
                        return std::nullopt;
                    *given += most;
                    return large.mid(*given - most, most);
                }};
        };
        const auto upload = [&](qint64 readable) {
            return QCoro::waitFor(clientFor(machine).upload(
                streamed(readable), "large.pes", BrotherAPIClient::defaultMaxUploadBytes, 5));
        };
        QCOMPARE(upload(large.size()), std::nullopt);
        QCOMPARE(FakeMachine::designFrom(machine.requests().value(2))->data, large);
        QCOMPARE(upload(large.size() / 2), BrotherAPIError::designUnreadable());
        QCOMPARE(machine.requests().size(), 3);
    }

    void bodyLayout() {
        const auto built = BrotherAPIClient::buildUploadBody("0123456789", "abcd.pes");
        QCOMPARE(built.body.size(), 468);
        QCOMPARE(built.body, expectedBody(built.boundary, "abcd.pes", "0123456789"));
        QCOMPARE(BrotherAPIClient::buildUploadBody({}, {}).body.size(), 450);
        const QByteArray utf8Name = QStringLiteral("Blüte.pes").toUtf8();
        QCOMPARE(BrotherAPIClient::buildUploadBody("abc", utf8Name).body.size(),
                 450 + utf8Name.size() + 3);
    }

    void twoUploadsDifferOnlyInTheBoundary() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.14"))));
        const BrotherAPIClient client = clientFor(machine);
        QCOMPARE(send(client, "same design"), std::nullopt);
        QCOMPARE(send(client, "same design"), std::nullopt);
        const QList<FakeMachine::Request> requests = machine.requests();
        QCOMPARE(requests.size(), 2);
        const QByteArray first = boundaryOf(requests[0]);
        const QByteArray second = boundaryOf(requests[1]);
        QVERIFY(first != second);
        QVERIFY(requests[0].body != requests[1].body);
        QCOMPARE(QByteArray(requests[0].body).replace(first, "B"),
                 QByteArray(requests[1].body).replace(second, "B"));
    }

    void fileNameBytesAreKeptSaveLineBreaks() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.15"))));
        const BrotherAPIClient client = clientFor(machine);
        const QList<QPair<QByteArray, QByteArray>> names{
            {"say \"hi\".pes", "say \"hi\".pes"},
            {"back\\slash%20.pes", "back\\slash%20.pes"},
            {"caf\xE9.pes", "caf\xE9.pes"}, // Latin-1 bytes, not UTF-8: sent as they are
            {"a\r\nContent-Type: text/html\r\n.pes", "a__Content-Type: text/html__.pes"},
            {"line\nbreak\r.pes", "line_break_.pes"},
        };
        for (const auto& [given, announced] : names) {
            machine.clearRequests();
            QCOMPARE(send(client, "data", given), std::nullopt);
            const FakeMachine::Request request = machine.requests().value(0);
            QCOMPARE(request.body, expectedBody(boundaryOf(request), announced, "data"));
        }
    }

    void sizeLimitIsCheckedBeforeAnyRequest() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.16"))));
        const BrotherAPIClient client = clientFor(machine);
        QCOMPARE(send(client, QByteArray(100, 'a'), "a.pes", 100), std::nullopt);
        QCOMPARE(machine.requests().size(), 1);
        QCOMPARE(send(client, QByteArray(101, 'a'), "a.pes", 100), BrotherAPIError::tooLarge(100));
        QCOMPARE(send(client, "x", "a.pes", 0), BrotherAPIError::tooLarge(0));
        QCOMPARE(send(client, QByteArray(), "a.pes", 0), std::nullopt);
        spin(100);
        QCOMPARE(machine.requests().size(), 2);
        QCOMPARE(FakeMachine::designFrom(machine.requests()[1])->data, QByteArray());
    }

    void uploadTimesOutOnASilentMachine() {
        FakeMachine silent;
        QVERIFY(silent.start(QHostAddress(QStringLiteral("127.0.0.17"))));
        silent.setNeverAnswer(true);
        QCOMPARE(send(clientFor(silent), "data", "a.pes", 100, 0.3),
                 BrotherAPIError::unreachable());

        // It took the whole design and never answered: it may well have stored it.
        FakeMachine slow;
        QVERIFY(slow.start(QHostAddress(QStringLiteral("127.0.0.17"))));
        slow.setDelay(1500);
        QCOMPARE(send(clientFor(slow), "data", "a.pes", 100, 0.5), BrotherAPIError::noAnswer());
        QCOMPARE(slow.requests().size(), 1);
        QCOMPARE(BrotherAPIClient::uploadTimeoutSeconds, 30.0);
    }

    // The upload's time-out counts time in which nothing moved, judged by what the machine's
    // TCP has acknowledged rather than what our socket swallowed; progress counts the same way.
    // Also run in a namespace whose loopback is set up like a home link (home_link.sh).
    void slowLinks_data() {
        QTest::addColumn<qint64>("readRate");
        QTest::addColumn<qint64>("stallAfter");
        QTest::addColumn<int>("answerDelay");
        QTest::addColumn<std::optional<BrotherAPIError>>("expected");
        // Two seconds of steady reading against half a second of patience.
        QTest::newRow("steady slow link finishes")
            << qint64(300'000) << qint64(-1) << 0 << std::optional<BrotherAPIError>();
        QTest::newRow("machine stops reading mid-design")
            << qint64(0) << qint64(150'000) << 0
            << std::optional<BrotherAPIError>(BrotherAPIError::unreachable());
        QTest::newRow("whole design taken, no answer")
            << qint64(0) << qint64(-1) << 3000
            << std::optional<BrotherAPIError>(BrotherAPIError::noAnswer());
    }

    void slowLinks() {
        QFETCH(qint64, readRate);
        QFETCH(qint64, stallAfter);
        QFETCH(int, answerDelay);
        QFETCH(std::optional<BrotherAPIError>, expected);
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.18"))));
        machine.setReadRate(readRate);
        machine.setStallAfter(stallAfter);
        machine.setDelay(answerDelay);
        const qsizetype size = 600'000;
        QList<QPair<qint64, qint64>> progress;
        QCoro::Task<std::optional<BrotherAPIError>> upload = clientFor(machine).upload(
            QByteArray(size, 'p'), "slow.pes", size, 0.5, [&](qint64 taken, qint64 total) {
                progress.append({taken, total});
            });
        QTRY_VERIFY_WITH_TIMEOUT(upload.isReady(), 60'000);
        QCOMPARE(QCoro::waitFor(upload), expected);
        QCOMPARE(machine.requestsStarted(), 1);

        QVERIFY(!progress.isEmpty());
        const qint64 total = progress.constLast().second;
        QVERIFY(total > size);
        for (qsizetype i = 1; i < progress.size(); ++i)
            QVERIFY(progress[i].first > progress[i - 1].first);
        const qint64 taken = progress.constLast().first;
        if (expected == BrotherAPIError::unreachable()) {
            QVERIFY2(taken < total, qPrintable(QString::number(taken)));
            return;
        }
        QCOMPARE(taken, total);
        if (readRate > 0) { // the machine's reading shows, not our socket's appetite
            const auto midway =
                std::count_if(progress.cbegin(), progress.cend(), [&](const auto& step) {
                    return step.first > total / 10 && step.first < total * 9 / 10;
                });
            QVERIFY2(midway >= 3, qPrintable(QString::number(midway)));
        }
    }

    // A machine that keeps the design and drops the connection, or resets it halfway, has had
    // its one attempt: nothing is sent again, and the failure is reported without waiting for
    // the time-out (far longer than the test may take).
    void brokenUploadIsSentOnceAndFailsAtOnce_data() {
        QTest::addColumn<FakeMachine::UploadFault>("fault");
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<BrotherAPIError>("expected");
        // It has the whole design: the user is told it may be there.
        QTest::newRow("closed unanswered") << FakeMachine::UploadFault::closeWithoutAnswer
                                           << qsizetype(100) << BrotherAPIError::noAnswer();
        QTest::newRow("reset mid-body") << FakeMachine::UploadFault::resetMidBody
                                        << qsizetype(2'000'000) << BrotherAPIError::unreachable();
    }

    void brokenUploadIsSentOnceAndFailsAtOnce() {
        QFETCH(FakeMachine::UploadFault, fault);
        QFETCH(qsizetype, size);
        QFETCH(BrotherAPIError, expected);
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.21"))));
        const BrotherAPIClient client = clientFor(machine);
        QVERIFY(fetch(client).has_value()); // a query before, as the program checks first
        machine.setUploadFault(fault);
        const int before = machine.requestsStarted();

        QCoro::Task<std::optional<BrotherAPIError>> upload =
            client.upload(QByteArray(size, 'p'), "rose.pes", size, 600);
        QTRY_VERIFY_WITH_TIMEOUT(upload.isReady(), 60'000);
        QCOMPARE(QCoro::waitFor(upload), expected);
        spin(300); // a copy sent again would arrive now
        QCOMPARE(machine.requestsStarted() - before, 1);
        if (fault == FakeMachine::UploadFault::closeWithoutAnswer)
            QCOMPARE(FakeMachine::designFrom(machine.requests().constLast())->data.size(), size);

        // The machine is still there for the next design.
        machine.setUploadFault(FakeMachine::UploadFault::none);
        QCOMPARE(send(client, "next"), std::nullopt);
        QCOMPARE(machine.requestsStarted() - before, 2);
    }

    void answerReading_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("wholeAnswer");
        QTest::addColumn<bool>("closed"); // the connection ended after the bytes
        QTest::addColumn<int>("status");  // 0: the answer fails
        QTest::addColumn<QByteArray>("body");
        const auto row = [](const char* name, QByteArray bytes, bool whole, bool closed, int status,
                            QByteArray body = {}) {
            QTest::newRow(name) << bytes << whole << closed << status << body;
        };
        row("length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", true, false, 200,
            "hello");
        row("length, bytes after it ignored", "HTTP/1.0 200 OK\r\ncontent-length:2\r\n\r\nhiXX",
            true, false, 200, "hi");
        row("chunks, extension and trailer",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3;x=y\r\nabc\r\n"
            "A\r\n0123456789\r\n0\r\nTrailer: t\r\n\r\n",
            true, false, 200, "abc0123456789");
        row("until the end", "HTTP/1.1 200 OK\nServer: m\n\n{\"serial\":1}", true, true, 200,
            "{\"serial\":1}");
        row("no body for 204", "HTTP/1.1 204 No Content\r\n\r\n", true, false, 204);
        row("interim answers skipped",
            "HTTP/1.1 100 Continue\r\nX: HTTP/1.1 200\r\n\r\nHTTP/1.1 413 Too Large\r\n", false,
            false, 413);
        row("status line alone", "HTTP/1.1 507 Insufficient Storage\r\n", false, false, 507);
        row("every 1xx but 101 is interim",
            "HTTP/1.1 102 Processing\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: </a>\r\n\r\n"
            "HTTP/1.1 500 Oops\r\nContent-Length: 2\r\n\r\nno",
            true, false, 500, "no");
        row("101 is final", "HTTP/1.1 101 Switching Protocols\r\n\r\nHTTP/1.1 500\r\n", true, false,
            101);
        row("any three digits", "HTTP/1.1 999\r\n", false, false, 999);
        row("not HTTP", "<html>\r\n", true, false, 0);
        row("not HTTP/1", "HTTP/2 200\r\n", false, false, 0);
        row("four digits", "HTTP/1.1 2000 OK\r\n", false, false, 0);
        row("lowercase protocol", "http/1.1 200 OK\r\n", false, false, 0);
        row("length not a number", "HTTP/1.1 200 OK\r\nContent-Length: 5x\r\n\r\n", true, false, 0);
        row("two lengths", "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n",
            true, false, 0);
        row("compressed chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, chunked\r\n\r\n",
            true, false, 0);
        row("chunk without its end",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
            "1\r\naXX\r\n",
            true, false, 0);
        row("body cut short", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nhello", true, true, 0);
        row("closed before any answer", "", false, true, 0);
        row("length over the cap", "HTTP/1.1 200 OK\r\nContent-Length: 17\r\n\r\n", true, false, 0);
        row("chunks over the cap",
            "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
            "9\r\n123456789\r\n9\r\n",
            true, false, 0);
        row("until the end, over the cap", "HTTP/1.1 200 OK\r\n\r\n" + QByteArray(17, 'x'), true,
            true, 0);
        row("endless head line", QByteArray(HttpAnswerReader::maxHeadBytes + 1, 'H'), true, false,
            0);
        QByteArray endless = "HTTP/1.1 100 Continue\r\n";
        while (endless.size() <= HttpAnswerReader::maxHeadBytes)
            endless += "X-Filler: 0123456789\r\n";
        row("endless interim head", endless, false, false, 0);
    }

    // Every answer read at once, and again arriving byte by byte, ends the same.
    void answerReading() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, wholeAnswer);
        QFETCH(bool, closed);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        const auto extent =
            wholeAnswer ? HttpAnswerReader::Extent::whole : HttpAnswerReader::Extent::statusLine;
        HttpAnswerReader atOnce(extent, 16);
        HttpAnswerReader byteByByte(extent, 16);
        atOnce.feed(bytes);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            byteByByte.feed(QByteArrayView(bytes).sliced(i, 1));
        for (HttpAnswerReader* reader : {&atOnce, &byteByByte}) {
            if (closed)
                reader->close();
            if (status == 0) {
                QCOMPARE(reader->state(), HttpAnswerReader::State::failed);
                continue;
            }
            QCOMPARE(reader->state(), HttpAnswerReader::State::complete);
            QCOMPARE(reader->statusCode(), status);
            QCOMPARE(reader->body(), body);
        }
        if (status != 0 && !closed) { // complete without waiting for the end of the connection
            HttpAnswerReader ended(extent, 16);
            ended.feed(bytes);
            QCOMPARE(ended.close(), HttpAnswerReader::State::complete);
        }
    }

    void toolCommands() {
        FakeMachine machine;
        QVERIFY(machine.start(QHostAddress(QStringLiteral("127.0.0.18"))));
        const QString port = QString::number(machine.port());

        // The commands that draw nothing need no GUI platform at all.
        ToolRun run = runTool({"info", "127.0.0.18", port}, QStringLiteral("no-such-platform"));
        QCOMPARE(run.exitCode, 0);
        const QJsonObject json = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(json.value(QLatin1StringView("serial")).toString(), QStringLiteral("A1B2C3D4"));
        QCOMPARE(json.value(QLatin1StringView("embroideryWidthMM")).toDouble(), 260.0);
        QCOMPARE(json.value(QLatin1StringView("certificateFingerprint")).toString(),
                 machine.fingerprint());

        machine.setInfoStatus(404);
        run = runTool({"info", "127.0.0.18", port});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.message(), "No machine answered at 127.0.0.18:" + port.toLatin1() + ".");
        QCOMPARE(runTool({"info", "127.0.0.18", "70000"}).exitCode, 2);
        QCOMPARE(runTool({"info"}).exitCode, 2);

        QTemporaryDir folder;
        const QString design = folder.filePath(QStringLiteral("tulip.pes"));
        QVERIFY(writeFile(design, "#PES design"));
        machine.clearRequests();
        run = runTool({"upload", "127.0.0.18", port, design}, QStringLiteral("no-such-platform"));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, "Sent " + design.toUtf8() + "\n");
        const auto received = FakeMachine::designFrom(machine.requests().value(0));
        QVERIFY(received.has_value());
        QCOMPARE(received->fileName, QByteArray("tulip.pes"));
        QCOMPARE(received->data, QByteArray("#PES design"));

        run = runTool({"upload", "127.0.0.18", port, design, "--max-bytes", "10"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.message(),
                 QByteArray("This design is too large to send. The machine accepts up to 10 "
                            "bytes."));
        // Over the tool's own bound, under the machine's: the message names the tool's.
        QFile huge(folder.filePath(QStringLiteral("huge.pes")));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(DesignFile::sendLimit + 1));
        huge.close();
        run = runTool({"upload", "127.0.0.18", port, huge.fileName(), "--max-bytes", "100000000"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.message(),
                 QByteArray("This design is too large to send. Bobbinlark sends designs of up "
                            "to 64 MB."));
        machine.setUploadStatus(503);
        run = runTool({"upload", "127.0.0.18", port, design});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.message(),
                 QByteArray("The machine refused the design (status 503). If it's full, retrieve "
                            "the waiting designs on the machine, or turn it off and on to empty "
                            "its wireless pocket."));
        QCOMPARE(runTool({"upload", "127.0.0.18", design, "--max-bytes"}).exitCode, 2);
        QCOMPARE(machine.requests().size(), 2);

        // A machine that resets the connection halfway through a large design fails the upload
        // with the message, and the tool ends normally.
        const QString big = folder.filePath(QStringLiteral("big.pes"));
        QVERIFY(writeFile(big, QByteArray(3'000'000, 'p')));
        machine.setUploadStatus(200);
        machine.setUploadFault(FakeMachine::UploadFault::resetMidBody);
        run = runTool({"upload", "127.0.0.18", port, big, "--max-bytes", "4000000"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.message(), QByteArray("Couldn't reach the machine. Make sure it's on and "
                                           "connected to Wi-Fi, then try again."));
    }

    void errorDescriptions() {
        QCOMPARE(BrotherAPIError::tooLarge(3'000'000).errorDescription(),
                 QStringLiteral("This design is too large to send. The machine accepts up to 3 "
                                "MB."));
        QCOMPARE(BrotherAPIError::tooLarge(1'500'000).errorDescription(),
                 QStringLiteral("This design is too large to send. The machine accepts up to "
                                "1.5 MB."));
        QCOMPARE(BrotherAPIError::badStatus(413).errorDescription(),
                 QStringLiteral("The machine refused the design (status 413). If it's full, "
                                "retrieve the waiting designs on the machine, or turn it off and "
                                "on to empty its wireless pocket."));
        QCOMPARE(BrotherAPIError::unreachable().errorDescription(),
                 QStringLiteral("Couldn't reach the machine. Make sure it's on and connected to "
                                "Wi-Fi, then try again."));
        QCOMPARE(BrotherAPIError::noAnswer().errorDescription(),
                 QStringLiteral("The design was sent, but the machine didn't answer. It may have "
                                "received it: check its wireless pocket before sending it again."));
        QVERIFY(BrotherAPIError::unreachable().isUnreachable());
        QVERIFY(!BrotherAPIError::noAnswer().isUnreachable());
        QVERIFY(!BrotherAPIError::badStatus(500).isUnreachable());
    }

    void byteCounts_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "Zero KB";
        QTest::newRow("one") << qint64(1) << "1 byte";
        QTest::newRow("two") << qint64(2) << "2 bytes";
        QTest::newRow("999") << qint64(999) << "999 bytes";
        QTest::newRow("1000") << qint64(1000) << "1 KB";
        QTest::newRow("1499") << qint64(1499) << "1 KB";
        QTest::newRow("1500") << qint64(1500) << "2 KB";
        QTest::newRow("999499") << qint64(999'499) << "999 KB";
        QTest::newRow("999500") << qint64(999'500) << "1 MB";
        QTest::newRow("999999") << qint64(999'999) << "1 MB";
        QTest::newRow("1.5 MB") << qint64(1'500'000) << "1.5 MB";
        QTest::newRow("1.25 MB") << qint64(1'250'000) << "1.3 MB";
        QTest::newRow("1.04 MB") << qint64(1'040'000) << "1 MB";
        QTest::newRow("3 MB") << qint64(3'000'000) << "3 MB";
        QTest::newRow("999.96 MB") << qint64(999'960'000) << "1 GB";
        QTest::newRow("1.23 GB") << qint64(1'234'000'000) << "1.23 GB";
        QTest::newRow("2.5 GB") << qint64(2'500'000'000) << "2.5 GB";
        QTest::newRow("2 TB") << qint64(2'000'000'000'000) << "2 TB";
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << "9.22 EB";
        QTest::newRow("negative") << qint64(-1'500'000) << "-1.5 MB";
        QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << "-9.22 EB";
    }

    void byteCounts() {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(ByteCountFormat::fileSize(bytes), text);
    }

    // In the reader's language: its decimal sign, units and plural.
    void byteCountsInOtherLanguages_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("de 1.5 MB") << "de" << qint64(1'500'000) << "1,5 MB";
        QTest::newRow("de one byte") << "de" << qint64(1) << "1 Byte";
        QTest::newRow("fr 2.5 GB") << "fr" << qint64(2'500'000'000) << "2,5\u00a0Go";
        QTest::newRow("es 1.23 GB") << "es" << qint64(1'234'000'000) << "1,23 GB";
        QTest::newRow("ja 1.5 MB") << "ja" << qint64(1'500'000) << "1.5 MB";
    }

    void byteCountsInOtherLanguages() {
        QFETCH(QString, language);
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        Translations::install(QLocale(language));
        QLocale::setDefault(QLocale(language));
        const QString shown = ByteCountFormat::fileSize(bytes);
        Translations::install(QLocale(QLocale::English));
        QLocale::setDefault(QLocale::c());
        QCOMPARE(shown, text);
        QCOMPARE(ByteCountFormat::fileSize(bytes).contains(u','), false);
    }
};

QTEST_GUILESS_MAIN(TestNetworking)
#include "test_networking.moc"
