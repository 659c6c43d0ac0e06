#include <gtest/gtest.h>

#include "platform/d3dx/mesh_vertex_format.h"

using namespace platform::d3dx;
using namespace platform::gfx;

TEST(VertexFormat, SizeOfFvfCodes) {
  struct Case {
    uint32_t fvf;
    uint32_t size;
  };
  const Case cases[] = {
      {0x112, 32}, {0x142, 24}, {0x004, 16}, {0x144, 28}, {0x152, 36}, {0x002, 12}, {0x012, 24},
      {FVF_XYZB1, 16}, {FVF_XYZB4 | FVF_NORMAL, 40}, {FVF_XYZW, 16}, {0x0C2, 20}, {0x022, 16},
      {0x102 | FvfTexCoordSize1(0), 16}, {0x202 | FvfTexCoordSize3(0) | FvfTexCoordSize4(1), 40}, {0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FvfVertexSize(c.fvf), c.size) << std::hex << c.fvf;
}

TEST(VertexFormat, DeclarationOfAnFvfCode) {
  VertexElement decl[kMaxDeclLength];
  ASSERT_TRUE(DeclarationFromFvf(0x152, decl));
  ASSERT_EQ(DeclarationLength(decl), 4u);
  const struct {
    uint16_t offset;
    uint8_t type, usage, usageIndex;
  } expected[] = {{0, DECLTYPE_FLOAT3, DECLUSAGE_POSITION, 0},
                  {12, DECLTYPE_FLOAT3, DECLUSAGE_NORMAL, 0},
                  {24, DECLTYPE_COLOR, DECLUSAGE_COLOR, 0},
                  {28, DECLTYPE_FLOAT2, DECLUSAGE_TEXCOORD, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(decl[i].stream, 0);
    EXPECT_EQ(decl[i].offset, expected[i].offset);
    EXPECT_EQ(decl[i].type, expected[i].type);
    EXPECT_EQ(decl[i].usage, expected[i].usage);
    EXPECT_EQ(decl[i].usageIndex, expected[i].usageIndex);
  }
  EXPECT_TRUE(IsDeclarationEnd(decl[4]));
  EXPECT_EQ(DeclarationVertexSize(decl), 36u);

  ASSERT_TRUE(DeclarationFromFvf(FVF_XYZRHW | FVF_SPECULAR, decl));
  EXPECT_EQ(decl[0].usage, DECLUSAGE_POSITIONT);
  EXPECT_EQ(decl[1].usageIndex, 1);  // specular is colour 1
  EXPECT_EQ(DeclarationVertexSize(decl), 20u);
}

TEST(VertexFormat, FvfCodesRoundTripThroughDeclarations) {
  const uint32_t codes[] = {0x112, 0x142, 0x152, 0x004, 0x144, 0x1C4, FVF_XYZB3 | FVF_LASTBETA_UBYTE4 | FVF_NORMAL,
                            FVF_XYZB1 | FVF_TEX2, 0x302 | FvfTexCoordSize1(2), FVF_XYZW | FVF_PSIZE};
  for (uint32_t code : codes) {
    VertexElement decl[kMaxDeclLength];
    ASSERT_TRUE(DeclarationFromFvf(code, decl)) << std::hex << code;
    uint32_t back = 0;
    ASSERT_TRUE(FvfFromDeclaration(decl, &back)) << std::hex << code;
    EXPECT_EQ(back, code);
    EXPECT_EQ(DeclarationVertexSize(decl), FvfVertexSize(code)) << std::hex << code;
  }
}

TEST(VertexFormat, DeclarationsWithoutAnFvfCode) {
  uint32_t fvf = 0;
  const VertexElement tangent[] = {{0, 0, DECLTYPE_FLOAT3, 0, DECLUSAGE_POSITION, 0},
                                   {0, 12, DECLTYPE_FLOAT3, 0, DECLUSAGE_TANGENT, 0}, kDeclEnd};
  EXPECT_FALSE(FvfFromDeclaration(tangent, &fvf));
  const VertexElement swapped[] = {{0, 0, DECLTYPE_FLOAT3, 0, DECLUSAGE_NORMAL, 0},
                                   {0, 12, DECLTYPE_FLOAT3, 0, DECLUSAGE_POSITION, 0}, kDeclEnd};
  EXPECT_FALSE(FvfFromDeclaration(swapped, &fvf));  // FVF order is fixed
  const VertexElement gap[] = {{0, 4, DECLTYPE_FLOAT3, 0, DECLUSAGE_POSITION, 0}, kDeclEnd};
  EXPECT_FALSE(FvfFromDeclaration(gap, &fvf));
  EXPECT_EQ(DeclarationVertexSize(gap), 16u);
  VertexElement unterminated[kMaxDeclLength];
  for (auto& e : unterminated) e = {0, 0, DECLTYPE_FLOAT1, 0, DECLUSAGE_FOG, 0};
  EXPECT_EQ(DeclarationLength(unterminated), static_cast<uint32_t>(kMaxDeclLength));
  EXPECT_FALSE(FvfFromDeclaration(unterminated, &fvf));
}
