// Machine records, accepted file types, the info record's display operations and the stored
// JSON forms of machines and recent sends.

#include "Designs/StitchFileTypes.h"
#include "Models/SavedMachine.h"
#include "Models/SendLogEntry.h"
#include "Networking/MachineInfo.h"
#include "Support/Translations.h"

#include <QJsonDocument>
#include <QSet>
#include <QTest>
#include <QUrl>

namespace {

const QUuid machineUuid = QUuid::fromString(QStringLiteral("6B1C2E4A-9F3D-4C8B-A2E1-0D5F7B9C3A21"));

SavedMachine studio() {
    return SavedMachine{machineUuid,
                        QStringLiteral("Studio"),
                        QStringLiteral("192.168.1.50"),
                        443,
                        std::nullopt,
                        std::nullopt,
                        std::nullopt};
}

// A data row of texts only, whatever their number, on one line.
void textRow(const char* name, std::initializer_list<QString> texts) {
    QTestData& row = QTest::newRow(name);
    for (const QString& text : texts)
        row << text;
}

QJsonObject parseObject(const char* json) {
    return QJsonDocument::fromJson(json).object();
}

} // namespace

class TestMachineRecords : public QObject {
    Q_OBJECT

private slots:
    void normalizeHost_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected"); // null QString means absent
        const QString absent;
        textRow("scheme, path and spaces", {" https://192.168.1.50/ \n", "192.168.1.50"});
        textRow("ipv4 with port", {"192.168.1.50:8443", "192.168.1.50"});
        textRow("hyphenated name with port", {"printer-1:80", "printer-1"});
        textRow("mixed case name", {"Sewing-Room.lan", "sewing-room.lan"});
        textRow("bare name keeps its colon", {"localhost:8080", absent});
        textRow("bare name", {"localhost", "localhost"});
        textRow("upper-case scheme stays", {"HTTPS://192.168.1.50", absent});
        textRow("octet out of range", {"192.168.1.256", absent});
        textRow("empty fourth label", {"192.168.1.", absent});
        textRow("three numeric labels are a name", {"192.168.1", "192.168.1"});
        textRow("leading zeros kept", {"192.168.001.010", "192.168.001.010"});
        textRow("signed octet", {"+1.2.3.4", "+1.2.3.4"});
        textRow("four-label name", {"a.b.c.d", absent});
        textRow("bracketed ipv6", {"[fe80::1]", absent});
        textRow("bare ipv6", {"fe80::1", absent});
        textRow("leading hyphen", {"-printer.local", absent});
        textRow("trailing hyphen", {"printer-.local", absent});
        textRow("empty label", {"a..b", absent});
        textRow("underscore", {"my_printer", absent});
        textRow("empty", {"", absent});
        textRow("only white space", {" \n\t ", absent});
        textRow("query and fragment cut", {"printer.local?x=1#y", "printer.local"});
        textRow("port beyond 64 bits stays", {"a.b:99999999999999999999", absent});
        textRow("signed port is cut", {"a.b:-5", "a.b"});
        textRow("empty port stays", {"a.b:", absent});
        textRow("non-ascii letter", {"näher.local", absent});
    }

    void normalizeHost() {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        const auto result = SavedMachine::normalizeHost(typed);
        if (expected.isNull())
            QVERIFY2(!result, qPrintable(result.value_or(QString())));
        else
            QCOMPARE(result.value_or(QStringLiteral("<absent>")), expected);
    }

    void displayHost() {
        SavedMachine machine = studio();
        QCOMPARE(machine.displayHost(), QStringLiteral("192.168.1.50"));
        machine.port = 80;
        QCOMPARE(machine.displayHost(), QStringLiteral("192.168.1.50:80"));
        machine.port = 8443;
        QCOMPARE(machine.displayHost(), QStringLiteral("192.168.1.50:8443"));
    }

    // Typed with leading zeros, stored as typed, reached in decimal.
    void connectionHostReadsNumericAddressesInDecimal_data() {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("expected");
        textRow("leading zeros", {"192.168.001.010", "192.168.1.10"});
        textRow("zeros that octal would refuse", {"010.008.009.099", "10.8.9.99"});
        textRow("all zeros", {"000.000.000.000", "0.0.0.0"});
        textRow("signed parts", {"+1.2.3.-0", "1.2.3.0"});
        textRow("plain stays", {"192.168.1.50", "192.168.1.50"});
        textRow("name stays", {"sewing-room.lan", "sewing-room.lan"});
        textRow("three parts stay", {"192.168.010", "192.168.010"});
        textRow("five parts stay", {"1.2.3.4.05", "1.2.3.4.05"});
        textRow("part out of range stays", {"192.168.1.256", "192.168.1.256"});
        textRow("four-part name stays", {"a.b.c.d", "a.b.c.d"});
    }

    void connectionHostReadsNumericAddressesInDecimal() {
        QFETCH(QString, host);
        QFETCH(QString, expected);
        QCOMPARE(connectionHost(host), expected);
        // A URL made from the result names that same address (no octal reading left).
        if (expected != host)
            QCOMPARE(QUrl(QStringLiteral("https://") + expected + QStringLiteral("/")).host(),
                     expected);
    }

    void typedLeadingZerosAreStoredAsTyped() {
        const QString typed = QStringLiteral("192.168.001.010");
        QCOMPARE(SavedMachine::normalizeHost(typed), typed);
        // What Qt makes of the typed text on its own: another device.
        QCOMPARE(QUrl(QStringLiteral("https://") + typed + QStringLiteral("/")).host(),
                 QStringLiteral("192.168.1.8"));
    }

    void equalityAndHashCoverEveryField() {
        const SavedMachine a = studio();
        SavedMachine renamed = a;
        renamed.name = QStringLiteral("studio");
        QVERIFY(a != renamed);
        QSet<SavedMachine> both{a, renamed};
        QCOMPARE(both.size(), 2);

        SavedMachine emptyModel = a;
        emptyModel.model = QString();
        QVERIFY(a != emptyModel); // absent differs from present-but-empty
        QVERIFY(qHash(a) != qHash(emptyModel));
        QCOMPARE(qHash(a), qHash(studio()));
    }

    void jsonWritesOnlyPresentOptionals() {
        SavedMachine machine = studio();
        const QJsonObject bare = machine.toJson();
        QCOMPARE(bare.keys(), (QStringList{"host", "id", "name", "port"}));
        QCOMPARE(bare.value("id").toString(),
                 QStringLiteral("6B1C2E4A-9F3D-4C8B-A2E1-0D5F7B9C3A21"));

        machine.model = QStringLiteral("Innov-is");
        machine.fingerprint = QString(95, u'A');
        machine.machineID = QStringLiteral("XYZ");
        const auto decoded = SavedMachine::fromJson(machine.toJson());
        QVERIFY(decoded);
        QCOMPARE(*decoded, machine);
    }

    void jsonDecodeRules() {
        const auto minimal =
            SavedMachine::fromJson(parseObject("{\"id\":\"6b1c2e4a-9f3d-4c8b-a2e1-0d5f7b9c3a21\","
                                               "\"name\":\"Studio\",\"host\":\"h\",\"port\":443,\n"
                                               "                \"model\":null,\"extra\":[1]}"));
        QVERIFY(minimal);
        QCOMPARE(minimal->id, machineUuid);
        QVERIFY(!minimal->model && !minimal->fingerprint && !minimal->machineID);

        const char* failing[] = {
            "{\"id\":\"6B1C2E4A-9F3D-4C8B-A2E1-0D5F7B9C3A21\",\"name\":\"S\",\"host\":\"h\","
            "\"port\":\"443\"}",
            "{\"id\":\"6B1C2E4A-9F3D-4C8B-A2E1-0D5F7B9C3A21\",\"name\":\"S\",\"host\":\"h\","
            "\"port\":443.5}",
            "{\"id\":\"6B1C2E4A-9F3D-4C8B-A2E1-0D5F7B9C3A21\",\"name\":\"S\",\"host\":\"h\"}",
            "{\"id\":\"6B1C2E4A-9F3D-4C8B-A2E1-0D5F7B9C3A21\",\"name\":\"S\",\"host\":\"h\","
            "\"port\":1,\"fingerprint\":3}",
            "{\"id\":\"6B1C2E4A-9F3D-4C8B-A2E1-0D5F7B9C3A21\",\"name\":\"S\",\"host\":\"h\","
            "\"port\":1,\"machineID\":[]}",
            "{\"id\":\"{6B1C2E4A-9F3D-4C8B-A2E1-0D5F7B9C3A21}\",\"name\":\"S\",\"host\":\"h\","
            "\"port\":1}",
            "{\"id\":\"not-a-uuid\",\"name\":\"S\",\"host\":\"h\",\"port\":1}",
            "{\"ID\":\"6B1C2E4A-9F3D-4C8B-A2E1-0D5F7B9C3A21\",\"name\":\"S\",\"host\":\"h\","
            "\"port\":1}",
        };
        for (const char* json : failing)
            QVERIFY2(!SavedMachine::fromJson(parseObject(json)), json);

        // A model of the wrong type costs the model, not the machine.
        const auto oddModel = SavedMachine::fromJson(
            parseObject("{\"id\":\"6B1C2E4A-9F3D-4C8B-A2E1-0D5F7B9C3A21\","
                        "\"name\":\"S\",\"host\":\"h\",\"port\":1,\"model\":3}"));
        QVERIFY(oddModel && !oddModel->model && oddModel->name == QStringLiteral("S"));
    }

    void listDecodeFailsAsAWhole() {
        const QByteArray good = SavedMachine::encodeList({studio()});
        QVERIFY(!good.contains('\n') && !good.contains(": "));
        QCOMPARE(SavedMachine::decodeList(good).value_or(QList<SavedMachine>{}).size(), 1);

        QByteArray oneBad = good;
        oneBad.replace("\"port\":443", "\"prt\":443");
        oneBad.insert(1, SavedMachine::encodeList({studio()}).mid(1).chopped(1) + ',');
        QVERIFY(!SavedMachine::decodeList(oneBad));
        QVERIFY(!SavedMachine::decodeList("{}"));
        QVERIFY(!SavedMachine::decodeList("[1]"));
        QVERIFY(!SavedMachine::decodeList("[{]"));
        QCOMPARE(SavedMachine::decodeList("[]").value_or(QList<SavedMachine>{{}}).size(), 0);
    }

    void stitchFileTypes() {
        QCOMPARE(StitchFileTypes::displayList(), QStringLiteral(".pes, .phc, .dst or .pen"));
        for (const char* name : {"DESIGN.PES", "flower.Dst", "a.phc", "b.pen", "x.dst"})
            QVERIFY2(StitchFileTypes::isSendable(QUrl::fromLocalFile(QString("/d/") + name)), name);
        for (const char* name : {"flower.pes.zip", "flower", "flower.exp", ".pes", "flower."})
            QVERIFY2(!StitchFileTypes::isSendable(QUrl::fromLocalFile(QString("/d/") + name)),
                     name);
    }

    // Measures and lists in the reader's language: its decimal sign and words.
    void measuresAndListsInOtherLanguages_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("area");
        QTest::addColumn<QString>("types");
        textRow("de", {"de", "129,5 × 160 mm", ".pes, .phc, .dst oder .pen"});
        textRow("fr", {"fr", "129,5 × 160\u00a0mm", ".pes, .phc, .dst ou .pen"});
        textRow("ja", {"ja", "129.5 × 160 mm", ".pes、.phc、.dst または .pen"});
    }

    void measuresAndListsInOtherLanguages() {
        QFETCH(QString, language);
        QFETCH(QString, area);
        QFETCH(QString, types);
        MachineInfo info;
        info.embroideryWidthMM = 129.5;
        info.embroideryHeightMM = 160;
        Translations::install(QLocale(language));
        QLocale::setDefault(QLocale(language));
        const QString shownArea = info.embroideryAreaText().value_or(QString());
        const QString shownTypes = StitchFileTypes::displayList();
        Translations::install(QLocale(QLocale::English));
        QLocale::setDefault(QLocale::c());
        QCOMPARE(shownArea, area);
        QCOMPARE(shownTypes, types);
        QCOMPARE(StitchFileTypes::displayList(), QStringLiteral(".pes, .phc, .dst or .pen"));
    }

    void machineInfoDisplay() {
        MachineInfo info;
        info.host = QStringLiteral("10.0.0.2");
        QCOMPARE(info.displayHost(), QStringLiteral("10.0.0.2"));
        info.port = 8443;
        QCOMPARE(info.displayHost(), QStringLiteral("10.0.0.2:8443"));

        info.embroideryWidthMM = 2600 / 10.0;
        QVERIFY(!info.embroideryAreaText());
        info.embroideryHeightMM = 1600 / 10.0;
        QCOMPARE(info.embroideryAreaText().value_or(QString()),
                 QStringLiteral("260 \u00D7 160 mm"));
        QCOMPARE(MachineInfo::mm(1295 / 10.0), QStringLiteral("129.5"));
        QCOMPARE(MachineInfo::mm(130.0), QStringLiteral("130"));
        QCOMPARE(MachineInfo::mm(1e300), QString::asprintf("%.1f", 1e300));

        MachineInfo other = info;
        other.certificateFingerprint = QStringLiteral("AA");
        QVERIFY(other != info);
    }

    void sendLogEntryJson() {
        const SendLogEntry entry{QUuid::createUuid(),
                                 786543210.123456,
                                 QStringLiteral("Studio"),
                                 QUrl::fromLocalFile(QStringLiteral("/home/a/My Design #1.pes")),
                                 true,
                                 QStringLiteral("Sent to Studio")};
        const QByteArray stored = SendLogEntry::encodeList({entry});
        QVERIFY(stored.contains("\"fileURL\":\"file:///home/a/My%20Design%20%231.pes\""));
        const auto decoded = SendLogEntry::decodeList(stored);
        QVERIFY(decoded && decoded->size() == 1);
        QCOMPARE(decoded->first(), entry); // the date survives to the last bit
        QCOMPARE(decoded->first().dateTime().date().year(), 2025);

        QByteArray missingMessage = stored;
        missingMessage.replace("\"message\"", "\"note\"");
        QVERIFY(!SendLogEntry::decodeList(missingMessage));
        QByteArray badUrl = stored;
        badUrl.replace("file:///home", "file:// bad url");
        QVERIFY(!SendLogEntry::decodeList(badUrl));
        QByteArray stringOk = stored;
        stringOk.replace("\"ok\":true", "\"ok\":\"true\"");
        QVERIFY(!SendLogEntry::decodeList(stringOk));
        // A warning of the wrong type costs the warning, not the entry.
        for (const QByteArray& odd : {QByteArray("5"), QByteArray("null"), QByteArray("[\"x\"]")}) {
            QByteArray oddWarning = stored;
            oddWarning.replace("\"ok\":true", "\"ok\":true,\"warning\":" + odd);
            const auto kept = SendLogEntry::decodeList(oddWarning);
            QVERIFY2(kept && kept->size() == 1 && !kept->first().warning, odd);
            QCOMPARE(kept->first().message, entry.message);
        }
    }
};

QTEST_GUILESS_MAIN(TestMachineRecords)
#include "test_machine_records.moc"
