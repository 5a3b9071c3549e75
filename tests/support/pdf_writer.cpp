#include "support/pdf_writer.h"

#include <cstdint>
#include <cstdio>
#include <map>

#include "support/temp_folder.h"

namespace droplet::testing {
namespace {

// The Windows-1252 byte of a code point, or '?' when the code page has none.
unsigned char ToWinAnsi(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  static const std::map<char32_t, unsigned char> kHighRow = {
      {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85},
      {0x2020, 0x86}, {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A},
      {0x2039, 0x8B}, {0x0152, 0x8C}, {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92},
      {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95}, {0x2013, 0x96}, {0x2014, 0x97},
      {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B}, {0x0153, 0x9C},
      {0x017E, 0x9E}, {0x0178, 0x9F}};
  const auto found = kHighRow.find(c);
  return found == kHighRow.end() ? '?' : found->second;
}

// Decodes UTF-8 leniently: a malformed byte stands for itself.
std::u32string DecodeUtf8(const std::string& text) {
  std::u32string result;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    bool valid = i + extra < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (!valid) {
      result += lead;
      ++i;
    } else {
      result += c;
      i += static_cast<size_t>(extra) + 1;
    }
  }
  return result;
}

// A PDF literal string: brackets and backslashes escaped, bytes above 127 as octal escapes.
std::string LiteralString(const std::string& utf8) {
  std::string result = "(";
  for (char32_t c : DecodeUtf8(utf8)) {
    const unsigned char byte = ToWinAnsi(c);
    if (byte == '(' || byte == ')' || byte == '\\') {
      result += '\\';
      result += static_cast<char>(byte);
    } else if (byte < 0x20 || byte >= 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\%03o", byte);
      result += escape;
    } else {
      result += static_cast<char>(byte);
    }
  }
  return result + ")";
}

std::string PageContent(const PdfPage& page) {
  std::string content;
  if (page.withImage) content += "q 240 0 0 120 72 400 cm /Im1 Do Q\n";
  content += "BT /F1 18 Tf 24 TL 72 720 Td\n";
  for (const auto& line : page.lines) content += LiteralString(line) + " Tj T*\n";
  content += "ET";
  return content;
}

std::string Stream(const std::string& dictionary, const std::string& data) {
  return "<< " + dictionary + "/Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
         "\nendstream";
}

// A 4 x 2 picture of red and blue squares, as hexadecimal samples.
std::string ImageStream() {
  std::string samples;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) samples += (x + y) % 2 ? "ff0000" : "0000ff";
  }
  samples += '>';
  return Stream(
      "/Type /XObject /Subtype /Image /Width 4 /Height 2 /ColorSpace /DeviceRGB "
      "/BitsPerComponent 8 /Filter /ASCIIHexDecode ",
      samples);
}

}  // namespace

std::string MakePdf(const std::vector<PdfPage>& pages) {
  // Objects: 1 catalog, 2 page tree, 3 font, 4 picture, then per page its page and contents.
  std::vector<std::string> objects(4);
  objects[0] = "<< /Type /Catalog /Pages 2 0 R >>";
  std::string kids;
  for (size_t i = 0; i < pages.size(); ++i) kids += std::to_string(5 + 2 * i) + " 0 R ";
  objects[1] =
      "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>";
  objects[2] = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";
  objects[3] = ImageStream();
  for (size_t i = 0; i < pages.size(); ++i) {
    objects.push_back(
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font "
        "<< /F1 3 0 R >> /XObject << /Im1 4 0 R >> >> /Contents " +
        std::to_string(6 + 2 * i) + " 0 R >>");
    objects.push_back(Stream("", PageContent(pages[i])));
  }

  return AssemblePdf(objects);
}

std::string AssemblePdf(const std::vector<std::string>& objects,
                        const std::string& trailerEntries) {
  std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t offset : offsets) {
    char entry[24];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
    pdf += entry;
  }
  const std::string extra = trailerEntries.empty() ? "" : " " + trailerEntries;
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R" + extra +
         " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

void WritePdf(const std::filesystem::path& path, const std::vector<PdfPage>& pages) {
  WriteFile(path, MakePdf(pages));
}

std::vector<PdfPage> NumberedPages(int count) {
  std::vector<PdfPage> pages;
  for (int i = 1; i <= count; ++i) pages.push_back({{"Pagina " + std::to_string(i)}, false});
  return pages;
}

std::vector<PdfPage> NumberedPages(int count, int lines, const std::string& tail) {
  std::vector<PdfPage> pages(count);
  for (int page = 1; page <= count; ++page) {
    for (int line = 1; line <= lines; ++line) {
      pages[page - 1].lines.push_back("Pagina " + std::to_string(page) + " riga " +
                                      std::to_string(line) + tail);
    }
  }
  return pages;
}

}  // namespace droplet::testing
