#include "encrypted_pdf.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "support/pdf_writer.h"

namespace droplet::testing {
namespace {

using Bytes = std::string;

// MD5 (RFC 1321), which the security handler derives its keys with.
Bytes Md5(const Bytes& message) {
  static const std::uint32_t k[64] = {
      0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
      0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
      0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
      0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
      0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
      0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
      0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
      0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
      0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
      0xeb86d391};
  static const int shift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
  std::uint32_t h[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  Bytes data = message;
  const std::uint64_t bits = static_cast<std::uint64_t>(message.size()) * 8;
  data += '\x80';
  while (data.size() % 64 != 56) data += '\0';
  for (int i = 0; i < 8; ++i) data += static_cast<char>((bits >> (8 * i)) & 0xFF);
  for (size_t block = 0; block < data.size(); block += 64) {
    std::uint32_t w[16];
    for (int i = 0; i < 16; ++i) {
      w[i] = 0;
      for (int b = 0; b < 4; ++b) {
        w[i] |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[block + 4 * i + b]))
                << (8 * b);
      }
    }
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
    for (int i = 0; i < 64; ++i) {
      std::uint32_t f;
      int g;
      if (i < 16) {
        f = (b & c) | (~b & d);
        g = i;
      } else if (i < 32) {
        f = (d & b) | (~d & c);
        g = (5 * i + 1) % 16;
      } else if (i < 48) {
        f = b ^ c ^ d;
        g = (3 * i + 5) % 16;
      } else {
        f = c ^ (b | ~d);
        g = (7 * i) % 16;
      }
      const std::uint32_t sum = a + f + k[i] + w[g];
      a = d;
      d = c;
      c = b;
      b = b + ((sum << shift[i]) | (sum >> (32 - shift[i])));
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
  }
  Bytes digest;
  for (std::uint32_t word : h) {
    for (int i = 0; i < 4; ++i) digest += static_cast<char>((word >> (8 * i)) & 0xFF);
  }
  return digest;
}

Bytes Rc4(const Bytes& key, const Bytes& data) {
  std::array<unsigned char, 256> s;
  for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) % 256;
    std::swap(s[i], s[j]);
  }
  Bytes out;
  for (size_t n = 0, i = 0, j = 0; n < data.size(); ++n) {
    i = (i + 1) % 256;
    j = (j + s[i]) % 256;
    std::swap(s[i], s[j]);
    out += static_cast<char>(static_cast<unsigned char>(data[n]) ^ s[(s[i] + s[j]) % 256]);
  }
  return out;
}

const Bytes kPadding(
    "\x28\xBF\x4E\x5E\x4E\x75\x8A\x41\x64\x00\x4E\x56\xFF\xFA\x01\x08"
    "\x2E\x2E\x00\xB6\xD0\x68\x3E\x80\x2F\x0C\xA9\xFE\x64\x53\x69\x7A",
    32);

Bytes Padded(const Bytes& password) {
  return (password + kPadding).substr(0, 32);
}

Bytes Hex(const Bytes& bytes) {
  Bytes hex;
  char pair[3];
  for (unsigned char c : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", c);
    hex += pair;
  }
  return hex;
}

}  // namespace

std::string MakeEncryptedPdf(const std::string& line, const std::string& userPassword,
                             const std::string& ownerPassword) {
  const std::int32_t permissions = -4;  // every permission
  const Bytes id = Md5("droplet encrypted test document");
  const Bytes owner = Rc4(Md5(Padded(ownerPassword)).substr(0, 5), Padded(userPassword));
  Bytes p;
  for (int i = 0; i < 4; ++i) {
    p += static_cast<char>((static_cast<std::uint32_t>(permissions) >> (8 * i)) & 0xFF);
  }
  const Bytes key = Md5(Padded(userPassword) + owner + p + id).substr(0, 5);
  const Bytes user = Rc4(key, kPadding);

  // Each object's strings and streams use the file key extended by its number and generation.
  auto objectKey = [&](int number) {
    Bytes extended = key;
    for (int i = 0; i < 3; ++i) extended += static_cast<char>((number >> (8 * i)) & 0xFF);
    extended += Bytes(2, '\0');
    return Md5(extended).substr(0, 10);
  };
  const Bytes content = Rc4(objectKey(4), "BT /F1 18 Tf 72 700 Td (" + line + ") Tj ET");

  std::vector<Bytes> objects = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
      "/Resources << /Font << /F1 5 0 R >> >> >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
      "<< /Filter /Standard /V 1 /R 2 /O <" + Hex(owner) + "> /U <" + Hex(user) + "> /P " +
          std::to_string(permissions) + " >>"};
  return AssemblePdf(objects, "/Encrypt 6 0 R /ID [<" + Hex(id) + "> <" + Hex(id) + ">]");
}

}  // namespace droplet::testing
