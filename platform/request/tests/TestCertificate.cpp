#include "platform/request/tests/TestCertificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace kelvaro::platform::testing {

namespace {

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
  void operator()(X509* certificate) const { X509_free(certificate); }
};
struct ExtensionFree {
  void operator()(X509_EXTENSION* extension) const { X509_EXTENSION_free(extension); }
};
struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

void Require(bool condition, const char* what) {
  if (!condition) throw std::runtime_error(std::string("test certificate: ") + what);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace

TestCertificate::TestCertificate(const std::string& subjectAltName) {
  char pattern[] = "/tmp/kelvaro-certificate-XXXXXX";
  Require(::mkdtemp(pattern) != nullptr, "mkdtemp");
  folder_ = pattern;
  certificateFile_ = folder_ + "/certificate.pem";
  keyFile_ = folder_ + "/key.pem";
  combinedFile_ = folder_ + "/combined.pem";

  std::unique_ptr<EVP_PKEY, KeyFree> key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  Require(key != nullptr, "key");
  std::unique_ptr<X509, CertificateFree> certificate(X509_new());
  Require(certificate != nullptr, "certificate");
  X509_set_version(certificate.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(certificate.get()), 1);
  X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(certificate.get()), 24 * 3600);
  X509_set_pubkey(certificate.get(), key.get());
  X509_NAME* name = X509_get_subject_name(certificate.get());
  const std::string commonName = "kelvaro test";
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
  X509_set_issuer_name(certificate.get(), name);
  X509V3_CTX context;
  X509V3_set_ctx(&context, certificate.get(), certificate.get(), nullptr, nullptr, 0);
  std::unique_ptr<X509_EXTENSION, ExtensionFree> alternative(
      X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, subjectAltName.c_str()));
  Require(alternative != nullptr, "subjectAltName");
  X509_add_ext(certificate.get(), alternative.get(), -1);
  Require(X509_sign(certificate.get(), key.get(), EVP_sha256()) > 0, "sign");

  {
    std::unique_ptr<std::FILE, FileClose> out(std::fopen(certificateFile_.c_str(), "w"));
    Require(out && PEM_write_X509(out.get(), certificate.get()) == 1, "write certificate");
  }
  {
    std::unique_ptr<std::FILE, FileClose> out(std::fopen(keyFile_.c_str(), "w"));
    Require(out && PEM_write_PrivateKey(out.get(), key.get(), nullptr, nullptr, 0, nullptr,
                                        nullptr) == 1,
            "write key");
  }
  std::ofstream(combinedFile_, std::ios::binary) << ReadAll(certificateFile_) << ReadAll(keyFile_);
}

TestCertificate::~TestCertificate() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

}  // namespace kelvaro::platform::testing
