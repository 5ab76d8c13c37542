#include "ui/qu_settings.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/guarded.h"
#include "ui/qt_user_interface.h"
#include "verify/http_probe.h"

namespace quillet {
namespace {

constexpr int kTypedDigits = 4;  // what the user may type into a number box

QComboBox* EditableCombo(const char* name, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setMinimumContentsLength(40);
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  return combo;
}

QLineEdit* Box(const char* name, int max_length, QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  if (max_length > 0) {
    box->setMaxLength(max_length);
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QString(max_length + 3, '0')));
  }
  return box;
}

void Fill(QComboBox* combo, const std::vector<std::string>& items, const std::string& text) {
  combo->clear();
  for (const std::string& item : items) combo->addItem(ToQt(item));
  combo->setEditText(ToQt(text));
}

// Shows a value the program holds whole, even when it is longer than what the box lets the
// user type (a stored "10000" in a box for four digits); typing stays limited.
void ShowWhole(QLineEdit* box, const std::string& text, int typed_length) {
  box->setMaxLength(std::max<int>(typed_length, int(ToQt(text).size())));
  box->setText(ToQt(text));
}

// A field's label: its buddy (Alt and the underlined letter go to the field), with the field's tip.
QLabel* LabelFor(const char* caption, QWidget* field, const char* tip) {
  auto* label = new QLabel(caption, field->parentWidget());
  label->setBuddy(field);
  label->setToolTip(tip);
  field->setToolTip(tip);
  field->setAccessibleName(label->text().remove('&'));
  return label;
}

// A field with the button that chooses its file beside it.
QHBoxLayout* WithBrowseButton(QWidget* field, QPushButton* browse, const char* name,
                              const char* tip) {
  browse->setObjectName(name);
  browse->setToolTip(tip);
  auto* row = new QHBoxLayout();
  row->addWidget(field, 1);
  row->addWidget(browse);
  return row;
}

QWidget* WithUnit(QLineEdit* box, const char* unit, QWidget* parent) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(box);
  layout->addWidget(new QLabel(unit, row));
  layout->addStretch();
  return row;
}

}  // namespace

QuSettings::QuSettings(SettingsDialogModel& model, Actions actions, QWidget* parent)
    : QDialog(parent), model_(model), actions_(std::move(actions)) {
  setObjectName("QuSettings");
  setWindowTitle("Quillet Settings");
  BuildControls();
  fields_ = model_.Load();
  ShowFields();
}

