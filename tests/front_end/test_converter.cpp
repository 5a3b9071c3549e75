// A stand-in for the PDF converters where the real ones cannot run (the Windows build under
// Wine). It reads the text of the simple PDFs the tests write, one content stream per page, and
// writes beside the PDF the files the real converter writes: NAME.txt, or in HTML mode NAME.html,
// NAME_ind.html, NAME-1.html... with their background images NAME001.png...
// Usage as the real ones: pdftotext [-f N] [-l N] FILE.pdf; pdftohtml -c -stdout [-f N] [-l N]
// [-i] FILE.pdf, where -f and -l choose the first and last page (the last cut to the document's
// end, a first page past it refused) and -i leaves the background images out.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Page = std::vector<std::string>;

#ifdef TEST_CONVERTER_HTML
constexpr bool kHtmlConverter = true;
#else
constexpr bool kHtmlConverter = false;
#endif

// A slow variant (the GUI tests watch a run in progress) takes this long over each page.
#ifdef TEST_CONVERTER_PAGE_MILLISECONDS
constexpr int kPageMilliseconds = TEST_CONVERTER_PAGE_MILLISECONDS;
#else
constexpr int kPageMilliseconds = 0;
#endif

// A grey 1 x 1 picture.
const unsigned char kPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
    0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00,
    0x00, 0x90, 0x77, 0x53, 0xde, 0x00, 0x00, 0x00, 0x0c, 0x49, 0x44, 0x41, 0x54, 0x78,
    0x9c, 0x63, 0x58, 0xb0, 0x60, 0x01, 0x00, 0x03, 0xc4, 0x01, 0xe1, 0x94, 0xb4, 0x15,
    0xb1, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

// A WinAnsi byte as UTF-8 (the Latin-1 half and the euro sign; anything else becomes '?').
std::string ToUtf8(unsigned char byte) {
  if (byte < 0x80) return std::string(1, static_cast<char>(byte));
  if (byte == 0x80) return "\xE2\x82\xAC";
  if (byte < 0xA0) return "?";
  return {static_cast<char>(0xC0 | (byte >> 6)), static_cast<char>(0x80 | (byte & 0x3F))};
}

// The literal strings of one content stream, escapes resolved.
Page ReadStrings(const std::string& content) {
  Page strings;
  for (size_t i = 0; i < content.size(); ++i) {
    if (content[i] != '(') continue;
    std::string text;
    int depth = 1;
    for (++i; i < content.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(content[i]);
      if (c == '\\' && i + 1 < content.size()) {
        const char next = content[++i];
        if (next >= '0' && next <= '7') {
          int value = 0;
          for (int digits = 0; digits < 3 && content[i] >= '0' && content[i] <= '7'; ++digits) {
            value = value * 8 + (content[i++] - '0');
          }
          --i;
          c = static_cast<unsigned char>(value);
        } else {
          c = next == 'n' ? '\n' : next == 'r' ? '\r' : next == 't' ? '\t' : next;
        }
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        break;
      }
      text += ToUtf8(c);
    }
    strings.push_back(text);
  }
  return strings;
}

// Pages in file order: every stream that sets text is one page's contents.
std::vector<Page> ReadPages(const std::string& pdf) {
  std::vector<Page> pages;
  for (size_t at = pdf.find("stream\n"); at != std::string::npos;
       at = pdf.find("stream\n", at + 1)) {
    if (at > 0 && pdf[at - 1] == 'd') continue;  // "endstream"
    const size_t start = at + 7;
    const size_t end = pdf.find("\nendstream", start);
    if (end == std::string::npos) break;
    const std::string content = pdf.substr(start, end - start);
    if (content.find("BT") != std::string::npos) pages.push_back(ReadStrings(content));
    at = end;
  }
  return pages;
}

bool Write(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return static_cast<bool>(out);
}

std::string BaseName(const std::string& path) {
  const size_t at = path.find_last_of("\\/:");
  return at == std::string::npos ? path : path.substr(at + 1);
}

