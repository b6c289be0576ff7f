#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QString>

// A self-signed certificate with a fresh P-256 key, made in about a millisecond for a test run
// or a fake machine. The fingerprint is computed by OpenSSL, independently of the program's own
// code, so tests can compare the two.
struct TestCertificate {
    QSslCertificate certificate;
    QSslKey key;
    QString fingerprint; // SHA-256 of the DER form, "%02X" pairs joined by ":"

    // Null certificate and key when OpenSSL fails.
    static TestCertificate make(const QString& commonName = QStringLiteral("Fake Machine"));
};
