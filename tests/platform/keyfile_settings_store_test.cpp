#include "platform/posix/keyfile_settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/errors.h"
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

int KeptAside(const fs::path& folder) {
  int kept = 0;
  for (auto& entry : fs::directory_iterator(folder))
    kept += entry.path().string().find(".unreadable-") != std::string::npos;
  return kept;
}

TEST_F(KeyFileStoreTest, valuesSurviveARestartExactly) {
  const std::string odd = " lead; trail \\ \"quoted\" =x= [g] #c \xc3\xa9 ";
  {
    KeyFileSettingsStore store(path_);
    EXPECT_FALSE(store.Contains("ping"));
    EXPECT_EQ(store.Read("ping", "2500"), "2500");
    store.Save("ping", "900");
    store.Save("ComboURLs", odd);
    store.Save("FindIP", "");
    store.Save("GUID4ie", "{X}");
    store.Delete("GUID4ie");
  }
  KeyFileSettingsStore again(path_);
  EXPECT_EQ(again.OpenProblem(), "");
  EXPECT_EQ(again.Read("ping", ""), "900");
  EXPECT_EQ(again.Read("ComboURLs", ""), odd);
  EXPECT_TRUE(again.Contains("FindIP"));  // an empty value still exists
  EXPECT_EQ(again.Read("FindIP", "default"), "");
  EXPECT_FALSE(again.Contains("GUID4ie"));
}

TEST_F(KeyFileStoreTest, anUnreadableFileIsKeptAsideAndExplained) {
  fs::create_directories(fs::path(path_).parent_path());
  std::ofstream(path_) << "this is [not a key file\n\x01\x02";
  KeyFileSettingsStore store(path_);
  EXPECT_NE(store.OpenProblem().find("could not be read"), std::string::npos);
  EXPECT_NE(store.OpenProblem().find(".unreadable-"), std::string::npos);
  EXPECT_FALSE(store.Contains("ping"));
  EXPECT_EQ(KeptAside(fs::path(path_).parent_path()), 1);
  store.Save("ping", "1");  // the store still works
  EXPECT_EQ(KeyFileSettingsStore(path_).Read("ping", ""), "1");
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
    EXPECT_NE(registry.OpenProblem().find("could not be read"), std::string::npos) << what;
    EXPECT_TRUE(registry.Keys().empty()) << what;
    EXPECT_FALSE(fs::exists(path)) << what;
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
  fs::create_directories(dir_);
  std::string lock_path = (dir_ / "quillet.lock").string();
  {
    LockFileInstance first(lock_path);
    LockFileInstance second(lock_path);
    EXPECT_TRUE(first.Acquire());
    EXPECT_FALSE(second.Acquire());
  }
  LockFileInstance after(lock_path);
  EXPECT_TRUE(after.Acquire());  // released when the holder went away
}

}  // namespace
}  // namespace quillet
