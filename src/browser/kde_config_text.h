#pragma once
// One group of a KDE configuration file (kioslaverc and its kind) read as KDE reads it, and
// edited line by line: only the lines of the keys set or removed change, every other byte of
// the text stays. Plain text in, plain text out; no file is touched here.
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quillet {

struct KdeEntry {
  std::string raw;      // the value as it stands in the file (escapes kept)
  bool locked = false;  // the key, its group or the whole file carries KDE's "[$i]" lock
};

struct KdeGroup {
  std::map<std::string, KdeEntry> entries;  // the entry KDE takes for each key
  bool locked = false;                      // keys not in the file are locked as well
};

// The entries of `group` (nested groups and translated keys such as "key[de]" are not its own).
KdeGroup ReadKdeGroup(const std::string& text, const std::string& group);

// A raw value as KDE reads it: "\s", "\t", "\n", "\r", "\\" and "\xHH" stand for their bytes.
std::string UnescapeKdeValue(const std::string& raw);
// The raw form KDE writes for a value.
std::string EscapeKdeValue(const std::string& value);

// `text` with each key of `group` set to its raw value, or its lines removed where the value is
// empty (nullopt). A key that is there keeps its place; a new one goes after the group's last
// entry, and a missing group is added at the end.
using KdeChanges = std::vector<std::pair<std::string, std::optional<std::string>>>;
std::string EditKdeGroup(const std::string& text, const std::string& group,
                         const KdeChanges& changes);

}  // namespace quillet
