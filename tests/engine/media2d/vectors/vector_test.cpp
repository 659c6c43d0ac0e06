// The vector store's lookups: misses give zeros and raise 7801 once the store has its CoreData, type
// mismatches always raise, and entries (put in place here as the store would hold them) are read and
// written through.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/core/core_data.h"
#include "engine/core/errors.h"
#include "engine/media2d/vector.h"
#include "engine/media2d/vector_state.h"

namespace {

namespace gfx = platform::gfx;

class VectorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VectorModule::Constructor();
    VectorModule::SetErrorHandler(&word_);
    VectorModule::PassCoreData(GetCoreDataPointer());
    word_ = 0;
  }
  void TearDown() override {
    VectorStore& s = Vectors();
    for (int32_t number : added_) {
      delete s.types.FindAs<VectorTypeRecord>(number);
      delete s.values.FindAs<VectorValues>(number);
      s.types.Remove(number);
      s.values.Remove(number);
    }
  }

  // An entry of the type with values 1, 2, 3, ...
  void AddEntry(int32_t number, uint32_t type) {
    auto* values = new VectorValues;
    for (int i = 0; i < 16; ++i) values->v[i] = float(i + 1);
    Vectors().types.Add(number, new VectorTypeRecord{type});
    Vectors().values.Add(number, values);
    added_.push_back(number);
  }

  template <typename F>
  static uint32_t ErrorOf(F call) {
    word_ = 0;
    call();
    return word_;
  }

  static inline uint32_t word_ = 0;
  std::vector<int32_t> added_;
};

bool IsZero(const gfx::Matrix& m) {
  for (int i = 0; i < 16; ++i)
    if (m.m[i / 4][i % 4] != 0.0f) return false;
  return true;
}

TEST_F(VectorTest, EveryLookupOnAFreshStoreMissesWithZerosAnd7801) {
  EXPECT_EQ(ErrorOf([] { EXPECT_EQ(VectorExists(1), 0); }), 0u);
  gfx::Vector3 v3{5, 5, 5};
  EXPECT_EQ(ErrorOf([&] { GetVector3(&v3, 1); }), kErrorVector);
  EXPECT_EQ(v3.x + v3.y + v3.z, 0.0f);
  EXPECT_STREQ(LastErrorText(), "GetVector3 - vector does not exist");
  gfx::Vector4 v4{5, 5, 5, 5};
  EXPECT_EQ(ErrorOf([&] { GetVector4(&v4, 2); }), kErrorVector);
  EXPECT_EQ(v4.x + v4.y + v4.z + v4.w, 0.0f);
  gfx::Matrix m;
  for (int i = 0; i < 16; ++i) m.m[i / 4][i % 4] = 9.0f;
  EXPECT_EQ(ErrorOf([&] { GetMatrix(&m, 3); }), kErrorVector);
  EXPECT_TRUE(IsZero(m));
  EXPECT_STREQ(LastErrorText(), "GetMatrix - vector does not exist");
  EXPECT_EQ(ErrorOf([] { SetVector3(4, 1, 2, 3); }), kErrorVector);
  EXPECT_STREQ(LastErrorText(), "SetVector3 - matrix does not exist");
  EXPECT_EQ(VectorExists(4), 0);
}

TEST_F(VectorTest, BeforeTheHandOverAMissIsOnlyText) {
  Vectors().errorFlag = 0;
  gfx::Vector3 v{5, 5, 5};
  EXPECT_EQ(ErrorOf([&] { GetVector3(&v, 1); }), 0u);
  EXPECT_EQ(v.x, 0.0f);
  EXPECT_EQ(ErrorOf([] { SetVector3(1, 1, 2, 3); }), 0u);
  VectorModule::RefreshD3D(1);  // hands over again
  EXPECT_EQ(ErrorOf([&] { GetVector3(&v, 1); }), kErrorVector);
}

TEST_F(VectorTest, EntriesOfTheWantedTypeAreReadAndWritten) {
  AddEntry(10, kVectorType3);
  AddEntry(11, kVectorTypeMatrix);
  EXPECT_EQ(VectorExists(10), 1);
  SetVector3(10, -1, -2, -3);
  gfx::Vector3 v{};
  GetVector3(&v, 10);
  EXPECT_EQ(v.x, -1.0f);
  EXPECT_EQ(v.z, -3.0f);
  gfx::Matrix m{};
  GetMatrix(&m, 11);
  EXPECT_EQ(m.m[0][0], 1.0f);
  EXPECT_EQ(m.m[3][3], 16.0f);
  EXPECT_EQ(word_, 0u);
}

TEST_F(VectorTest, ATypeMismatchRaises7801AndGivesZeros) {
  AddEntry(12, kVectorType3);
  gfx::Vector4 v4{5, 5, 5, 5};
  EXPECT_EQ(ErrorOf([&] { GetVector4(&v4, 12); }), kErrorVector);
  EXPECT_EQ(v4.x, 0.0f);
  gfx::Matrix m{};
  m.m[0][0] = 9;
  EXPECT_EQ(ErrorOf([&] { GetMatrix(&m, 12); }), kErrorVector);
  EXPECT_TRUE(IsZero(m));
  AddEntry(13, kVectorType4);
  EXPECT_EQ(ErrorOf([] { SetVector3(13, 7, 7, 7); }), kErrorVector);
  gfx::Vector4 kept{};
  GetVector4(&kept, 13);
  EXPECT_EQ(kept.x, 1.0f);  // the refused write changed nothing
}

}  // namespace
