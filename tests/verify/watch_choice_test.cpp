// Which row takes the applied proxy's place: a choice made from the list alone.
#include <gtest/gtest.h>

#include "verify/watch_choice.h"

namespace quillet {
namespace {

TEST(WatchChoice, bestReplacement_isTheFastestVerifiedRowOfTheSameKindAndAnonymity) {
  ProxyList list;
  auto add = [&](const char* ip, const char* name, const char* status, const char* secure,
                 const char* ping, const char* protocol = "") {
    int row = list.AddRow({"", ip, name, "", "", "", status, secure, ping, ""});
    list.SetProtocolAt(row, protocol);
    return row;
  };
  add("     127.0.1.1:80", "", "OK", "Y", "50");     // the applied proxy itself
  add("127.0.1.2:80", "", "OK", "N", "5");           // fastest, but not anonymous
  add("127.0.1.3:80", "", "--", "", "");             // failed its last check
  add("127.0.1.4:80", "", "OK", "Y", "", "socks5");  // another kind
  int slow = add("", "slow.example:80", "OK", "Y", "40");
  int fast = add("127.0.1.6:80", "", "OK", "Y", "20", "https");  // CONNECT serves HTTP too
  add("127.0.1.7:80", "", "OK", "Y", "20");                      // as fast, but further down

  ProxyFields fields;
  fields.proxy = CheckState::Grey;
  fields.servers = {"127.0.1.1:80", "127.0.1.9:80", "127.0.1.1:80", ""};
  WatchTarget target = *WatchTargetOf(fields);
  target.min_rank = RowRank(list, RowOfAddress(list, ProxyKind::Http, target.address));
  EXPECT_EQ(BestReplacement(list, target), fast);
  list.SetText(fast, kColStatus, "--");
  list.SetText(fast + 1, kColStatus, "--");
  EXPECT_EQ(BestReplacement(list, target), slow);  // by name, without a ping
  target.min_rank = 0;
  EXPECT_EQ(RowAddress(list, BestReplacement(list, target)), "127.0.1.2:80");
  list.SetAnonymityAt(slow, "elite");
  target.min_rank = AnonymityRank("elite");
  EXPECT_EQ(BestReplacement(list, target), slow);
  list.SetText(slow, kColStatus, "403");
  EXPECT_EQ(BestReplacement(list, target), -1);

  ProxyFields switched = WithReplacement(fields, target, "127.0.1.6:80");
  EXPECT_EQ(switched.servers,
            (std::array<std::string, 4>{"127.0.1.6:80", "127.0.1.9:80", "127.0.1.6:80", ""}));
  fields.servers[0].clear();
  fields.socks = "127.0.1.8:1080";
  EXPECT_EQ(WatchTargetOf(fields)->kind, ProxyKind::Socks);
  EXPECT_EQ(BestReplacement(list, *WatchTargetOf(fields)), 4);
  fields.proxy = CheckState::Unchecked;
  EXPECT_FALSE(WatchTargetOf(fields));
}

}  // namespace
}  // namespace quillet
