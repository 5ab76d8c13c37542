#include "ui/list_panel.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "proxylist/list_commands.h"
#include "proxylist/list_file.h"
#include "proxylist/resolve_rows.h"
#include "proxylist/row_colour.h"
#include "ui/list_grid_view.h"
#include "ui/proxy_table_model.h"
#include "ui/qucolor.h"

namespace quillet {

ListPanel::ListPanel(ListPanelServices services, QWidget* parent)
    : QGroupBox("List", parent), services_(std::move(services)) {
  setObjectName("Frame2");
  model_ = new ProxyTableModel(services_.list, this);
  grid_ = new ListGridView(Window(), model_, this);
  menu_ = new QMenu("quillet", this);
  menu_->setObjectName("popMenu");
  BuildMenu();
  grid_->on_popup_menu = [this](const QPoint& global) { menu_->exec(global); };
  grid_->on_double_click = [this] { GridDoubleClick(Window(), services_.proxy_fields); };

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  connect(AddButton("bSaveList", "Sa&ve", "Save list to proxy file"), &QPushButton::clicked, this,
          [this] { SaveListCommand(Window()); });
  connect(AddButton("bEdit", "&Edit", "Edit proxy file"), &QPushButton::clicked, this,
          [this] { EditListCommand(Window(), services_.launcher); });
  connect(AddButton("bRefresh", "&Reload", "Refresh proxy list from file"), &QPushButton::clicked,
          this, [this] {
            if (ReloadCommand(Window(), services_.store, services_.program_dir,
                              services_.proxy_fields) == ReloadOutcome::EndProgram) {
              services_.end_program();
            }
          });
  for (const char* name : {"bSaveList", "bEdit", "bRefresh"}) {
    buttons->addWidget(findChild<QPushButton*>(name));
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grid_, 1);
  layout->addLayout(buttons);
}

QPushButton* ListPanel::AddButton(const char* name, const char* caption, const char* tooltip) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(name);
  button->setToolTip(tooltip);
  return button;
}

void ListPanel::BuildMenu() {
  struct Item {
    const char* name;
    const char* caption;
    std::function<void()> run;
  };
  const Item items[] = {
      {"popVerify", "Verify", [this] { emit verifyChosen(); }},
      {"popEdit", "Edit comment", [this] { EditCommentCommand(Window()); }},
      {"popColor", "Set Color", [this] { ChooseColors(); }},
      {"popDelete", "Delete", [this] { DeleteCommand(Window()); }},
      {"popGetIP", "Get server IP", [this] { Resolve(false); }},
      {"popGetName", "Get server name", [this] { Resolve(true); }},
      {"popAddNew", "Add New", [this] { AddNewCommand(Window(), services_.resolver); }},
      {"popCopy", "Copy cell", [this] { CopyCellCommand(Window()); }},
      {"popSortAsc", "Sort by column asc", [this] { SortByColumn(Window(), true); }},
      {"popSortDesc", "Sort by column desc", [this] { SortByColumn(Window(), false); }},
      {"popDelAllRed", "Delete non-anonymous", [this] { DeleteNonAnonymousCommand(Window()); }},
      {"popDelAllGray", "Delete non-responding", [this] { DeleteNonRespondingCommand(Window()); }},
      {"popTest", "prox", [this] { emit proxChosen(); }},
  };
  for (const Item& item : items) {
    QAction* action = menu_->addAction(item.caption);
    action->setObjectName(item.name);
    connect(action, &QAction::triggered, this, item.run);
  }
}

void ListPanel::LoadList() {
  quillet::LoadList(Window(), services_.proxy_fields);
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
