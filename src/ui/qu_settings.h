#pragma once
#include <QDialog>
#include <atomic>
#include <functional>
#include <future>

#include "app/settings_dialog_model.h"
#include "verify/public_address.h"

class QComboBox;
class QLineEdit;
class QRadioButton;
class QPushButton;
class QLabel;
class QGroupBox;
class QTimer;

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
    // Visits a test page as typed, without a proxy; runs away from the window's thread.
    std::function<DirectVisit(const std::string& page, const std::atomic<bool>* cancel)>
        visit_judge = nullptr;
    // Told on the window's thread what the visit of a page found.
    std::function<void(const std::string& page, const DirectVisit& visit)> judge_visited = nullptr;
  };

  QuSettings(SettingsDialogModel& model, Actions actions, QWidget* parent = nullptr);
  // Drops a judge check still going.
  ~QuSettings() override;

  // The Apply caption chosen by the last successful Save (empty when the dialog was cancelled).
  const std::string& apply_caption() const { return apply_caption_; }

 private:
  void BuildControls();
  void ShowFields();
  void ReadFields();
  // The Browse button: a file chooser for the list file.
  void BrowseListFile();
  // The button beside the country database: a file chooser for it.
  void BrowseCountryDatabase();
  void OnSave();
  void OnCheckJudge();
  void ShowJudgeCheck();

  SettingsDialogModel& model_;
  Actions actions_;
  SettingsDialogFields fields_;
  std::string apply_caption_;

  QComboBox* cboFiles_;
  QComboBox* cboURLs_;
  QLineEdit* txtSearchText_;
  QLineEdit* txtFindIP_;
  QLineEdit* txtCountryDb_;
  QLabel* lblCountry_;
  QLineEdit* txtPing_;
  QLineEdit* txtTimeout_;
  QLineEdit* txtParallel_;
  QLineEdit* txtThreads_;
  QComboBox* cboPingMethod_;
  QLineEdit* txtWatch_;
  QGroupBox* frameApply_;
  QRadioButton* optNone_;
  QRadioButton* optExit_;
  QRadioButton* optOpen_;
  QPushButton* bAttachIE_;
  QPushButton* bSave_;
  QPushButton* bCancel_;
  QLabel* lblNewVersion_;
  QPushButton* bCheckJudge_;
  QLabel* lblJudge_;
  QTimer* judge_poll_;
  std::string checked_page_;
  std::future<DirectVisit> judge_visit_;
  std::atomic<bool> judge_cancel_{false};
};

}  // namespace quillet
