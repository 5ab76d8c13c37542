#pragma once
// The lower part of the main window (Frame2, "List"): the grid, its popup menu and the Save,
// Edit and Reload buttons. Every command runs the list's core routines; this widget only wires
// them to controls.
#include <QGroupBox>
#include <QHBoxLayout>
#include <functional>
#include <string>

#include "app/proxy_fields.h"
#include "app/settings_store.h"
#include "net/resolver.h"
#include "proxylist/document_launcher.h"
#include "proxylist/list_window.h"

class QKeyEvent;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;

namespace quillet {

class ListGridView;
class ProxyTableModel;

struct ListPanelServices {
  ProxyList& list;
  AppSettings& settings;
  UserInterface& ui;
  Resolver& resolver;
  ProxyFieldsView& proxy_fields;
  const SettingsStore& store;
  std::string program_dir;
  DocumentLauncher& launcher;
  std::function<void(const std::string&)> set_caption;
  std::function<std::string()> base_caption;
  // Ends the program at once (Reload when the list file has gone).
  std::function<void()> end_program;
  ListFetcher* fetcher = nullptr;  // reads a list from a web address
};

class ListPanel : public QGroupBox {
  Q_OBJECT
 public:
  explicit ListPanel(ListPanelServices services, QWidget* parent = nullptr);

  // Rebuilds the list from ListFile (the main window's load, after the proxy fields are filled).
  void LoadList();
  ListGridView* grid() const { return grid_; }
  // A verification run's progress (the bar and Stop show while it goes), and its summary.
  void ShowProgress(size_t checked, size_t total);
  void ShowSummary(const std::string& summary);
  void HideProgress();
  QMenu* popupMenu() const { return menu_; }

 signals:
  // "Verify" in the popup menu: handled by the verification run.
  void verifyChosen();

 private:
  ListWindow Window() {
    return {services_.list, services_.settings, services_.ui, services_.fetcher};
  }
  void BuildMenu();
  // The popup item whose shortcut is the key, as a command; nothing for other keys.
  std::function<void()> CommandForKey(const QKeyEvent& event);
  // A command handler behind the error trap; one that holds rows is refused while a
  // verification or a resolve run works through them, and every one while a load runs.
  std::function<void()> Command(const char* tag, bool holds_rows, std::function<void()> run);
  template <class Sender, class Signal>
  void Connect(Sender* sender, Signal signal, const char* tag, bool holds_rows,
               std::function<void()> run);
  void Connect(QPushButton* button, const char* tag, bool holds_rows, std::function<void()> run);
  QPushButton* AddButton(const char* name, const char* caption, const char* tooltip);
  void ChooseColors();
  void BuildStatusRow(QHBoxLayout* row);
  void ShowListFile();
  void Resolve(bool get_name);

  ListPanelServices services_;
  ProxyTableModel* model_;
  ListGridView* grid_;
  QMenu* menu_;
  QProgressBar* progress_ = nullptr;
  QPushButton* stop_ = nullptr;
  QLabel* status_ = nullptr;  // the list file, an unsaved-changes mark and the last summary
  std::string summary_;
};

}  // namespace quillet
