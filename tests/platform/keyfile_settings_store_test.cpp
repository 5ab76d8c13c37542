#include "platform/posix/keyfile_settings_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/errors.h"
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
