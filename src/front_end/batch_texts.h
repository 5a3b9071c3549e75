#pragma once

#include <string>
#include <vector>

// The texts of a batch, several PDFs converted after one question: pure, so that each rule of
// their wording is tested on lists of names.

namespace droplet {

// "4 file PDF: uno.pdf, due.pdf, tre.pdf e un altro": how many, and the first names.
std::string BatchCount(const std::vector<std::string>& names);

// One line of the report for a document or an item that did not become a result.
std::string ReportLine(const std::string& name, const std::string& reason);

// "Convertiti 3 PDF su 4." (one PDF: "Convertito 1 PDF su 1."), then the lines of what failed
// or was skipped, one a line.
std::string BatchSummary(int converted, int documents, const std::vector<std::string>& lines);

}  // namespace droplet
