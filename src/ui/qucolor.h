#pragma once
#include <QWidget>

class QLabel;

namespace quillet {

// The small secondary window. Before the main window has loaded (no own address known yet) it
// is the loading notice and shows only "Quillet loading List File...".
class Qucolor : public QWidget {
  Q_OBJECT
 public:
  explicit Qucolor(bool loading_notice, QWidget* parent = nullptr);

 private:
  QLabel* txtMsg_;
};

}  // namespace quillet
