#pragma once
// The upper part of the main window: the connection, the proxy per protocol, the bypass list
// and Apply. A view over the browser's proxy settings; the rules live in browser/.
#include <QWidget>
#include <array>

#include "app/app_settings.h"
#include "app/proxy_fields.h"
#include "browser/apply.h"
#include "browser/connection_list.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quillet {

class ProxyPanel : public QWidget, public ProxyFieldsView {
  Q_OBJECT
 public:
  struct Services {
    ConnectionProxyComponent& component;
    BrowserPickup& browser;
    Shell& shell;
    Phonebook& phonebook;
    UserInterface& ui;
    AppSettings& settings;
  };

  explicit ProxyPanel(Services services, QWidget* parent = nullptr);

  ProxyFields Fields() const override;
  void SetFields(const ProxyFields& fields) override;

  // The main window's load: the connections and the local network's settings.
  void Load();
  void SetApplyCaption(const std::string& caption);
  // Apply as the button does it, but never ending the program nor opening the browser (the watch
  // switching to another proxy). False when it failed (and was reported).
  bool ApplyInPlace();

 signals:
  // After a successful Apply: whether the program ends now (apply modes 1 and 2).
  void applied(bool exit_program);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void UpdateColours();
  void OnConnectionPicked();
  void OnApply();
  ApplyOutcome Apply(int apply_mode);
  void OnRestore();
  void UpdateRestore();

  Services services_;
  QLabel* Label1_;
  QComboBox* cboConn_;
  QCheckBox* chkProxy_;
  // The four protocols' option buttons and fields, then SOCKS's (index kSocksProtocol).
  static constexpr int kFieldCount = 5;
  std::array<QRadioButton*, kFieldCount> Option1_;
  std::array<QLineEdit*, kFieldCount> sOldProxy_;
  QCheckBox* chkSame_;
  QLabel* Label2_;
  QLineEdit* txtBypass_;
  QCheckBox* chkBypass_;
  QPushButton* bApply_;
  QPushButton* bRestore_;
};

}  // namespace quillet
