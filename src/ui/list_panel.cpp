#include "ui/list_panel.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include <filesystem>

#include "core/paths.h"
#include "proxylist/grid_mouse.h"
#include "proxylist/list_commands.h"
#include "proxylist/list_file.h"
#include "proxylist/resolve_rows.h"
#include "proxylist/row_colour.h"
#include "ui/guarded.h"
#include "ui/list_grid_view.h"
#include "ui/proxy_table_model.h"
#include "ui/qt_user_interface.h"
#include "ui/qucolor.h"

namespace quillet {
namespace {

// How often the line under the list looks for a change of the list file or its changes.
constexpr int kStatusRefreshMs = 300;

}  // namespace

ListPanel::ListPanel(ListPanelServices services, QWidget* parent)
    : QGroupBox("List", parent), services_(std::move(services)) {
  setObjectName("Frame2");
  services_.list.SetExtraColumns(GridExtraColumns(services_.settings.Countries != nullptr));
  model_ = new ProxyTableModel(services_.list, this);
  grid_ = new ListGridView(Window(), model_, this);
  menu_ = new QMenu("quillet", this);
  menu_->setObjectName("popMenu");
  BuildMenu();
  grid_->on_popup_menu = [this](const QPoint& global) { menu_->exec(global); };
  grid_->on_double_click = [this] { GridDoubleClick(Window(), services_.proxy_fields); };
  grid_->row_command_for_key = [this](const QKeyEvent& event) { return CommandForKey(event); };

  auto* buttons = new QHBoxLayout;
  BuildStatusRow(buttons);
  Connect(AddButton("bSaveList", "Sa&ve", "Save list to proxy file"), tags::kGridExport, false,
          [this] { SaveListCommand(Window()); });
  Connect(AddButton("bEdit", "&Edit", "Edit proxy file"), tags::kEditList, false,
          [this] { EditListCommand(Window(), services_.launcher); });
  Connect(AddButton("bRefresh", "&Reload", "Refresh proxy list from file"), tags::kReloadList, true,
          [this] {
            if (ReloadCommand(Window(), services_.store, services_.program_dir,
                              services_.proxy_fields) == ReloadOutcome::EndProgram) {
              services_.end_program();
            }
          });
  for (const char* name : {"bSaveList", "bEdit", "bRefresh"}) {
    buttons->addWidget(findChild<QPushButton*>(name));
  }
  // Save and Reload answer their usual keys anywhere in the window.
  for (auto [name, keys] : {std::pair{"bSaveList", QKeySequence(QKeySequence::Save)},
                            std::pair{"bRefresh", QKeySequence(Qt::Key_F5)}}) {
    connect(new QShortcut(keys, this), &QShortcut::activated, findChild<QPushButton*>(name),
            &QPushButton::click);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grid_, 1);
  layout->addLayout(buttons);
}

// The run's progress bar with its Stop button, and the line that names the list file.
void ListPanel::BuildStatusRow(QHBoxLayout* row) {
  progress_ = new QProgressBar(this);
  progress_->setObjectName("pbVerify");
  progress_->setFormat("%v of %m checked");
  progress_->hide();
  stop_ = AddButton("bStop", "S&top", "Stop the verification");
  stop_->hide();
  connect(stop_, &QPushButton::clicked, this, Guarded(services_.ui, tags::kGridMouse, [this] {
            if (services_.settings.Verifying) CancelVerification(Window());
          }));
  status_ = new QLabel(this);
  status_->setObjectName("lblListStatus");
  row->addWidget(progress_, 1);
  row->addWidget(stop_);
  row->addWidget(status_, 1);
  // The unsaved-changes mark follows every command that changes the list.
  auto* watch = new QTimer(this);
  connect(watch, &QTimer::timeout, this, &ListPanel::ShowListFile);
  watch->start(kStatusRefreshMs);
}

void ListPanel::ShowListFile() {
  const AppSettings& settings = services_.settings;
  // A list from the web is named by its whole address; a file by its name (the tip has the path).
  bool web = IsWebAddress(settings.ListFile);
  std::string name =
      web ? settings.ListFile : std::filesystem::path(settings.ListFile).filename().string();
  std::string text = name.empty() ? "No list file" : (web ? "List from " : "List file: ") + name;
  if (settings.ListDirty) text += " (unsaved changes)";
  if (!summary_.empty() && !settings.Verifying) text += "    " + summary_;
  QString shown = ToQt(text);
  if (status_->text() != shown) status_->setText(shown);
  status_->setToolTip(ToQt(settings.ListFile));
}

void ListPanel::ShowProgress(size_t checked, size_t total) {
  progress_->setRange(0, int(std::max<size_t>(total, 1)));
  progress_->setValue(int(checked));
  progress_->show();
  stop_->show();
  status_->hide();
}

void ListPanel::ShowSummary(const std::string& summary) {
  summary_ = summary;
  HideProgress();
}

void ListPanel::HideProgress() {
  progress_->hide();
  stop_->hide();
  status_->show();
  ShowListFile();
}

QPushButton* ListPanel::AddButton(const char* name, const char* caption, const char* tooltip) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(name);
  button->setToolTip(tooltip);
  return button;
}

