#include "client/session/settings.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "client/platform/text.h"
#include "client/session/program.h"

namespace {

constexpr char kSection[] = "Posyvale";
constexpr char kPasswordKey[] = "PASS";

std::string Path;

// The filler returned last by NextMaskNibble; it carries over from one
// encoding to the next.
int LastMaskNibble = 0;

// One line of the file: its text and the line end it had ("\r\n", "\n", or
// nothing on a last line without one), so a rewrite keeps it byte for byte.
struct IniLine {
  std::string text;
  std::string end;
};

std::vector<IniLine> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<IniLine> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t feed = content.find('\n', start);
    if (feed == std::string::npos) {
      lines.push_back({content.substr(start), ""});
      break;
    }
    bool crlf = feed > start && content[feed - 1] == '\r';
    lines.push_back({content.substr(start, feed - start - (crlf ? 1 : 0)), crlf ? "\r\n" : "\n"});
    start = feed + 1;
  }
  return lines;
}

std::string_view Trim(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// True for a "[name]" line; name is what stands between the brackets.
bool IsSectionHeader(std::string_view line, std::string_view* name) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return false;
  line.remove_prefix(1);
  *name = Trim(line.substr(0, line.find(']')));
  return true;
}

// True for a "key=value" line; comment lines (";") are none.
bool IsEntry(std::string_view line, std::string_view* key, std::string_view* value) {
  line = Trim(line);
  std::size_t equals = line.find('=');
  if (line.empty() || line.front() == ';' || equals == std::string_view::npos) return false;
  *key = Trim(line.substr(0, equals));
  *value = Trim(line.substr(equals + 1));
  return true;
}

// Where a key of our section stands in the file; -1 for what is missing.
// Only the first section of the name counts, and in it the first entry.
struct KeyPlace {
  int header = -1;
  int entry = -1;
  int last_in_section = -1;  // the last non-blank line of the section
};

KeyPlace FindKey(const std::vector<IniLine>& lines, std::string_view key) {
  KeyPlace place;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    std::string_view name, entry_key, value;
    if (IsSectionHeader(lines[i].text, &name)) {
      if (place.header >= 0) break;
      if (SameIgnoringCase(name, kSection)) place.header = place.last_in_section = i;
      continue;
    }
    if (place.header < 0) continue;
    if (!Trim(lines[i].text).empty()) place.last_in_section = i;
    if (place.entry < 0 && IsEntry(lines[i].text, &entry_key, &value) &&
        SameIgnoringCase(entry_key, key)) {
      place.entry = i;
    }
  }
  return place;
}

// The line end new lines get: the file's own, CR LF for a new file.
std::string LineEndOf(const std::vector<IniLine>& lines) {
  for (const IniLine& line : lines) {
    if (!line.end.empty()) return line.end;
  }
  return "\r\n";
}

// Inserts a line at index, ending the line before it if that was the last
// line of the file without a line end.
void InsertLine(std::vector<IniLine>& lines, int index, std::string text, const std::string& end) {
  if (index > 0 && lines[index - 1].end.empty()) lines[index - 1].end = end;
  lines.insert(lines.begin() + index, IniLine{std::move(text), end});
}

// Writes beside the file and renames over it, so the file is never left
// half written.
void WriteLines(const std::string& path, const std::vector<IniLine>& lines) {
  std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    for (const IniLine& line : lines) out << line.text << line.end;
    if (!out.flush()) return;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) std::filesystem::remove(temporary, error);
}

}  // namespace

void SetupSettingsPath() { Path = InstallDir + "Posyvale.ini"; }

const std::string& SettingsPath() {
  if (Path.empty()) SetupSettingsPath();
  return Path;
}

std::string ReadSetting(const char* key) {
  std::vector<IniLine> lines = ReadLines(SettingsPath());
  KeyPlace place = FindKey(lines, key);
  std::string_view entry_key, value;
  if (place.entry < 0 || !IsEntry(lines[place.entry].text, &entry_key, &value)) return {};
  return std::string(platform::Cp932Prefix(value, kMaxSettingLength));
}

void WriteSetting(const char* key, std::string_view value) {
  // A line break would end the entry early and start a line of its own.
  value = value.substr(0, value.find_first_of("\r\n"));
  std::string entry = std::string(key) + "=" + std::string(value);

  std::vector<IniLine> lines = ReadLines(SettingsPath());
  KeyPlace place = FindKey(lines, key);
  std::string end = LineEndOf(lines);
  if (place.entry >= 0) {
    lines[place.entry].text = std::move(entry);
  } else if (place.header >= 0) {
    InsertLine(lines, place.last_in_section + 1, std::move(entry), end);
  } else {
    InsertLine(lines, static_cast<int>(lines.size()), std::string("[") + kSection + "]", end);
    InsertLine(lines, static_cast<int>(lines.size()), std::move(entry), end);
  }
  WriteLines(SettingsPath(), lines);
}

std::string ReadStoredPassword() { return DecodePassword(ReadSetting(kPasswordKey)); }

void WriteStoredPassword(std::string_view password) {
  WriteSetting(kPasswordKey, EncodePassword(password));
}

int NextMaskNibble(int lowest, int highest) {
  for (;;) {
    int random = std::rand() & 15;
    int candidate = LastMaskNibble <= 4 ? random + 1 : 2 * random;
    if (candidate >= lowest && candidate <= highest && candidate != LastMaskNibble) {
      LastMaskNibble = candidate;
      return candidate;
    }
  }
}

std::string EncodePassword(std::string_view password) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
  std::string stored;
  for (char c : password) {
    unsigned byte = static_cast<unsigned char>(c);
    // The filler of the second character is drawn first.
    char second = static_cast<char>(NextMaskNibble(2, 6) * 16 + byte % 16);
    char first = static_cast<char>(NextMaskNibble(2, 6) * 16 + byte / 16);
    stored += first;
    stored += second;
  }
  return stored;
}

std::string DecodePassword(std::string_view stored) {
  std::string password;
  for (std::size_t i = 0; i < stored.size(); i += 2) {
    unsigned high = static_cast<unsigned char>(stored[i]);
    unsigned low = i + 1 < stored.size() ? static_cast<unsigned char>(stored[i + 1]) : 0;
    char byte = static_cast<char>((high * 16 + low % 16) % 256);
    if (byte != '\0') password += byte;
  }
  // A stored form longer than the login dialog ever writes (only possible
  // by editing the file) is cut to the longest password the dialog takes,
  // without splitting a double-byte character.
  return std::string(platform::Cp932Prefix(password, kMaxPasswordLength));
}
