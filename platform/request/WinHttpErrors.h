// The error numbers the HTTP request object raises: the platform's WinHTTP error numbers, plus the
// plain platform number for an invalid argument. A failed transfer reports one of these; 0 means
// success.
#pragma once

#include <cstdint>

namespace kelvaro::platform::winhttp {

inline constexpr std::int32_t kSuccess = 0;
inline constexpr std::int32_t kInvalidParameter = 87;  // an argument out of its range

inline constexpr std::int32_t kTimeout = 12002;               // resolve, connect, send or receive
inline constexpr std::int32_t kInternalError = 12004;         // anything libcurl reports otherwise
inline constexpr std::int32_t kInvalidUrl = 12005;            // no host, bad port, malformed
inline constexpr std::int32_t kUnrecognisedScheme = 12006;    // neither http nor https
inline constexpr std::int32_t kNameNotResolved = 12007;       // host or proxy name unknown
inline constexpr std::int32_t kOperationCancelled = 12017;    // the request was aborted
inline constexpr std::int32_t kIncorrectHandleState = 12019;  // called in the wrong state
inline constexpr std::int32_t kCannotConnect = 12029;         // connection refused or unreachable
inline constexpr std::int32_t kConnectionError = 12030;       // connection reset or closed early
inline constexpr std::int32_t kClientCertificateNeeded = 12044;  // client certificate unusable
inline constexpr std::int32_t kHeaderNotFound = 12150;  // GetResponseHeader found no such header
inline constexpr std::int32_t kInvalidServerResponse = 12152;  // the answer is not HTTP
inline constexpr std::int32_t kInvalidHeader = 12153;          // a request header is refused
inline constexpr std::int32_t kRedirectFailed = 12156;         // more redirects than allowed
inline constexpr std::int32_t kSecureFailure = 12175;          // TLS handshake or certificate
inline constexpr std::int32_t kHeaderSizeOverflow = 12183;     // response header section too big
inline constexpr std::int32_t kResponseOverflow = 12184;       // response body over the cap

// Reading the response of an asynchronous request that has not completed: the platform's
// "data not yet available" status (E_PENDING), which is not a WinHTTP number.
inline constexpr std::int32_t kPending = static_cast<std::int32_t>(0x8000000AU);

}  // namespace kelvaro::platform::winhttp
