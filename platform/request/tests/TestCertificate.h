// A self-signed certificate and its key, made for one test run and written as PEM files into a
// fresh temporary folder (removed again on destruction).
#pragma once

#include <string>

namespace kelvaro::platform::testing {

class TestCertificate {
 public:
  // `subjectAltName` in OpenSSL's notation, e.g. "IP:127.0.0.1" or "DNS:localhost".
  explicit TestCertificate(const std::string& subjectAltName);
  ~TestCertificate();
  TestCertificate(const TestCertificate&) = delete;
  TestCertificate& operator=(const TestCertificate&) = delete;

  const std::string& certificateFile() const { return certificateFile_; }
  const std::string& keyFile() const { return keyFile_; }
  // Certificate and key in one file, as a client certificate is given.
  const std::string& combinedFile() const { return combinedFile_; }

 private:
  std::string folder_;
  std::string certificateFile_;
  std::string keyFile_;
  std::string combinedFile_;
};

}  // namespace kelvaro::platform::testing
