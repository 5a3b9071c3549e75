#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// INI text as the private-profile files hold it, read and edited as plain bytes. Pure functions:
// no file access here (profile_posix.cpp does that).
//
// Reading: "[Section]" lines open sections; "key=value" lines inside a section are entries.
// Section and key names are compared without regard to ASCII letter case, after the blanks
// (spaces and tabs) around them are trimmed. A value loses the blanks around it and then one
// pair of matching double or single quotes that wrap it. The first matching section and, in
// it, the first matching key win. Lines end in LF or CR LF; the last line may have no end.
// Lines starting with ';' are comments and never entries.
//
// Writing changes one line or adds lines and keeps every other byte as it was.

namespace droplet {

// How many bytes of a value come back from a read at most (a buffer of 255 with its NUL).
inline constexpr std::size_t kIniValueLimit = 254;

// `value` cut to kIniValueLimit bytes; a UTF-8 sequence that the cut would split goes as a whole.
std::string_view CutToIniValueLimit(std::string_view value);

// The value under `key` in `section` of `text`, cut to kIniValueLimit bytes (never inside a
// UTF-8 sequence); empty text when the section or the key is missing.
std::string IniRead(std::string_view text, std::string_view section, std::string_view key);

// True when `section` and `key` can be stored: neither is blank, neither holds a line break or
// a NUL, the section holds no ']' and the key no '=' and does not start with ';' or '['.
bool IniNamesStorable(std::string_view section, std::string_view key);

// The part of `value` that a file can hold on one line: everything before the first CR, LF or
// NUL. A longer value would otherwise add lines (and entries) of its own to the file.
std::string_view IniStorableValue(std::string_view value);

// `text` with `value` stored under `key` in `section`:
// - an existing key keeps its line's bytes up to and including '=' and its line end; only the
//   value between them changes;
// - a missing key is added right after the last non-blank line of its section;
// - a missing section is appended at the end as "[section]" and the key line, after a line end
//   of its own when the text does not end in one.
// New lines end as the text's first line does (CR LF or LF); LF when it has no line end.
// The names must be storable (IniNamesStorable); the value is cut to IniStorableValue.
std::string IniWrite(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value);

}  // namespace droplet
