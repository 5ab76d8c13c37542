#include "platform/posix/keyfile_settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/errors.h"
#include "fakes/store_and_lock_contracts.h"
#include "fakes/temp_dir.h"
#include "platform/posix/key_file_registry.h"
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

// Damaged registry files must neither crash nor hang the start: each is moved aside and said.
TEST_F(KeyFileStoreTest, aDamagedRegistryFileIsKeptAsideAndExplained) {
  std::string deep = "[HKEY_CURRENT_USER";
  for (int i = 0; i < 600; ++i) deep += "\\k";
  const std::pair<const char*, std::string> kDamaged[] = {
      {"odd hexadecimal", "[s]\nValues=2\nBytes1=t1\n"},
      {"not hexadecimal", "[HKEY_CURRENT_USER\\a]\nValues=1\nBytes0=zz\n"},
      {"far too many values", "[s]\nValues=2147483647\n"},
      {"a count that is no number", "[s]\nValues=many\n"},
      {"keys too deep", deep + "]\nValues=0\n"},
      {"too large", "[s]\n#" + std::string(kMaxKeyFileBytes, 'x') + "\n"}};
  std::string path = (dir_ / "Registry.conf").string();
  for (const auto& [what, text] : kDamaged) {
    std::ofstream(path) << text;
    KeyFileRegistry registry(path);
    EXPECT_TRUE(registry.OpenProblem().find("could not be read") != std::string::npos &&
                registry.Keys().empty() && !fs::exists(path))
        << what << ": " << registry.OpenProblem();
    for (auto& entry : fs::directory_iterator(dir_)) fs::remove(entry.path());
  }
  std::ofstream(path) << "[HKEY_CURRENT_USER\\a]\nValues=1\nName0=v\nType0=4\nBytes0=01000000\n";
  KeyFileRegistry sound(path);
  EXPECT_EQ(sound.OpenProblem(), "");
  ASSERT_EQ(sound.Keys().size(), 1u);
  EXPECT_EQ(sound.Keys()[0].values[0].data, std::string("\x01\0\0\0", 4));
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
