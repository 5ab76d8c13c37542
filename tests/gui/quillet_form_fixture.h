#pragma once
// The whole main window offscreen, over the real Linux adapters in temporary folders, with the
// user, the settings store, the name service and the proxy settings scripted.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <fstream>
#include <stdexcept>

#include "fakes/fake_resolver.h"
#include "fakes/fake_user_interface.h"
#include "fakes/memory_connection_proxy.h"
#include "fakes/memory_settings_store.h"
#include "fakes/offscreen_app.h"
#include "fakes/temp_dir.h"
#include "proxylist/atomic_file.h"
#include "ui/list_grid_view.h"
#include "ui/proxy_table_model.h"
#include "ui/quillet_form.h"

namespace quillet::testing {

// A user whose clipboard can fail to open, and whose window can turn while the program yields.
struct User : FakeUserInterface {
  bool clipboard_fails = false;
  bool turns_event_loop = false;
  void ProcessPendingEvents() override {
    if (turns_event_loop) QCoreApplication::processEvents();
    FakeUserInterface::ProcessPendingEvents();
  }
  void SetClipboardText(const std::string& text) override {
    if (clipboard_fails) throw std::runtime_error("Can't open clipboard");
    FakeUserInterface::SetClipboardText(text);
  }
};

class QuilletFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OffscreenApp();
    platform_ = MakePlatform();
    auto store = std::make_unique<MemorySettingsStore>();
    store_ = store.get();
    store_->values = {{"TestURL", "judge.example/env"}, {"ping", "900"}};
    platform_->settings = std::move(store);
    auto component = std::make_unique<MemoryConnectionProxy>();
    component->Put("", "127.0.1.12:8888", 2);
    platform_->connection_proxy = std::move(component);
    auto resolver = std::make_unique<FakeResolver>();
    resolver_ = resolver.get();
    resolver->addresses["quillet-test"] = {"10.9.8.1", "10.9.8.7"};
    UseResolver(std::move(resolver));

    settings_.ListFile = temp_ / "list.txt";
    std::ofstream(settings_.ListFile, std::ios::binary)
        << "' list\r\n127.0.1.11:8888\r\n127.0.1.12:8888\r\n127.0.1.13:8888\r\n";
  }

  // The window looks names up through `resolver`; the checks keep the real name service, which
  // their backend was made with (so it stays alive).
  void UseResolver(std::unique_ptr<Resolver> resolver) {
    if (!real_resolver_) real_resolver_ = std::move(platform_->resolver);
    platform_->resolver = std::move(resolver);
  }

  QuilletForm& Open() {
    tester_.reset();
    form_ = std::make_unique<QuilletForm>(*platform_, settings_, ui_);
    // Every change the tests make through the list reaches the view as a well-formed model.
    tester_ = std::make_unique<QAbstractItemModelTester>(
        Grid()->model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    return *form_;
  }
  template <class Widget>
  Widget* Find(const char* name) {
    return form_->findChild<Widget*>(name);
  }
  std::string ListText() { return ReadFileBytes(settings_.ListFile); }
  ListGridView* Grid() { return Find<ListGridView>("MSFlexGrid1"); }
  QModelIndex Index(int grid_row, int col) {
    return Grid()->model()->index(ProxyTableModel::ModelRow(grid_row), col);
  }
  QPoint RowPoint(int grid_row, int col = kColComment) {
    return Grid()->visualRect(Index(grid_row, col)).center();
  }
  bool DrawnSelected(int grid_row, int col) {
    return Index(grid_row, col).data(Qt::ForegroundRole).value<QColor>() ==
           QApplication::palette().color(QPalette::HighlightedText);
  }
  QAction* Item(const char* name) { return Find<QMenu>("popMenu")->findChild<QAction*>(name); }
  // A right-click on a row (row 0: on the column's title; col -1: right of every column) that
  // chooses the named popup item.
  void Choose(const char* item, int grid_row, int col = kColComment) {
    Grid()->on_popup_menu = [this, item](const QPoint&) { Item(item)->trigger(); };
    if (grid_row > 0)
      return QTest::mousePress(Grid()->viewport(), Qt::RightButton, {}, RowPoint(grid_row, col));
    QHeaderView* header = Grid()->horizontalHeader();
    QTest::mousePress(
        header->viewport(), Qt::RightButton, {},
        {col < 0 ? header->length() + 20 : header->sectionViewportPosition(col) + 5, 5});
  }
  std::string Cell(int row, int col, int role = Qt::DisplayRole) {
    return Index(row, col).data(role).toString().toStdString();
  }
  // The window's close box: true when the window agreed to close.
  bool CloseBox() {
    QCloseEvent event;
    QCoreApplication::sendEvent(form_.get(), &event);
    return event.isAccepted();
  }

  TempDir temp_;
  std::unique_ptr<Resolver> real_resolver_;  // outlives the platform's backend, made with it
  std::unique_ptr<Platform> platform_;
  MemorySettingsStore* store_ = nullptr;
  FakeResolver* resolver_ = nullptr;
  AppSettings settings_;
  User ui_;
  std::unique_ptr<QuilletForm> form_;
  std::unique_ptr<QAbstractItemModelTester> tester_;
};

}  // namespace quillet::testing
