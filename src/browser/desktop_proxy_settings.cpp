#include "browser/desktop_proxy_settings.h"

#include <filesystem>
#include <map>
#include <sstream>

#include "browser/kde_config_text.h"
#include "core/errors.h"
#include "core/text.h"
#include "proxylist/atomic_file.h"
#include "proxylist/durable_file.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;
using KeptTargets = std::map<ProxyTarget, KeptValues>;

const char* TargetName(ProxyTarget kind) {
  return kind == ProxyTarget::GSettings ? "gsettings" : "kioslaverc";
}

// One line per key: the setting, the key, and "=" with the raw value (escaped as KDE escapes
// it, which keeps every byte) or "-" for a key that was not set.
void WriteKept(const std::string& path, const KeptTargets& kept) {
  std::error_code ignored;
  fs::create_directories(fs::path(path).parent_path(), ignored);
  auto content = [&](std::ostream& out) {
    out << "# The desktop's proxy settings before Quillet changed them (quillet --restore-proxy)\n";
    for (const auto& [kind, values] : kept) {
      for (const auto& [key, raw] : values) {
        out << TargetName(kind) << '\t' << key << '\t' << (raw ? "=" + EscapeKdeValue(*raw) : "-")
            << '\n';
      }
    }
  };
  // The desktop's proxy password may be among them: the file is its owner's alone.
  ReplaceFileContent(path, content, /*owner_only=*/true);
}

KeptTargets ReadKept(const std::string& path) {
  KeptTargets kept;
  for (const std::string& line : Split(ReadFileBytes(path, 1 << 20), "\n")) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields = Split(line, "\t");
    bool known = fields.size() == 3 && (fields[0] == "gsettings" || fields[0] == "kioslaverc");
    if (!known || fields[2].empty() || (fields[2] != "-" && fields[2][0] != '=')) {
      throw RunTimeError(kErrFileIo, "The kept proxy settings in '" + path +
                                         "' are damaged; nothing was restored.");
    }
    ProxyTarget kind = fields[0] == "gsettings" ? ProxyTarget::GSettings : ProxyTarget::Kioslaverc;
    kept[kind][fields[1]] =
        fields[2] == "-" ? std::nullopt : std::optional(UnescapeKdeValue(fields[2].substr(1)));
  }
  return kept;
}

void RemoveKept(const std::string& path) {
  std::error_code error;
  fs::remove(path, error);
  if (error) throw RunTimeError(kErrFileIo, "Cannot remove '" + path + "': " + error.message());
  SyncFolderToDisk(fs::path(path).parent_path().string());
}

std::string Reasons(const std::map<ProxyTarget, std::string>& failures) {
  std::string text;
  for (const auto& [kind, reason] : failures) text += (text.empty() ? "" : " ") + reason;
  return text;
}

}  // namespace

DesktopProxySettings::DesktopProxySettings(DesktopFamily family, std::string desktop_name,
                                           std::vector<Target> targets, std::string kept_path)
    : family_(family),
      desktop_name_(std::move(desktop_name)),
      targets_(std::move(targets)),
      kept_path_(std::move(kept_path)) {}

std::vector<DesktopProxySettings::Target*> DesktopProxySettings::Written() {
  std::vector<ProxyTarget> kinds = TargetsWritten(family_);
  std::vector<Target*> written;
  for (Target& target : targets_) {
    if (std::find(kinds.begin(), kinds.end(), target.kind) != kinds.end()) {
      written.push_back(&target);
    }
  }
  return written;
}

void DesktopProxySettings::CheckValues(const std::string& server, int32_t flags,
                                       const std::string& bypass) {
  report_ = {family_, desktop_name_, {}, server, flags != kProxyFlagsDirect};
  kept_now_ = false;
  std::vector<Target*> written = Written();
  for (Target* target : written) {
    try {
      target->settings->CheckValues(server, flags, bypass);
    } catch (const RunTimeError& failure) {
      report_.failures[target->kind] = failure.what();
    }
  }
  if (report_.failures.size() == written.size()) {
    throw RunTimeError(kErrPermission, Reasons(report_.failures));
  }
  KeepBeforeFirstChange();
}

void DesktopProxySettings::KeepBeforeFirstChange() {
  if (HasKeptSettings()) return;  // the desktop's own settings are kept already
  KeptTargets kept;
  for (Target* target : Written()) {
    if (!report_.failures.count(target->kind)) kept[target->kind] = target->settings->Keep();
  }
  try {
    WriteKept(kept_path_, kept);
  } catch (const RunTimeError& failure) {
    throw RunTimeError(failure.number(), std::string("The desktop's proxy settings were not "
                                                     "changed: their present values could not be "
                                                     "kept for Restore (") +
                                             failure.what() + ").");
  }
  kept_now_ = true;
}

void DesktopProxySettings::SetConnectionOption(int32_t option, const std::string& connection,
                                               const std::string& value, int32_t flags) {
  std::vector<Target*> written = Written();
  for (Target* target : written) {
    if (report_.failures.count(target->kind)) continue;
    try {
      target->settings->SetConnectionOption(option, connection, value, flags);
    } catch (const RunTimeError& failure) {
      report_.failures[target->kind] = failure.what();
    }
  }
  if (report_.failures.size() == written.size()) {
    throw RunTimeError(kErrPermission, Reasons(report_.failures));
  }
}

void DesktopProxySettings::GetConnectionOption(int32_t option, const std::string& connection,
                                               std::string& value, int32_t& flags) {
  std::vector<Target*> written = Written();
  for (size_t i = 0; i < written.size(); ++i) {
    try {
      written[i]->settings->GetConnectionOption(option, connection, value, flags);
      return;
    } catch (const RunTimeError&) {
      if (i + 1 == written.size()) throw;
    }
  }
}

FollowersNotice DesktopProxySettings::FinishApply() {
  if (kept_now_) {
    // An Apply that changed nothing leaves nothing to restore.
    KeptTargets now;
    for (Target* target : Written()) {
      if (!report_.failures.count(target->kind)) now[target->kind] = target->settings->Keep();
    }
    if (now == ReadKept(kept_path_)) RemoveKept(kept_path_);
    kept_now_ = false;
  }
  FollowersNotice notice = NoticeAfterApply(report_);
  if (!notice.warning && notice.text == last_notice_) return {};
  last_notice_ = notice.text;
  return notice;
}

bool DesktopProxySettings::HasKeptSettings() const {
  std::error_code error;
  return fs::exists(kept_path_, error);
}

void DesktopProxySettings::RestoreKeptSettings() {
  if (!HasKeptSettings()) {
    throw RunTimeError(kErrFileNotFound,
                       "Quillet has kept no previous proxy settings: it has not changed the "
                       "desktop's proxy settings since they were last restored.");
  }
  KeptTargets kept = ReadKept(kept_path_);
  std::map<ProxyTarget, std::string> failures;
  for (const auto& [kind, values] : kept) {
    auto target = std::find_if(targets_.begin(), targets_.end(),
                               [kind = kind](const Target& t) { return t.kind == kind; });
    try {
      if (target == targets_.end()) {
        throw RunTimeError(kErrFileNotFound, std::string("Quillet cannot reach the kept ") +
                                                 TargetName(kind) + " settings here.");
      }
      target->settings->PutBack(values);
    } catch (const RunTimeError& failure) {
      failures[kind] = failure.what();
    }
  }
  if (!failures.empty()) {
    throw RunTimeError(kErrPermission, "The previous proxy settings were not all restored: " +
                                           Reasons(failures) + " They stay kept.");
  }
  RemoveKept(kept_path_);
}

}  // namespace quillet
