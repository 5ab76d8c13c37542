#pragma once
// The result codes every registry behind the registry class must give, as the Windows registry
// itself gives them: the Linux file registry and the memory registry that the registry class is
// tested on are held to what advapi32 answers. `branch` is a missing key below `root`.
#include <gtest/gtest.h>

#include <string>

#include "browser/registry_api.h"

namespace quillet::testing {

inline void ExpectWindowsResultCodes(RegistryApi& api, RegHandle root, const std::string& branch) {
  constexpr uint32_t kRead = 0x20019, kAll = 0xF003F;  // KEY_READ, KEY_ALL_ACCESS
  RegHandle key = 0;
  EXPECT_EQ(api.OpenKey(root, branch, kRead, key), reg::kFileNotFound);
  uint32_t disposition = 0;
  ASSERT_EQ(api.CreateKey(root, branch + "\\Sub", kAll, key, disposition), reg::kOk);
  EXPECT_EQ(disposition, reg::kCreatedNewKey);
  EXPECT_EQ(api.SetValue(key, "LongName", reg::kTypeString, std::string("data\0", 5)), reg::kOk);
  std::string name, data;
  EXPECT_EQ(api.EnumValue(key, 0, nullptr, 0, nullptr, 0), reg::kOk);
  EXPECT_EQ(api.EnumValue(key, 0, &name, 4, &data, 16), reg::kMoreData);
  EXPECT_EQ(api.EnumValue(key, 0, &name, 9, &data, 16), reg::kOk);
  EXPECT_EQ(name + "=" + data, std::string("LongName=data\0", 14));
  EXPECT_EQ(api.EnumValue(key, 1, nullptr, 0, nullptr, 0), reg::kNoMoreItems);
  EXPECT_EQ(api.EnumKey(key, 0, name, 255), reg::kNoMoreItems);
  EXPECT_EQ(api.DeleteValue(key, "missing"), reg::kFileNotFound);
  EXPECT_EQ(api.CloseKey(key), reg::kOk);

  RegHandle parent = 0;
  ASSERT_EQ(api.CreateKey(root, branch, kAll, parent, disposition), reg::kOk);
  EXPECT_EQ(disposition, reg::kOpenedExistingKey);
  RegKeyInfo info;
  ASSERT_EQ(api.QueryInfoKey(parent, info), reg::kOk);
  EXPECT_EQ(info.max_subkey_name, 3u);
  EXPECT_EQ(api.EnumKey(parent, 0, name, 255), reg::kOk);
  EXPECT_EQ(name, "Sub");
  EXPECT_EQ(api.DeleteKey(parent, "Missing"), reg::kFileNotFound);
  EXPECT_EQ(api.DeleteKey(parent, "Sub"), reg::kOk);
  EXPECT_EQ(api.CloseKey(parent), reg::kOk);
}

}  // namespace quillet::testing