std::string PageImage(const std::string& base, size_t page) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03zu", page);
  return base + digits + ".png";
}

// What the command line asks for besides the PDF.
struct Choices {
  size_t first = 1;
  size_t last = 0;  // 0: up to the document's end
  bool ignoreImages = false;
};

int WriteText(const std::string& stem, const std::vector<Page>& pages, const Choices& choices) {
  std::string text;
  for (size_t page = choices.first; page <= choices.last; ++page) {
    for (const std::string& line : pages[page - 1]) text += line + "\n";
    text += "\f";
  }
  return Write(stem + ".txt", text) ? 0 : 2;
}

int WriteHtml(const std::string& stem, const std::vector<Page>& pages, const Choices& choices) {
  const std::string base = BaseName(stem);
  const std::string head = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"UTF-8\"/>\n";
  bool written = Write(stem + ".html", head + "<title>" + base +
                                           "</title>\n</head>\n<frameset cols=\"100,*\">\n"
                                           "<frame name=\"links\" src=\"" +
                                           base + "_ind.html\"/>\n<frame name=\"contents\" src=\"" +
                                           base + "-" + std::to_string(choices.first) +
                                           ".html\"/>\n</frameset>\n</html>\n");
  std::string index = head + "</head>\n<body>\n";
  for (size_t page = choices.first; page <= choices.last; ++page) {
    const std::string name = base + "-" + std::to_string(page) + ".html";
    index +=
        "<a href=\"" + name + "\" target=\"contents\">Page " + std::to_string(page) + "</a><br/>\n";
    std::string html =
        head + "</head>\n<body>\n<div id=\"page" + std::to_string(page) + "-div\">\n";
    if (!choices.ignoreImages) {
      html += "<img width=\"918\" height=\"1188\" src=\"" + PageImage(base, page) +
              "\" alt=\"background image\"/>\n";
      written =
          Write(PageImage(stem, page), std::string(std::begin(kPng), std::end(kPng))) && written;
    }
    for (const std::string& line : pages[page - 1]) html += "<p>" + line + "</p>\n";
    written =
        Write(stem + "-" + std::to_string(page) + ".html", html + "</div>\n</body>\n</html>\n") &&
        written;
    std::cout << "Page-" << page << "\n";
    if (kPageMilliseconds > 0) {
      std::cout.flush();
      std::this_thread::sleep_for(std::chrono::milliseconds(kPageMilliseconds));
    }
  }
  written = Write(stem + "_ind.html", index + "</body>\n</html>\n") && written;
  return written ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: " << argv[0] << " [options] FILE.pdf\n";
    return 99;
  }
  Choices choices;
  for (int i = 1; i + 1 < argc; ++i) {
    const std::string option = argv[i];
    if ((option == "-f" || option == "-l") && i + 2 < argc) {
      const size_t page = std::strtoul(argv[++i], nullptr, 10);
      (option == "-f" ? choices.first : choices.last) = page;
    } else if (option == "-i") {
      choices.ignoreImages = true;
    }
  }
  const std::string path = argv[argc - 1];
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << "I/O Error: Couldn't open file '" << path << "'\n";
    return 1;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::vector<Page> pages = ReadPages(bytes.str());
  if (choices.first < 1) choices.first = 1;
  if (choices.last < 1 || choices.last > pages.size()) choices.last = pages.size();
  if (choices.first > choices.last) {
    std::cerr << "Command Line Error: Wrong page range given: the first page (" << choices.first
              << ") can not be after the last page (" << choices.last << ").\n";
    return 1;
  }

  // The results are named after the PDF without ".pdf" or ".PDF", or after its whole name.
  std::string stem = path;
  if (stem.size() > 4) {
    const std::string extension = stem.substr(stem.size() - 4);
    if (extension == ".pdf" || extension == ".PDF") stem.resize(stem.size() - 4);
  }
  return kHtmlConverter ? WriteHtml(stem, pages, choices) : WriteText(stem, pages, choices);
}
