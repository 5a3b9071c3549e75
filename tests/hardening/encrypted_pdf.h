#pragma once

#include <string>

namespace droplet::testing {

// A one-page PDF protected by the standard security handler (revision 2, 40-bit RC4) with the
// given user password: no reader opens it without that password. Its page reads `line`.
std::string MakeEncryptedPdf(const std::string& line, const std::string& userPassword,
                             const std::string& ownerPassword);

}  // namespace droplet::testing
