#include "engine/system/result_list.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/core_alloc.h"
#include "engine/core/core_data.h"
#include "engine/core/core_table.h"
#include "engine/core/errors.h"
#include "engine/system/net_session_module.h"
#include "engine/system/system_module.h"

namespace {

class ResultListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitCoreTable();
    GetCoreDataPointer()->allocFree = CoreAllocFree;
    SetCoreErrorHandler(&word_);
    SystemModule::PassCoreData(GetCoreDataPointer());
  }
  void TearDown() override {
    FreeResultList(GetCoreDataPointer()->resultList);
    SetCoreErrorHandler(nullptr);
  }
  // The getter's result and the error it raised (0 for none).
  template <typename F>
  uint32_t ErrorOf(F call) {
    word_ = 0;
    call();
    return word_;
  }
  std::string Text(int32_t n) {
    char* text = GetResultListString(n);
    std::string result = text ? text : "<null>";
    if (text) CoreAllocFree(&text, 0);
    return result;
  }
  void Fill(int32_t count, bool values, bool texts) {
    ASSERT_TRUE(BeginResultList(count, 32, values, texts));
    for (int32_t i = 0; i < count; ++i) {
      SetResultListEntry(i, ("entry " + std::to_string(i + 1)).c_str(), i + 1, (i + 1) * 10, -(i + 1));
    }
    EndResultList(count);
  }
  uint32_t word_ = 0;
};

TEST_F(ResultListTest, GettersReadEntriesFromOne) {
  Fill(3, true, true);
  EXPECT_EQ(GetResultListCount(), 3);
  EXPECT_EQ(GetResultListValueA(2), 2);
  EXPECT_EQ(GetResultListValueB(2), 20);
  EXPECT_EQ(GetResultListValueC(3), -3);
  EXPECT_EQ(Text(1), "entry 1");
  EXPECT_EQ(word_, 0u);
}

TEST_F(ResultListTest, ErrorsForBadNumbersAndMissingParts) {
  EXPECT_EQ(ErrorOf([] { EXPECT_EQ(GetResultListValueA(1), 0); }), 9005u);  // no list yet
  EXPECT_EQ(ErrorOf([this] { EXPECT_EQ(Text(1), "<null>"); }), 9005u);

  Fill(3, true, true);
  EXPECT_EQ(ErrorOf([] { EXPECT_EQ(GetResultListValueA(4), 0); }), 9002u);    // above the count
  EXPECT_EQ(ErrorOf([] { EXPECT_EQ(GetResultListValueB(257), 0); }), 9001u);  // above the capacity
  EXPECT_EQ(ErrorOf([] { EXPECT_EQ(GetResultListValueC(0), 0); }), 9001u);
  EXPECT_EQ(ErrorOf([this] { EXPECT_EQ(Text(4), "<null>"); }), 9002u);

  Fill(2, false, true);  // an adapter list: texts only
  EXPECT_EQ(ErrorOf([] { EXPECT_EQ(GetResultListValueA(1), 0); }), 9004u);
  EXPECT_EQ(Text(1), "entry 1");

  Fill(2, true, false);
  EXPECT_EQ(ErrorOf([this] { EXPECT_EQ(Text(1), "<null>"); }), 9003u);

  Fill(0, true, true);  // an empty list is not valid
  EXPECT_EQ(ErrorOf([] { GetResultListValueA(1); }), 9005u);
}

TEST_F(ResultListTest, GrowsPast256AndKeepsTexts) {
  ASSERT_TRUE(PrepareResultListEntry(0, 4));
  EXPECT_EQ(GetCoreDataPointer()->resultList.capacity, 256);
  Fill(600, true, true);
  EXPECT_EQ(GetCoreDataPointer()->resultList.capacity, 1024);
  EXPECT_EQ(GetResultListValueA(600), 600);
  EXPECT_EQ(Text(255), "entry 255");
  EXPECT_EQ(Text(256), "entry 256");
  EXPECT_EQ(Text(600), "entry 600");
  EXPECT_EQ(word_, 0u);
}

TEST_F(ResultListTest, LongTextsGetLargerBuffers) {
  const std::string longText(300, 'x');
  ASSERT_TRUE(BeginResultList(1, uint32_t(longText.size()), false, true));
  SetResultListEntry(0, longText.c_str(), 0, 0, 0);
  EndResultList(1);
  EXPECT_EQ(Text(1), longText);
}

TEST(SystemModule, TurnOffEscapeQuit) {
  InitCoreTable();
  EXPECT_EQ(GetCoreDataPointer()->escapeQuits, 1);
  TurnOffEscapeQuit();
  EXPECT_EQ(GetCoreDataPointer()->escapeQuits, 0);
}

TEST(NetSessionModule, DestructorTearsDownAnOpenSession) {
  NetSessionModule::Constructor();
  EXPECT_EQ(NetSessionModule::ConnectionBuffer(), nullptr);
  NetSessionModule::Destructor();  // nothing open: nothing to free

  auto* session = static_cast<NetSession*>(std::calloc(1, sizeof(NetSession)));
  session->incoming[3] = std::malloc(8);
  session->pending[255] = std::malloc(8);
  session->pendingFlags[255] = 1;
  session->connectionBlock = std::malloc(16);
  NetSessionModule::Session() = session;
  NetSessionModule::SessionState() = 3;
  NetSessionModule::ConnectionBuffer() = std::malloc(32);
  NetSessionModule::Destructor();  // LeakSanitizer checks every block was freed
  EXPECT_EQ(NetSessionModule::Session(), nullptr);
  NetSessionModule::SessionState() = 0;
}

}  // namespace
