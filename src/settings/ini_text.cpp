#include "settings/ini_text.h"
#include "common/text_basics.h"

#include <optional>

namespace droplet {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return EqualIgnoringAsciiCase(Trimmed(a), Trimmed(b));
}

// One line of the text: [begin, contentEnd) is its content, [contentEnd, end) its line end
// (LF, CR LF, or nothing for a last line without one).
struct Line {
  std::size_t begin = 0;
  std::size_t contentEnd = 0;
  std::size_t end = 0;
};

class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}

  std::optional<Line> Next() {
    if (position_ >= text_.size()) return std::nullopt;
    Line line;
    line.begin = position_;
    const std::size_t feed = text_.find('\n', position_);
    if (feed == std::string_view::npos) {
      // A last line without LF: a CR at its very end still counts as its line end, so that
      // ending the line later with LF changes nothing that a reader sees.
      line.end = text_.size();
      line.contentEnd =
          (line.end > position_ && text_[line.end - 1] == '\r') ? line.end - 1 : line.end;
    } else {
      line.end = feed + 1;
      line.contentEnd = (feed > position_ && text_[feed - 1] == '\r') ? feed - 1 : feed;
    }
    position_ = line.end;
    return line;
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

enum class Kind { kOther, kBlank, kComment, kSection, kEntry };

struct Parsed {
  Kind kind = Kind::kOther;
  std::string_view name;   // section name or key
  std::size_t equals = 0;  // offset of '=' in the text (entries)
};

Parsed Parse(std::string_view text, const Line& line) {
  const std::string_view content = text.substr(line.begin, line.contentEnd - line.begin);
  const std::string_view trimmed = Trimmed(content);
  Parsed parsed;
  if (trimmed.empty()) {
    parsed.kind = Kind::kBlank;
  } else if (trimmed.front() == '[') {
    parsed.kind = Kind::kSection;
    std::string_view name = trimmed.substr(1);
    const std::size_t close = name.find(']');
    if (close != std::string_view::npos) name = name.substr(0, close);
    parsed.name = Trimmed(name);
  } else if (trimmed.front() == ';') {
    parsed.kind = Kind::kComment;
  } else if (const std::size_t equals = content.find('='); equals != std::string_view::npos) {
    parsed.kind = Kind::kEntry;
    parsed.name = Trimmed(content.substr(0, equals));
    parsed.equals = line.begin + equals;
  }
  return parsed;
}

// Where a section and one of its keys lie in the text.
struct Location {
  bool sectionFound = false;
  std::optional<Line> entry;  // the first line holding the key
  std::size_t equals = 0;     // its '='
  Line lastFilled;            // the section's last non-blank line (its header at least)
};

Location Locate(std::string_view text, std::string_view section, std::string_view key) {
  Location location;
  Lines lines(text);
  bool inSection = false;
  while (const auto line = lines.Next()) {
    const Parsed parsed = Parse(text, *line);
    if (parsed.kind == Kind::kSection) {
      if (inSection) break;  // only the first matching section counts
      if (SameName(parsed.name, section)) {
        inSection = true;
        location.sectionFound = true;
        location.lastFilled = *line;
      }
      continue;
    }
    if (!inSection) continue;
    if (parsed.kind != Kind::kBlank) location.lastFilled = *line;
    if (parsed.kind == Kind::kEntry && SameName(parsed.name, key)) {
      location.entry = *line;
      location.equals = parsed.equals;
      break;
    }
  }
  return location;
}

bool IsLead(char c) {
  return static_cast<unsigned char>(c) >= 0xC0;
}

std::string_view LineEndOf(std::string_view text) {
  const std::size_t feed = text.find('\n');
  if (feed != std::string_view::npos && feed > 0 && text[feed - 1] == '\r') return "\r\n";
  return "\n";
}

bool EndsInFeed(std::string_view text) {
  return !text.empty() && text.back() == '\n';
}

// What ends the last line of `text`, which has no LF: `lineEnd`, or only LF after a final CR.
std::string_view Ending(std::string_view text, std::string_view lineEnd) {
  return (!text.empty() && text.back() == '\r') ? std::string_view("\n") : lineEnd;
}

bool HoldsLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

std::string_view CutToIniValueLimit(std::string_view value) {
  if (value.size() <= kIniValueLimit) return value;
  std::size_t cut = kIniValueLimit;
  std::size_t back = cut;
  for (int steps = 0; steps < 3 && back > 0 && IsUtf8Continuation(value[back]); ++steps) --back;
  if (back < cut && IsLead(value[back])) cut = back;
  return value.substr(0, cut);
}

std::string IniRead(std::string_view text, std::string_view section, std::string_view key) {
  const Location location = Locate(text, section, key);
  if (!location.entry) return {};
  const std::size_t valueBegin = location.equals + 1;
  std::string_view value =
      Trimmed(text.substr(valueBegin, location.entry->contentEnd - valueBegin));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  // What a caller's NUL-terminated buffer would show.
  value = value.substr(0, value.find('\0'));
  return std::string(CutToIniValueLimit(value));
}

bool IniNamesStorable(std::string_view section, std::string_view key) {
  const std::string_view s = Trimmed(section);
  const std::string_view k = Trimmed(key);
  if (s.empty() || k.empty()) return false;
  if (HoldsLineBreakOrNul(section) || HoldsLineBreakOrNul(key)) return false;
  if (s.find(']') != std::string_view::npos) return false;
  if (k.find('=') != std::string_view::npos) return false;
  return k.front() != ';' && k.front() != '[';
}

std::string_view IniStorableValue(std::string_view value) {
  const std::size_t stop = value.find_first_of(std::string_view("\r\n\0", 3));
  return stop == std::string_view::npos ? value : value.substr(0, stop);
}

std::string IniWrite(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value) {
  value = IniStorableValue(value);
  const std::string_view lineEnd = LineEndOf(text);
  const std::string entryLine = std::string(Trimmed(key)) + "=" + std::string(value);
  const Location location = Locate(text, section, key);

  std::string result;
  result.reserve(text.size() + entryLine.size() + section.size() + 8);
  if (location.entry) {
    result.append(text.substr(0, location.equals + 1));
    result.append(value);
    result.append(text.substr(location.entry->contentEnd));
  } else if (location.sectionFound) {
    const Line& after = location.lastFilled;
    result.append(text.substr(0, after.end));
    if (!EndsInFeed(text.substr(0, after.end))) result.append(Ending(text, lineEnd));
    result.append(entryLine);
    result.append(lineEnd);
    result.append(text.substr(after.end));
  } else {
    result.append(text);
    if (!text.empty() && !EndsInFeed(text)) result.append(Ending(text, lineEnd));
    result.append("[");
    result.append(Trimmed(section));
    result.append("]");
    result.append(lineEnd);
    result.append(entryLine);
    result.append(lineEnd);
  }
  return result;
}

}  // namespace droplet
