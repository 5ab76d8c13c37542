// Which row takes the applied proxy's place: a choice made from the list alone.
#include <gtest/gtest.h>

#include "verify/watch_choice.h"

namespace quillet {
namespace {

TEST(WatchChoice, bestReplacement_isTheFastestVerifiedRowOfTheSameKindAndAnonymity) {
  ProxyList list;
  for (auto [ip, status, secure, ping, protocol] : std::vector<std::array<const char*, 5>>{
           {"     127.0.1.1:80", "OK", "Y", "50", ""},  // 1: the applied proxy itself
           {"127.0.1.2:80", "OK", "N", "5", ""},        // 2: fastest, but not anonymous
           {"127.0.1.3:80", "--", "", "", ""},          // 3: failed its last check
           {"127.0.1.4:80", "OK", "Y", "", "socks5"},   // 4: another kind
           {"", "OK", "Y", "40", ""},                   // 5: by name, slow.example:80
           {"127.0.1.6:80", "OK", "Y", "20", "https"},  // 6: CONNECT serves HTTP too
           {"127.0.1.7:80", "OK", "Y", "20", ""}}) {    // 7: as fast, but further down
    int row = list.AddRow({"", ip, *ip ? "" : "slow.example:80", "", "", "", status, secure, ping});
    list.SetProtocolAt(row, protocol);
  }
  ProxyFields fields;
  fields.proxy = CheckState::Grey;
  fields.servers = {"127.0.1.1:80", "127.0.1.9:80", "127.0.1.1:80", ""};
  WatchTarget target = *WatchTargetOf(fields);
  target.min_rank = RowRank(list, RowOfAddress(list, ProxyKind::Http, target.address));
  EXPECT_EQ(BestReplacement(list, target), 6);
  list.SetText(6, kColStatus, "--");
  list.SetText(7, kColStatus, "--");
  EXPECT_EQ(BestReplacement(list, target), 5);
  target.min_rank = 0;
  EXPECT_EQ(RowAddress(list, BestReplacement(list, target)), "127.0.1.2:80");
  list.SetAnonymityAt(5, "elite");
  target.min_rank = AnonymityRank("elite");
  EXPECT_EQ(BestReplacement(list, target), 5);
  list.SetText(5, kColStatus, "403");
  EXPECT_EQ(BestReplacement(list, target), -1);

  EXPECT_EQ(WithReplacement(fields, target, "127.0.1.6:80").servers,
            (std::array<std::string, 4>{"127.0.1.6:80", "127.0.1.9:80", "127.0.1.6:80", ""}));
  fields.socks = "127.0.1.8:1080";
  fields.servers[0].clear();
  EXPECT_EQ(BestReplacement(list, *WatchTargetOf(fields)), 4);
  fields.proxy = CheckState::Unchecked;
  EXPECT_FALSE(WatchTargetOf(fields));
}

}  // namespace
}  // namespace quillet
