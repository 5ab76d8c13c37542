#pragma once
#include <QDialog>
#include <optional>

#include "proxylist/list_window.h"

class QLabel;
class QRadioButton;

namespace quillet {

// The small secondary window. Before the main window has loaded (no own address known yet) it
// is the loading notice and shows only "Quillet loading List File...". Opened from "Set Color"
// it is the colour picker: each click on a colour button colours the selected rows at once.
class Qucolor : public QDialog {
  Q_OBJECT
 public:
  explicit Qucolor(bool loading_notice, QWidget* parent = nullptr);
  // The colour picker over the main window's list.
  Qucolor(ListWindow window, QWidget* parent);

 private:
  void BuildPicker();

  QLabel* txtMsg_;
  std::optional<ListWindow> window_;  // the list coloured (the picker role only)
  QRadioButton* option_text_ = nullptr;
};

}  // namespace quillet
