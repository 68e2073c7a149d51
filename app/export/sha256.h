// SHA-256 and base64, for the hashes a Content-Security-Policy names its
// inline script and style by ("'sha256-" base64 of the digest "'").
#ifndef FLORRIN_APP_EXPORT_SHA256_H_
#define FLORRIN_APP_EXPORT_SHA256_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The SHA-256 digest of `sBytes` (FIPS 180-4).
std::array<uint8_t, 32> Sha256(std::string_view sBytes);

// `sBytes` in base64 with "+", "/" and "=" padding (RFC 4648, section 4).
std::string Base64(std::string_view sBytes);

// The CSP source that allows an inline element whose content is exactly
// `sContent`: "'sha256-" + Base64(Sha256(sContent)) + "'".
std::string CspHashSource(std::string_view sContent);

#endif  // FLORRIN_APP_EXPORT_SHA256_H_
