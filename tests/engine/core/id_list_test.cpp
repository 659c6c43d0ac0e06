#include "engine/core/id_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int g_items[10];
void* Item(int i) { return &g_items[i]; }

std::vector<int32_t> Ids(const IdList& list) {
  std::vector<int32_t> ids;
  for (IdListNode* n = list.Head(); n; n = n->next) ids.push_back(n->id);
  return ids;
}

// Walking back from the tail must give the same nodes: the links stay consistent.
std::vector<int32_t> IdsBackwards(const IdList& list) {
  std::vector<int32_t> ids;
  for (IdListNode* n = list.Tail(); n; n = n->previous) ids.insert(ids.begin(), n->id);
  return ids;
}

TEST(IdList, AddReplacesExistingNumberWhereverItSits) {
  // Numbers arrive out of order; adding 3 again must not shadow the first node 3.
  for (int again : {1, 5, 3}) {
    IdList list;
    list.Add(1, Item(1));
    list.Add(5, Item(5));
    list.Add(3, Item(3));
    EXPECT_EQ(list.Add(again, Item(9)), Item(9)) << again;
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Find(again), Item(9));
    EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 5, 3}));
  }
}

TEST(IdList, NewNumbersAppendAtTheTail) {
  IdList list;
  list.Add(1, Item(1));
  list.Add(5, Item(5));
  list.Add(3, Item(3));
  void* node = list.Add(4, Item(4));
  EXPECT_NE(node, nullptr);
  EXPECT_NE(node, Item(4));  // a new node, not a replacement
  EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 5, 3, 4}));
  EXPECT_EQ(IdsBackwards(list), Ids(list));
}

TEST(IdList, DuplicatesAllowedAlwaysAppend) {
  IdList list;
  list.Add(7, Item(1));
  list.Add(7, Item(2), /*allowDuplicates=*/true);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Find(7), Item(1));  // the older node is reached first
  list.Remove(7);
  EXPECT_EQ(list.Find(7), Item(2));
}

TEST(IdList, RemoveHeadMiddleTailAndOnlyNode) {
  IdList list;
  for (int id : {1, 2, 3, 4}) list.Add(id, Item(id));
  list.Remove(2);  // middle
  EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 3, 4}));
  list.Remove(4);  // tail
  EXPECT_EQ(Ids(list), (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(list.Tail()->id, 3);
  list.Remove(1);  // head
  EXPECT_EQ(Ids(list), (std::vector<int32_t>{3}));
  EXPECT_EQ(IdsBackwards(list), Ids(list));
  list.Remove(3);  // only node
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Head(), nullptr);
  EXPECT_EQ(list.Tail(), nullptr);
  list.Add(8, Item(8));  // usable again
  EXPECT_EQ(list.Find(8), Item(8));
}

TEST(IdList, MissingNumbersAndEmptyListsChangeNothing) {
  IdList list;
  EXPECT_EQ(list.Find(1), nullptr);
  list.Remove(1);
  EXPECT_EQ(list.Count(), 0);
  list.Add(1, Item(1));
  list.Remove(2);
  EXPECT_EQ(list.Count(), 1);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Find(1), nullptr);
}

TEST(RecordList, FindsTheModulesOwnCopies) {
  struct Sprite { int x; };
  RecordList sprites;
  Sprite a{1}, b{2};
  sprites.records.Add(12, &a);
  sprites.records.Add(3, &b);
  sprites.records.Add(12, &b);  // replaced
  EXPECT_EQ(sprites.FindAs<Sprite>(12), &b);
  EXPECT_EQ(sprites.FindAs<Sprite>(3)->x, 2);
  EXPECT_EQ(sprites.Find(4), nullptr);
  EXPECT_EQ(sprites.first.Count(), 0);
}

}  // namespace
