#pragma once
// The labels at the edge of the main window (Frame1): the product name, the Java indicator, the
// version, the maker's and the help links, with the Settings and Cancel buttons below them.
#include <QGroupBox>

class QCheckBox;
class QLabel;
class QPushButton;

namespace quillet {

class EdgePanel : public QGroupBox {
  Q_OBJECT
 public:
  explicit EdgePanel(QWidget* parent = nullptr);

  void ShowJava(bool on);
  // Without browser settings to write, the Java indicator goes too.
  void HideBrowserControls();
  void ShowVersion(const QString& text);
  // After a successful Apply that keeps the program open, Cancel becomes Exit.
  void TurnCancelIntoExit();
  QPushButton* exitButton() const { return bExit_; }

 signals:
  void settingsClicked();
  void exitClicked();
  void makerLinkClicked();
  void helpLinkClicked();

 private:
  QLabel* Label3_;
  QLabel* lblJava_;
  QLabel* lblJava2_;
  QCheckBox* chkJava_;
  QLabel* lblVersion_;
  QLabel* lblBrask_;
  QLabel* lblHelp_;
  QPushButton* bSettings_;
  QPushButton* bExit_;
};

}  // namespace quillet
