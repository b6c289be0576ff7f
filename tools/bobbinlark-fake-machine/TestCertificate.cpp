#include "bobbinlark-fake-machine/TestCertificate.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>

#include <memory>

namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* pointer) const { Free(pointer); }
};
using KeyPointer = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using CertificatePointer = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using BioPointer = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;

QByteArray bioBytes(BIO* bio) {
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    return QByteArray(data, static_cast<qsizetype>(size));
}

bool fillCertificate(X509* x509, EVP_PKEY* key, const QString& commonName) {
    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1)
        return false;
    serial[0] &= 0x7F; // a positive serial number
    std::unique_ptr<BIGNUM, Deleter<BIGNUM, BN_free>> number(
        BN_bin2bn(serial, sizeof serial, nullptr));
    if (!number || !BN_to_ASN1_INTEGER(number.get(), X509_get_serialNumber(x509)))
        return false;
    const QByteArray name = commonName.toUtf8();
    X509_NAME* subject = X509_get_subject_name(x509);
    return X509_set_version(x509, 2) == 1 &&
           X509_gmtime_adj(X509_getm_notBefore(x509), -3600) != nullptr &&
           X509_gmtime_adj(X509_getm_notAfter(x509), 60L * 60 * 24 * 365) != nullptr &&
           X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_UTF8,
                                      reinterpret_cast<const unsigned char*>(name.constData()),
                                      static_cast<int>(name.size()), -1, 0) == 1 &&
           X509_set_issuer_name(x509, subject) == 1 && X509_set_pubkey(x509, key) == 1 &&
           X509_sign(x509, key, EVP_sha256()) > 0;
}

} // namespace

TestCertificate TestCertificate::make(const QString& commonName) {
    KeyPointer key(EVP_EC_gen("P-256"));
    CertificatePointer x509(X509_new());
    if (!key || !x509 || !fillCertificate(x509.get(), key.get(), commonName))
        return TestCertificate();

    BioPointer certificateBio(BIO_new(BIO_s_mem()));
    BioPointer keyBio(BIO_new(BIO_s_mem()));
    if (!certificateBio || !keyBio || PEM_write_bio_X509(certificateBio.get(), x509.get()) != 1 ||
        PEM_write_bio_PrivateKey(keyBio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) !=
            1)
        return TestCertificate();

    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestSize = 0;
    if (X509_digest(x509.get(), EVP_sha256(), digest, &digestSize) != 1)
        return TestCertificate();
    QStringList pairs;
    for (unsigned int i = 0; i < digestSize; ++i)
        pairs << QString::asprintf("%02X", digest[i]);

    TestCertificate made;
    made.certificate = QSslCertificate(bioBytes(certificateBio.get()), QSsl::Pem);
    made.key = QSslKey(bioBytes(keyBio.get()), QSsl::Ec, QSsl::Pem);
    made.fingerprint = pairs.join(u':');
    return made;
}