std::function<void()> ListPanel::Command(const char* tag, bool holds_rows,
                                         std::function<void()> run) {
  return Guarded(services_.ui, tag, [this, holds_rows, run = std::move(run)] {
    if ((holds_rows || services_.settings.Loading) && RowsAreHeld(Window())) return;
    run();
  });
}

template <class Sender, class Signal>
void ListPanel::Connect(Sender* sender, Signal signal, const char* tag, bool holds_rows,
                        std::function<void()> run) {
  connect(sender, signal, this, Command(tag, holds_rows, std::move(run)));
}

void ListPanel::Connect(QPushButton* button, const char* tag, bool holds_rows,
                        std::function<void()> run) {
  Connect(button, &QPushButton::clicked, tag, holds_rows, std::move(run));
}

// The menu's commands, in groups. Those without a trap of their own report under the grid's
// mouse handler, which opened the menu. "prox" does nothing. A shortcut works in the grid as the
// item does after a right-click on the current row.
void ListPanel::BuildMenu() {
  struct Item {
    const char* name;
    const char* caption;  // empty: a separator
    const char* tag = nullptr;
    bool holds_rows = false;  // moves rows or writes cells by row number
    std::function<void()> run = nullptr;
    QKeySequence shortcut = {};
  };
  const char* menu = tags::kGridMouse;
  const Item items[] = {
      {"popVerify", "&Verify", tags::kVerify, true, [this] { emit verifyChosen(); }, Qt::Key_F9},
      {"", ""},
      {"popEdit", "Edit &comment", menu, true, [this] { EditCommentCommand(Window()); },
       Qt::Key_F2},
      {"popColor", "Set Co&lor", tags::kSetRowColor, true, [this] { ChooseColors(); }},
      {"popDelete", "&Delete", menu, true, [this] { DeleteCommand(Window()); }, Qt::Key_Delete},
      {"", ""},
      {"popGetIP", "Get server &IP", tags::kResolveRows, true, [this] { Resolve(false); }},
      {"popGetName", "Get server &name", tags::kResolveRows, true, [this] { Resolve(true); }},
      {"", ""},
      {"popAddNew", "&Add New", tags::kAddNew, true,
       [this] { AddNewCommand(Window(), services_.resolver); }, Qt::Key_Insert},
      {"popCopy", "C&opy cell", menu, false, [this] { CopyCellCommand(Window()); },
       QKeySequence::Copy},
      {"", ""},
      {"popSortAsc", "&Sort by column asc", menu, true, [this] { SortByColumn(Window(), true); }},
      {"popSortDesc", "Sort by column d&esc", menu, true,
       [this] { SortByColumn(Window(), false); }},
      {"", ""},
      {"popDelAllRed", "Delete non-anon&ymous", menu, true,
       [this] { DeleteNonAnonymousCommand(Window()); }},
      {"popDelAllGray", "Delete non-&responding", menu, true,
       [this] { DeleteNonRespondingCommand(Window()); }},
      {"", ""},
      {"popTest", "&prox", menu, false, [] {}},
  };
  for (const Item& item : items) {
    if (!*item.caption) {
      menu_->addSeparator();
      continue;
    }
    QAction* action = menu_->addAction(item.caption);
    action->setObjectName(item.name);
    // Shown in the menu; the grid runs it (see ListGridView::row_command_for_key).
    action->setShortcut(item.shortcut);
    action->setShortcutContext(Qt::WidgetShortcut);
    Connect(action, &QAction::triggered, item.tag, item.holds_rows, item.run);
  }
}

std::function<void()> ListPanel::CommandForKey(const QKeyEvent& event) {
  QKeySequence pressed(event.keyCombination());
  for (QAction* action : menu_->actions()) {
    if (!action->shortcut().isEmpty() && action->shortcut() == pressed) {
      return [action] { action->trigger(); };
    }
  }
  return nullptr;
}

void ListPanel::LoadList() {
  summary_.clear();
  quillet::LoadList(Window(), services_.proxy_fields);
  ShowListFile();
}

void ListPanel::ChooseColors() {
  BeginRowColoring(Window());
  Qucolor picker(Window(), this);
  picker.exec();
  EndRowColoring(Window());
}

void ListPanel::Resolve(bool get_name) {
  ResolveRows(Window(), services_.resolver, get_name, services_.set_caption,
              services_.base_caption());
}

}  // namespace quillet
