#include "front_end/converter_outputs.h"
#include "common/text_basics.h"

#include <algorithm>

namespace droplet {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsNumber(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// Whether `text` is a page number as the HTML converter writes it: digits from 1 up, without
// leading zeros.
bool IsPageNumber(std::string_view text) {
  return IsNumber(text) && text.front() != '0';
}

bool IsImageExtension(std::string_view extension) {
  return extension == ".png" || extension == ".jpg";
}

// `name` without `start` at its front, when it begins with it.
bool StripStart(std::string_view& name, std::string_view start) {
  if (!name.starts_with(start)) return false;
  name.remove_prefix(start.size());
  return true;
}

bool StripEnd(std::string_view& name, std::string_view end) {
  if (!name.ends_with(end)) return false;
  name.remove_suffix(end.size());
  return true;
}

}  // namespace

// Names are compared without regard to ASCII case: on Windows the converter's "doc.txt" writes
// over a "DOC.TXT", and elsewhere the caution costs nothing.

std::string ConverterOutputs::Stem(std::string_view pdfName) {
  if (pdfName.ends_with(".pdf") || pdfName.ends_with(".PDF")) pdfName.remove_suffix(4);
  return std::string(pdfName);
}

bool ConverterOutputs::MayShareNames(std::string_view first, std::string_view second) const {
  // Every output name begins with its stem and goes on with what a page number or a suffix
  // writes; when neither stem begins the other, no name can be both.
  const std::string a = LowerAscii(Stem(first));
  const std::string b = LowerAscii(Stem(second));
  return std::string_view(a).starts_with(b) || std::string_view(b).starts_with(a);
}

bool TextOutputs::IsOutput(std::string_view pdfName, std::string_view name) const {
  return LowerAscii(name) == LowerAscii(Stem(pdfName)) + ".txt";
}

std::string TextOutputs::ResultToOpen(std::string_view pdfName) const {
  return Stem(pdfName) + ".txt";
}

bool TextOutputs::MayShareNames(std::string_view first, std::string_view second) const {
  return LowerAscii(Stem(first)) == LowerAscii(Stem(second));
}

bool HtmlPagesOutputs::IsOutput(std::string_view pdfName, std::string_view givenName) const {
  const std::string stem = LowerAscii(Stem(pdfName));
  const std::string folded = LowerAscii(givenName);
  std::string_view name = folded;
  if (!StripStart(name, stem)) return false;
  if (name == ".html" || name == "_ind.html" || name == "-outline.html") return true;
  if (name.size() > 4 && IsImageExtension(name.substr(name.size() - 4))) {
    name.remove_suffix(4);
    // A page's background: NAME001.png, at least three digits.
    if (name.size() >= 3 && IsNumber(name) &&
        name.find_first_not_of('0') != std::string_view::npos) {
      return true;
    }
    // An image of a page written apart: NAME-3_2.png.
    if (!StripStart(name, "-")) return false;
    const size_t underscore = name.find('_');
    return underscore != std::string_view::npos && IsPageNumber(name.substr(0, underscore)) &&
           IsNumber(name.substr(underscore + 1));
  }
  return StripStart(name, "-") && StripEnd(name, ".html") && IsPageNumber(name);
}

std::string HtmlPagesOutputs::ResultToOpen(std::string_view pdfName) const {
  return Stem(pdfName) + ".html";
}

}  // namespace droplet