void QuSettings::BuildControls() {
  auto* main = new QVBoxLayout(this);

  auto* files = new QFormLayout();
  cboFiles_ = EditableCombo("cboFiles", this);
  auto* browse = new QPushButton("&Browse...", this);
  QHBoxLayout* file_row = WithBrowseButton(cboFiles_, browse, "bBrowseList", "Choose a list file");
  files->addRow(LabelFor("Proxy List &File", cboFiles_,
                         "The proxy list file, or the http:// or https:// address of a text list, "
                         "that Reload reads"),
                file_row);
  connect(browse, &QPushButton::clicked, this, &QuSettings::BrowseListFile);
  auto* hint = new QLabel("to load a List File use the List Reload button", this);
  hint->setEnabled(false);
  files->addRow(QString(), hint);
  main->addLayout(files);

  auto* frame1 = new QGroupBox("Search", this);
  frame1->setObjectName("Frame1");
  auto* search = new QFormLayout(frame1);
  cboURLs_ = EditableCombo("cboURLs", frame1);
  txtSearchText_ = Box("txtSearchText", 0, frame1);
  txtFindIP_ = Box("txtFindIP", 0, frame1);
  bCheckJudge_ = new QPushButton("Chec&k", frame1);
  bCheckJudge_->setObjectName("bCheckJudge");
  bCheckJudge_->setToolTip("Fetch the test page without a proxy and say what came back");
  auto* page_row = new QHBoxLayout();
  page_row->addWidget(cboURLs_, 1);
  page_row->addWidget(bCheckJudge_);
  lblJudge_ = new QLabel(frame1);
  lblJudge_->setObjectName("lblJudge");
  search->addRow(LabelFor("Test &Web Page", cboURLs_, "The judge page fetched through each proxy"),
                 page_row);
  search->addRow(QString(), lblJudge_);
  search->addRow(LabelFor("&Return Text", txtSearchText_,
                          "Text the test page holds when a proxy really fetched it"),
                 txtSearchText_);
  search->addRow(LabelFor("I&P", txtFindIP_,
                          "Your own address as the test page shows it (empty: found by itself)"),
                 txtFindIP_);
  txtCountryDb_ = Box("txtCountryDb", 0, frame1);
  txtCountryDb_->setPlaceholderText("searched in the usual places");
  auto* browse_countries = new QPushButton("...", frame1);
  QHBoxLayout* country_row = WithBrowseButton(txtCountryDb_, browse_countries, "bBrowseCountryDb",
                                              "Choose a country database file");
  connect(browse_countries, &QPushButton::clicked, this, &QuSettings::BrowseCountryDatabase);
  search->addRow(LabelFor("Country &database", txtCountryDb_,
                          "The MaxMind-format country database (GeoLite2-Country or DB-IP's) "
                          "that names the country of each proxy"),
                 country_row);
  lblCountry_ = new QLabel(frame1);
  lblCountry_->setObjectName("lblCountry");
  lblCountry_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  search->addRow(QString(), lblCountry_);
  main->addWidget(frame1);

  auto* frame2 = new QGroupBox("Timeout", this);
  frame2->setObjectName("Frame2");
  auto* timeouts = new QFormLayout(frame2);
  txtPing_ = Box("txtPing", kTypedDigits, frame2);
  txtTimeout_ = Box("txtTimeout", kTypedDigits, frame2);
  txtParallel_ = Box("txtParallel", kTypedDigits, frame2);
  cboPingMethod_ = new QComboBox(frame2);
  cboPingMethod_->setObjectName("cboPingMethod");
  cboPingMethod_->setToolTip("How each proxy is pinged before the test page is fetched through it");
  cboPingMethod_->addItem("ICMP echo", "icmp");
  cboPingMethod_->addItem("TCP connect to the proxy's port", "tcp");
  cboPingMethod_->addItem("none", "none");
  timeouts->addRow(LabelFor("Ping b&y", cboPingMethod_, "How each proxy is pinged"),
                   cboPingMethod_);
  timeouts->addRow(LabelFor("Pin&g", txtPing_, "How long to wait for a ping reply"),
                   WithUnit(txtPing_, "ms", frame2));
  timeouts->addRow(
      LabelFor("Test Web P&age", txtTimeout_, "How long to wait for the test page through a proxy"),
      WithUnit(txtTimeout_, "sec", frame2));
  txtThreads_ = Box("txtThreads", kTypedDigits, frame2);
  txtThreads_->setToolTip("How many threads share the checks, each with its own network loop");
  timeouts->addRow(LabelFor("Para&llel", txtParallel_, "How many proxies are checked at once"),
                   WithUnit(txtParallel_, "at once", frame2));
  timeouts->addRow(LabelFor("T&hreads", txtThreads_, "How many threads share those checks"),
                   WithUnit(txtThreads_, "(0 = one per core)", frame2));
  txtWatch_ = Box("txtWatch", kTypedDigits, frame2);
  txtWatch_->setToolTip(
      "Check the applied proxy this often and switch to the best verified row "
      "when it stops working; 0 turns the watch off");
  timeouts->addRow(
      LabelFor("Watch applied proxy e&very", txtWatch_, "How often the applied proxy is checked"),
      WithUnit(txtWatch_, "sec (0 = off)", frame2));
  main->addWidget(frame2);

  frameApply_ = new QGroupBox("Button Apply", this);
  frameApply_->setObjectName("frameApply");
  auto* apply = new QHBoxLayout(frameApply_);
  optNone_ = new QRadioButton("+ &none", frameApply_);
  optExit_ = new QRadioButton("+ E&xit", frameApply_);
  optOpen_ = new QRadioButton(ToQt(OpenBrowserCaption()), frameApply_);
  optNone_->setObjectName("optNone");
  optExit_->setObjectName("optExit");
  optOpen_->setObjectName("optOpen");
  for (QRadioButton* option : {optNone_, optExit_, optOpen_}) apply->addWidget(option);
  main->addWidget(frameApply_);

  auto* extras = new QHBoxLayout();
  bAttachIE_ = new QPushButton(ToQt(ToolbarCaption(false)), this);
  bAttachIE_->setObjectName("bAttachIE");
  bAttachIE_->setToolTip(ToQt(ToolbarTip()));
  lblNewVersion_ = new QLabel(this);
  lblNewVersion_->setObjectName("lblNewVersion");
  lblNewVersion_->setToolTip("Upgrade web page");
  lblNewVersion_->setTextFormat(Qt::RichText);
  lblNewVersion_->hide();
  extras->addWidget(bAttachIE_);
  extras->addStretch();
  extras->addWidget(lblNewVersion_);
  main->addLayout(extras);

  auto* buttons = new QHBoxLayout();
  bSave_ = new QPushButton("&Save", this);
  bSave_->setObjectName("bSave");
  bSave_->setToolTip("Save and apply settings immediately");
  bSave_->setDefault(true);
  bCancel_ = new QPushButton("&Cancel", this);
  bCancel_->setObjectName("bCancel");
  buttons->addStretch();
  buttons->addWidget(bSave_);
  buttons->addWidget(bCancel_);
  main->addLayout(buttons);

  // A store that cannot write is reported like the main window's own settings writes, and the
  // dialog stays open.
  UserInterface& ui = model_.ui();
  connect(bSave_, &QPushButton::clicked, this,
          Guarded(ui, tags::kMainWindowLoad, [this] { OnSave(); }));
  judge_poll_ = new QTimer(this);
  judge_poll_->setInterval(50);
  connect(judge_poll_, &QTimer::timeout, this, &QuSettings::ShowJudgeCheck);
  connect(bCheckJudge_, &QPushButton::clicked, this,
          Guarded(ui, tags::kMainWindowLoad, [this] { OnCheckJudge(); }));
  bCheckJudge_->setVisible(static_cast<bool>(actions_.visit_judge));
  connect(bCancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(bAttachIE_, &QPushButton::clicked, this, Guarded(ui, tags::kMainWindowLoad, [this] {
            if (!actions_.toggle_toolbar) return;
            if (auto caption = actions_.toggle_toolbar(model_)) bAttachIE_->setText(ToQt(*caption));
          }));
  connect(lblNewVersion_, &QLabel::linkActivated, this, Guarded(ui, tags::kUpgradeLink, [this] {
            if (actions_.open_upgrade_page) actions_.open_upgrade_page();
          }));
}

void QuSettings::ShowFields() {
  setWindowTitle(ToQt(fields_.title));
  Fill(cboFiles_, fields_.list_files, fields_.list_file);
  Fill(cboURLs_, fields_.test_pages, fields_.test_page);
  txtSearchText_->setText(ToQt(fields_.search_text));
  txtFindIP_->setText(ToQt(fields_.find_ip));
  txtCountryDb_->setText(ToQt(fields_.country_database));
  lblCountry_->setText(ToQt(fields_.country_line));
  ShowWhole(txtPing_, fields_.ping, kTypedDigits);
  ShowWhole(txtTimeout_, fields_.timeout, kTypedDigits);
  ShowWhole(txtParallel_, fields_.parallel, kTypedDigits);
  ShowWhole(txtThreads_, fields_.threads, kTypedDigits);
  cboPingMethod_->setCurrentIndex(std::max(cboPingMethod_->findData(ToQt(fields_.ping_method)), 0));
  ShowWhole(txtWatch_, fields_.watch_seconds, kTypedDigits);
  optNone_->setChecked(fields_.apply_choice != 1 && fields_.apply_choice != 2);
  optExit_->setChecked(fields_.apply_choice == 1);
  optOpen_->setChecked(fields_.apply_choice == 2);
  bAttachIE_->setText(ToQt(fields_.toolbar_caption));
  bAttachIE_->setVisible(fields_.browser_controls);
  frameApply_->setVisible(fields_.browser_controls);
  lblNewVersion_->setText("<a href=\"upgrade\">" + ToQt(fields_.upgrade_caption).toHtmlEscaped() +
                          "</a>");
  lblNewVersion_->setVisible(fields_.upgrade_visible);
}

void QuSettings::BrowseListFile() {
  QString current = cboFiles_->currentText();
  QString chosen = QFileDialog::getOpenFileName(this, "Proxy List File", current,
                                                "Proxy lists (*.txt);;All files (*)");
  if (!chosen.isEmpty()) cboFiles_->setEditText(QDir::toNativeSeparators(chosen));
}

void QuSettings::BrowseCountryDatabase() {
  QString chosen = QFileDialog::getOpenFileName(this, "Country Database", txtCountryDb_->text(),
                                                "MaxMind databases (*.mmdb);;All files (*)");
  if (!chosen.isEmpty()) txtCountryDb_->setText(QDir::toNativeSeparators(chosen));
}

void QuSettings::ReadFields() {
  fields_.list_file = FromQt(cboFiles_->currentText());
  fields_.test_page = FromQt(cboURLs_->currentText());
  fields_.search_text = FromQt(txtSearchText_->text());
  fields_.find_ip = FromQt(txtFindIP_->text());
  fields_.country_database = FromQt(txtCountryDb_->text());
  fields_.ping = FromQt(txtPing_->text());
  fields_.timeout = FromQt(txtTimeout_->text());
  fields_.parallel = FromQt(txtParallel_->text());
  fields_.threads = FromQt(txtThreads_->text());
  fields_.ping_method = FromQt(cboPingMethod_->currentData().toString());
  fields_.watch_seconds = FromQt(txtWatch_->text());
  fields_.apply_choice = optExit_->isChecked() ? 1 : optOpen_->isChecked() ? 2 : 0;
}

void QuSettings::OnSave() {
  ReadFields();
  std::optional<std::string> caption = model_.Save(fields_);
  txtSearchText_->setText(ToQt(fields_.search_text));
  txtFindIP_->setText(ToQt(fields_.find_ip));
  lblCountry_->setText(ToQt(fields_.country_line));
  if (!caption) return;
  apply_caption_ = *caption;
  accept();
}

QuSettings::~QuSettings() {
  judge_cancel_ = true;
  if (judge_visit_.valid()) judge_visit_.wait();
}

// The check runs on a thread of its own; the dialog stays usable and shows the line when the
// visit has ended.
void QuSettings::OnCheckJudge() {
  if (judge_visit_.valid()) return;
  checked_page_ = FromQt(cboURLs_->currentText());
  if (std::string problem = TestPageProblem(checked_page_); !problem.empty()) {
    lblJudge_->setText(ToQt("This test page cannot be used: " + problem + "."));
    return;
  }
  lblJudge_->setText("Checking " + ToQt(checked_page_) + " ...");
  bCheckJudge_->setEnabled(false);
  judge_visit_ =
      std::async(std::launch::async, actions_.visit_judge, checked_page_, &judge_cancel_);
  judge_poll_->start();
}

void QuSettings::ShowJudgeCheck() {
  using namespace std::chrono_literals;
  if (!judge_visit_.valid() || judge_visit_.wait_for(0ms) != std::future_status::ready) return;
  judge_poll_->stop();
  DirectVisit visit = judge_visit_.get();
  lblJudge_->setText(ToQt(JudgeCheckLine(visit, FromQt(txtSearchText_->text()))));
  bCheckJudge_->setEnabled(true);
  if (actions_.judge_visited) actions_.judge_visited(checked_page_, visit);
}

}  // namespace quillet
