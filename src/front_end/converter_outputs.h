#pragma once

#include <string>
#include <string_view>

namespace droplet {

// What a converter makes from the name of the PDF it is given, as names only: which files of
// the folder it writes into are its outputs for that PDF, which of them is the result to open,
// and whether two PDFs could ever lead it to write the same name. Each program owns one; the
// run, the stop and the batches ask it, so that a run touches only what its converter made.
// Pure: no file system, no platform.
class ConverterOutputs {
 public:
  virtual ~ConverterOutputs() = default;

  // The stem the converter names its outputs after: the PDF's name without ".pdf" or ".PDF"
  // (an extension spelled otherwise, ".PdF", stays in the stem, as the converters keep it).
  static std::string Stem(std::string_view pdfName);

  // True when `name` is one that the converter writes for the PDF named `pdfName`.
  virtual bool IsOutput(std::string_view pdfName, std::string_view name) const = 0;
  // The result the user is offered to open: the text, or the index page.
  virtual std::string ResultToOpen(std::string_view pdfName) const = 0;
  // True when the outputs of the two PDFs could share a name, so that running both in one
  // folder (at once, or one after the other before the first is moved away) could mix them.
  virtual bool MayShareNames(std::string_view first, std::string_view second) const;
};

// pdftotext: NAME.txt.
class TextOutputs final : public ConverterOutputs {
 public:
  bool IsOutput(std::string_view pdfName, std::string_view name) const override;
  std::string ResultToOpen(std::string_view pdfName) const override;
  bool MayShareNames(std::string_view first, std::string_view second) const override;
};

// pdftohtml -c: the frame NAME.html, the index NAME_ind.html, the outline NAME-outline.html,
// the pages NAME-1.html, NAME-2.html, ..., their backgrounds NAME001.png (or .jpg) with at
// least three digits, and the images of a page NAME-1_1.png where it writes them apart.
class HtmlPagesOutputs final : public ConverterOutputs {
 public:
  bool IsOutput(std::string_view pdfName, std::string_view name) const override;
  std::string ResultToOpen(std::string_view pdfName) const override;
};

}  // namespace droplet
