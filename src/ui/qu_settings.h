#pragma once
#include <QDialog>
#include <functional>

#include "app/settings_dialog_model.h"

class QComboBox;
class QLineEdit;
class QRadioButton;
class QPushButton;
class QLabel;
class QGroupBox;

namespace quillet {

// The settings dialog: a view over SettingsDialogModel.
class QuSettings : public QDialog {
  Q_OBJECT
 public:
  struct Actions {
    // Creates or removes the browser toolbar button; gets the model to update its state and
    // returns the new caption, or nothing when the state did not change.
    std::function<std::optional<std::string>(SettingsDialogModel&)> toggle_toolbar;
    // Opens the upgrade web page.
    std::function<void()> open_upgrade_page;
  };

  QuSettings(SettingsDialogModel& model, Actions actions, QWidget* parent = nullptr);

  // The Apply caption chosen by the last successful Save (empty when the dialog was cancelled).
  const std::string& apply_caption() const { return apply_caption_; }

 private:
  void BuildControls();
  void ShowFields();
  void ReadFields();
  void OnSave();

  SettingsDialogModel& model_;
  Actions actions_;
  SettingsDialogFields fields_;
  std::string apply_caption_;

  QComboBox* cboFiles_;
  QComboBox* cboURLs_;
  QLineEdit* txtSearchText_;
  QLineEdit* txtFindIP_;
  QLineEdit* txtPing_;
  QLineEdit* txtTimeout_;
  QLineEdit* txtParallel_;
  QGroupBox* frameApply_;
  QRadioButton* optNone_;
  QRadioButton* optExit_;
  QRadioButton* optOpen_;
  QPushButton* bAttachIE_;
  QPushButton* bSave_;
  QPushButton* bCancel_;
  QLabel* lblNewVersion_;
};

}  // namespace quillet
