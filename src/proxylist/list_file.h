#pragma once
// The list file: loading it into the list, writing the list back, the save prompt, and the
// Save, Reload and Edit buttons.
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/app_settings.h"
#include "app/proxy_fields.h"
#include "app/settings_store.h"
#include "app/user_interface.h"
#include "proxylist/document_launcher.h"
#include "proxylist/list_window.h"
#include "proxylist/proxy_list.h"

namespace quillet {

// A list file above this size is not loaded; a proxy line above this length is a format error.
constexpr size_t kMaxListFileBytes = size_t{1} << 30;
constexpr size_t kMaxListLineBytes = 65536;
struct ListTooLarge {};

// The lines of a file's bytes; a line ends at CR LF, LF or CR.
std::vector<std::string> SplitLines(const std::string& bytes);

// The nine fields of a proxy line (tabs removed, short form expanded), or the text of the format
// error message when the line is not one.
struct ParsedLine {
  std::vector<std::string> fields;
  std::string error;
  std::string protocol;          // from a tenth field naming a protocol other than HTTP, else empty
  ProxyCredentials credentials;  // from an eleventh field, or from user:pass@ in the short form
};
// Cells are trimmed; a line whose cells a save would write so that they no longer read back
// (for example an address that is too short once trimmed) is refused.
ParsedLine ParseProxyLine(const std::string& line);
// Appends a parsed line as a load does (cells, protocol, colours, icon, Type); the new row ends
// as the current row. Answers the row.
int AppendParsedLine(ProxyList& list, const ParsedLine& parsed);

// A proxy written with its protocol in front, as in "socks5://host:port" (list lines and Add New
// take this short form too). `found` when the text, trimmed, begins with a scheme and "://";
// `protocol` is the row protocol the scheme names (empty for http), `rest` the text after "://",
// `problem` says why the scheme names no proxy protocol.
struct ProtocolPrefix {
  bool found = false;
  std::string protocol;
  std::string rest;
  std::string problem;
};
ProtocolPrefix SplitProtocolPrefix(const std::string& text);

// Why the nine fields of a row (Server IP to Col) would not read back after a save, or empty
// text when they would.
std::string StoredLineProblem(const std::vector<std::string>& fields);

// Rebuilds the list from ListFile, a file or a web address. Rows that match the HTTP proxy field
// mark TopRow, whose row is selected and scrolled into view. A bad line stops loading with its
// message; the rows before it stay. Other failures are reported under "F18". A web address that
// cannot be fetched is said with its reason and answers false: the list stays as it was.
bool LoadList(ListWindow window, const ProxyFieldsView& proxy_fields);

// Writes the list file text of the list: ListHeader, an empty line, one line per row. A row whose
// proxy is not an HTTP proxy gets its protocol as a tenth field, which readers that know nine
// fields ignore; a row with a user name and password gets them as an eleventh field (after an
// empty tenth for HTTP). Rows without either are written with nine fields.
void WriteListFile(const ProxyList& list, std::ostream& out);

// Replaces ListFile with the list. Answers false (after reporting under "F19") when that failed;
// the old file then stays as it was. A list from a web address asks for a local file first, which
// becomes ListFile; no file chosen answers false.
bool GridExport(ListWindow window);

// Asks whether unsaved changes are written. False means the caller must not go on (Cancel, or
// a save that failed).
bool ConfirmSaveList(ListWindow window);

// The Save button: writes the list even when nothing changed.
void SaveListCommand(ListWindow window);

enum class ReloadOutcome { Stayed, Loaded, EndProgram };
// The Reload button: save prompt, then the "ListFile" setting (in the program's folder when it
// names no folder) is loaded. A missing file ends the program after its message; a web address
// that cannot be fetched leaves the list and ListFile as they were.
ReloadOutcome ReloadCommand(ListWindow window, const SettingsStore& store,
                            const std::string& program_dir, const ProxyFieldsView& proxy_fields);

// The Edit button: opens ListFile with the program the desktop associates with it.
void EditListCommand(ListWindow window, DocumentLauncher& launcher);

}  // namespace quillet
