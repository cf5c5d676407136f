#include <gtest/gtest.h>

#include <vector>

#include "base/pooled_list.h"
#include "base/pooled_map.h"

namespace vadro {
namespace {

std::vector<std::int32_t> Values(const PooledList& list) {
  std::vector<std::int32_t> values;
  for (const PooledList::Node* node = list.Head(); node != nullptr; node = node->next)
    values.push_back(node->value);
  return values;
}

TEST(PooledList, AllocatesOneBlockPerTenNodes) {
  PooledList list;
  EXPECT_EQ(list.BlockCount(), 0);
  PooledList::Node* first = list.AddTail(25);
  EXPECT_EQ(list.Head(), first);
  EXPECT_EQ(list.Tail(), first);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.BlockCount(), 1);
  for (int i = 0; i < 9; ++i) list.AddTail(i);
  EXPECT_EQ(list.BlockCount(), 1);
  list.AddTail(99);
  EXPECT_EQ(list.BlockCount(), 2);
  EXPECT_EQ(list.Count(), 11);
  EXPECT_EQ(Values(list), (std::vector<std::int32_t>{25, 0, 1, 2, 3, 4, 5, 6, 7, 8, 99}));

  PooledList small(3);
  for (int i = 0; i < 7; ++i) small.AddTail(i);
  EXPECT_EQ(small.BlockCount(), 3);
  EXPECT_EQ(Values(small), (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(PooledList, NodesOfABlockComeInAscendingAddressOrderAndLinkBothWays) {
  PooledList list;
  std::vector<PooledList::Node*> nodes;
  nodes.reserve(10);
  for (int i = 0; i < 10; ++i) nodes.push_back(list.AddTail(i));
  for (int i = 1; i < 10; ++i) {
    EXPECT_EQ(nodes[i] - nodes[i - 1], 1) << "node " << i;
    EXPECT_EQ(nodes[i]->prev, nodes[i - 1]);
    EXPECT_EQ(nodes[i - 1]->next, nodes[i]);
  }
  EXPECT_EQ(nodes[0]->prev, nullptr);
  EXPECT_EQ(nodes[9]->next, nullptr);
}

TEST(PooledList, NewNodeTakesFromThePoolWithoutLinking) {
  PooledList list;
  list.AddTail(1);
  PooledList::Node* loose = list.NewNode(list.Tail(), nullptr);
  EXPECT_EQ(loose->value, 0);
  EXPECT_EQ(loose->prev, list.Tail());
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Head()->next, nullptr);
  EXPECT_EQ(list.Tail(), list.Head());
}

TEST(PooledList, RemoveAllGivesBackEveryBlock) {
  PooledList list;
  for (int i = 0; i < 25; ++i) list.AddTail(i);
  EXPECT_EQ(list.BlockCount(), 3);
  list.RemoveAll();
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.Head(), nullptr);
  EXPECT_EQ(list.Tail(), nullptr);
  EXPECT_EQ(list.BlockCount(), 0);
  list.AddTail(7);
  EXPECT_EQ(list.BlockCount(), 1);
  EXPECT_EQ(list.Head()->next, nullptr);  // a fresh node, not a stale link into a freed block
  EXPECT_EQ(Values(list), std::vector<std::int32_t>{7});
}

TEST(PooledMap, HashesTheKeyWithoutItsLowFourBits) {
  PooledMap map;
  EXPECT_EQ(map.BucketCount(), 17u);
  for (std::int32_t key = 1; key <= 15; ++key) EXPECT_EQ(map.BucketOf(key), 0u) << key;
  EXPECT_EQ(map.BucketOf(16), 1u);
  EXPECT_EQ(map.BucketOf(17), 1u);
  EXPECT_EQ(map.BucketOf(127), 7u);
  EXPECT_EQ(map.BucketOf(272), 0u);
  EXPECT_EQ(map.BucketOf(-1), 15u);
}

TEST(PooledMap, ValueForInsertsOnceAndReturnsTheSameSlot) {
  PooledMap map;
  std::int32_t& slot = map.ValueFor(3);
  EXPECT_EQ(slot, 0);
  EXPECT_EQ(map.Count(), 1);
  slot = 1001;
  std::int32_t& again = map.ValueFor(3);
  EXPECT_EQ(&again, &slot);
  EXPECT_EQ(again, 1001);
  EXPECT_EQ(map.Count(), 1);
  map.ValueFor(3) = 1002;
  std::int32_t value = 0;
  ASSERT_TRUE(map.Lookup(3, value));
  EXPECT_EQ(value, 1002);
}

std::int32_t ValueOf(std::int32_t key) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(key) * 3u + 1u);
}

TEST(PooledMap, LookupFindsEveryKeyOfACrowdedBucketAndNeverInserts) {
  PooledMap map;
  std::int32_t value = -5;
  EXPECT_FALSE(map.Lookup(1, value));
  EXPECT_FALSE(map.HasBuckets());
  EXPECT_EQ(value, -5);

  const std::int32_t keys[] = {1, 2, 15, 16, 17, 127, 272, -1, 0, 289, 0x7fffffff, -2147483647 - 1};
  std::int32_t n = 0;
  for (std::int32_t key : keys) map.ValueFor(key) = ValueOf(key);
  for (std::int32_t key : keys) {
    ASSERT_TRUE(map.Lookup(key, value)) << key;
    EXPECT_EQ(value, ValueOf(key)) << key;
    ++n;
  }
  EXPECT_EQ(map.Count(), n);
  EXPECT_EQ(map.BlockCount(), 2);
  EXPECT_FALSE(map.Lookup(3, value));
  EXPECT_FALSE(map.Lookup(18, value));  // same bucket as 16 and 17
  EXPECT_EQ(map.Count(), n);
}

TEST(PooledMap, RemoveAllKeepsTheBucketCountAndReallocatesLazily) {
  PooledMap map;
  for (std::int32_t bank = 1; bank <= 21; ++bank) map.ValueFor(bank) = 100 + bank;
  EXPECT_EQ(map.BlockCount(), 3);
  map.RemoveAll();
  EXPECT_EQ(map.Count(), 0);
  EXPECT_FALSE(map.HasBuckets());
  EXPECT_EQ(map.BlockCount(), 0);
  EXPECT_EQ(map.BucketCount(), 17u);
  std::int32_t value = 0;
  EXPECT_FALSE(map.Lookup(1, value));
  EXPECT_EQ(map.ValueFor(1), 0);
  EXPECT_TRUE(map.HasBuckets());
  EXPECT_EQ(map.BlockCount(), 1);
  EXPECT_FALSE(map.Lookup(2, value));
}

}  // namespace
}  // namespace vadro
