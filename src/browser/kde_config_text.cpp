#include "browser/kde_config_text.h"

#include <cctype>

namespace quillet {
namespace {

// One line of the text as KDE sees it. `start` to `end` is the line without its "\n"; `body_end`
// leaves out a "\r" before it.
struct KdeLine {
  size_t start = 0, body_end = 0, end = 0;
  bool entry = false;  // "key=value" in the group asked for (translations excluded)
  bool header = false;
  std::string key, raw;
  bool locked = false;
};

std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// "[a][$i]" as its names and whether one of its marks is "$i"; false when it is no header.
bool ReadBrackets(const std::string& text, std::vector<std::string>& names, bool& locked) {
  size_t at = 0;
  while (at < text.size() && text[at] == '[') {
    size_t close = text.find(']', at);
    if (close == std::string::npos) return false;
    std::string part = text.substr(at + 1, close - at - 1);
    // KDE's marks: "$i" locked, "$e" expanded, "$d" deleted; "[$Version]" is a name.
    bool mark =
        part.size() > 1 && part[0] == '$' && part.find_first_not_of("ied", 1) == std::string::npos;
    if (mark) {
      locked = locked || part.find('i') != std::string::npos;
    } else {
      names.push_back(part);
    }
    at = close + 1;
  }
  return at == text.size();
}

// The lines of `text`; `file_locked` tells whether a "[$i]" before the first group locks the
// whole file (then even a group that is not there yet is KDE's to keep).
std::vector<KdeLine> ScanLines(const std::string& text, const std::string& group,
                               bool& file_locked) {
  std::vector<KdeLine> lines;
  bool ours = false, group_locked = false, seen_group = false;
  file_locked = false;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    KdeLine line;
    line.start = start;
    line.body_end = line.end = end;
    if (end > start && text[end - 1] == '\r') line.body_end = end - 1;
    std::string body = TrimBlanks(text.substr(start, end - start));
    if (!body.empty() && body[0] == '[') {
      std::vector<std::string> names;
      bool locked = false;
      bool valid = ReadBrackets(body, names, locked);
      line.header = true;
      if (valid && names.empty() && !seen_group) file_locked = file_locked || locked;
      seen_group = seen_group || !names.empty();
      ours = valid && names.size() == 1 && names[0] == group;
      group_locked = locked;
    } else if (ours && !body.empty() && body[0] != '#' && body.find('=') != std::string::npos) {
      std::string name = TrimBlanks(body.substr(0, body.find('=')));
      std::vector<std::string> marks;
      bool locked = false;
      size_t bracket = name.find('[');
      bool plain = bracket == std::string::npos ||
                   (ReadBrackets(name.substr(bracket), marks, locked) && marks.empty());
      line.key = TrimBlanks(name.substr(0, bracket));
      line.entry = plain && !line.key.empty();
      line.raw = TrimBlanks(body.substr(body.find('=') + 1));
      line.locked = locked || group_locked || file_locked;
    }
    if (line.header && ours) line.locked = group_locked || file_locked;
    line.header = line.header && ours;
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

KdeGroup ReadKdeGroup(const std::string& text, const std::string& group) {
  KdeGroup result;
  for (const KdeLine& line : ScanLines(text, group, result.locked)) {
    if (line.header && line.locked) result.locked = true;
    if (!line.entry) continue;
    auto found = result.entries.find(line.key);
    // A locked entry holds against later ones; otherwise the last one counts.
    if (found != result.entries.end() && found->second.locked) continue;
    result.entries[line.key] = {line.raw, line.locked};
  }
  return result;
}

std::string UnescapeKdeValue(const std::string& raw) {
  std::string value;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\\' || i + 1 == raw.size()) {
      value += raw[i];
      continue;
    }
    char next = raw[++i];
    if (next == 's')
      value += ' ';
    else if (next == 't')
      value += '\t';
    else if (next == 'n')
      value += '\n';
    else if (next == 'r')
      value += '\r';
    else if (next == '\\')
      value += '\\';
    else if (next == 'x' && i + 2 < raw.size() && HexDigit(raw[i + 1]) >= 0 &&
             HexDigit(raw[i + 2]) >= 0) {
      value += static_cast<char>(HexDigit(raw[i + 1]) * 16 + HexDigit(raw[i + 2]));
      i += 2;
    } else {
      value += std::string("\\") + next;
    }
  }
  return value;
}

std::string EscapeKdeValue(const std::string& value) {
  static const char* kHex = "0123456789abcdef";
  std::string raw;
  for (size_t i = 0; i < value.size(); ++i) {
    auto c = static_cast<unsigned char>(value[i]);
    bool edge = i == 0 || i + 1 == value.size();
    if (c == '\\')
      raw += "\\\\";
    else if (c == ' ' && edge)
      raw += "\\s";
    else if (c == '\t')
      raw += "\\t";
    else if (c == '\n')
      raw += "\\n";
    else if (c == '\r')
      raw += "\\r";
    else if (c < 0x20)
      raw += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
    else
      raw += static_cast<char>(c);
  }
  return raw;
}

std::string EditKdeGroup(const std::string& text, const std::string& group,
                         const KdeChanges& changes) {
  std::string result = text;
  for (const auto& [key, raw] : changes) {
    bool file_locked = false;
    std::vector<KdeLine> lines = ScanLines(result, group, file_locked);
    if (!raw) {
      for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (line->entry && line->key == key) {
          result.erase(line->start, std::min(line->end + 1, result.size()) - line->start);
        }
      }
      continue;
    }
    const KdeLine* last = nullptr;  // the key's entry that counts, else the group's last line
    const KdeLine* place = nullptr;
    for (const KdeLine& line : lines) {
      if (line.entry && line.key == key && !(last && last->locked)) last = &line;
      if (line.header || line.entry) place = &line;
    }
    std::string entry = key + "=" + *raw;
    if (last) {
      result.replace(last->start, last->body_end - last->start, entry);
    } else if (place) {
      bool crlf = place->body_end != place->end;
      result.insert(place->body_end + (crlf ? 1 : 0), "\n" + entry + (crlf ? "\r" : ""));
    } else {
      if (!result.empty() && result.back() != '\n') result += '\n';
      result += (result.empty() ? "[" : "\n[") + group + "]\n" + entry + "\n";
    }
  }
  return result;
}

}  // namespace quillet
