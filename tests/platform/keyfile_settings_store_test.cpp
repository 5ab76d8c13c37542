#include "platform/posix/keyfile_settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/errors.h"
#include "fakes/store_and_lock_contracts.h"
#include "fakes/temp_dir.h"
#include "platform/posix/lock_file_instance.h"

namespace quillet {
namespace {

namespace fs = std::filesystem;

class KeyFileStoreTest : public ::testing::Test {
 protected:
  testing::TempDir temp_;
  const fs::path& dir_ = temp_.path();
  std::string path_ = (dir_ / "Brasklet" / "Quillet.conf").string();
};

TEST_F(KeyFileStoreTest, valuesSurviveARestartExactly) {
  testing::ExpectSettingsSurviveARestart(
      [&] { return std::make_unique<KeyFileSettingsStore>(path_); });
}

TEST_F(KeyFileStoreTest, anUnreadableFileIsKeptAsideAndExplained) {
  fs::create_directories(fs::path(path_).parent_path());
  std::ofstream(path_) << "this is [not a key file\n\x01\x02";
  KeyFileSettingsStore store(path_);
  EXPECT_NE(store.OpenProblem().find("could not be read"), std::string::npos);
  EXPECT_NE(store.OpenProblem().find(".unreadable-"), std::string::npos);
  EXPECT_FALSE(store.Contains("ping"));
  int kept = 0;
  for (auto& entry : fs::directory_iterator(fs::path(path_).parent_path())) {
    if (entry.path().string().find(".unreadable-") != std::string::npos) ++kept;
  }
  EXPECT_EQ(kept, 1);
  store.Save("ping", "1");  // the store still works
  EXPECT_EQ(KeyFileSettingsStore(path_).Read("ping", ""), "1");
}

TEST_F(KeyFileStoreTest, aSaveThatCannotBeWrittenRaisesARunTimeError) {
  fs::create_directories(dir_);
  std::ofstream(dir_ / "Brasklet") << "a file where the folder should be";
  KeyFileSettingsStore store(path_);
  EXPECT_THROW(store.Save("ping", "1"), RunTimeError);
}

TEST_F(KeyFileStoreTest, onlyOneHolderOfTheInstanceLock) {
  std::string lock_path = (dir_ / "quillet.lock").string();
  testing::ExpectOneHolderOfTheInstanceLock(
      [&] { return std::make_unique<LockFileInstance>(lock_path); });
}

}  // namespace
}  // namespace quillet
