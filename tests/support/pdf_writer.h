#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace droplet::testing {

// One page of a test document: lines of UTF-8 text set in Helvetica, top down, and optionally
// a small coloured picture, so that the HTML converter has a background image to paint.
struct PdfPage {
  std::vector<std::string> lines;
  bool withImage = false;
};

// A complete, uncompressed PDF file with the given pages. The text is written in
// WinAnsiEncoding: characters outside Windows-1252 become '?'.
std::string MakePdf(const std::vector<PdfPage>& pages);

// A whole PDF file made of `objects` (numbered from 1; object 1 is the catalog): the header,
// the objects, the cross-reference table and a trailer with `trailerEntries` beside /Size and
// /Root.
std::string AssemblePdf(const std::vector<std::string>& objects,
                        const std::string& trailerEntries = "");

// Writes MakePdf(pages) to `path`.
void WritePdf(const std::filesystem::path& path, const std::vector<PdfPage>& pages);

// `count` pages whose only line reads "Pagina N" (N from 1).
std::vector<PdfPage> NumberedPages(int count);
// `count` pages of `lines` lines each; line L of page P reads "Pagina P riga L" and `tail`.
std::vector<PdfPage> NumberedPages(int count, int lines, const std::string& tail);

}  // namespace droplet::testing
