#pragma once
// What both platforms' settings stores and instance locks must do, checked the same way against
// the Linux key file / lock file and the Windows registry / named mutex. `open` makes a new
// object over the same place each time, as a restart of the program would.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/instance_lock.h"
#include "app/settings_store.h"

namespace quillet::testing {

inline void ExpectSettingsSurviveARestart(
    const std::function<std::unique_ptr<SettingsStore>()>& open) {
  const std::string odd = " lead; trail \\ \"quoted\" =x= [g] #c \xc3\xa9 ";
  {
    auto store = open();
    EXPECT_EQ(store->OpenProblem() + store->Read("ping", "2500"), "2500")
        << "nothing stored yet is no problem";
    EXPECT_FALSE(store->Contains("ping"));
    store->Save("ping", "900");
    store->Save("ComboURLs", odd);
    store->Save("FindIP", "");
    store->Save("GUID4ie", "{X}");
    store->Delete("GUID4ie");
    store->Delete("never-written");
  }
  auto again = open();
  EXPECT_EQ(again->OpenProblem() + "|" + again->Read("ping", "") + "|" +
                again->Read("ComboURLs", "") + "|" + again->Read("FindIP", "default") + "|" +
                again->Read("GUID4ie", "none"),
            "|900|" + odd + "||none");
  EXPECT_TRUE(again->Contains("FindIP")) << "an empty value still exists";
  EXPECT_FALSE(again->Contains("GUID4ie"));
}

inline void ExpectOneHolderOfTheInstanceLock(
    const std::function<std::unique_ptr<InstanceLock>()>& open) {
  {
    auto first = open();
    auto second = open();
    EXPECT_TRUE(first->Acquire());
    EXPECT_TRUE(first->Acquire());  // asking again keeps the lock
    EXPECT_FALSE(second->Acquire());
  }
  EXPECT_TRUE(open()->Acquire());  // released when the holder went away
}

}  // namespace quillet::testing
