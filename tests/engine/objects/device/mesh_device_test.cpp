// Mesh records on a real device: buffer copies, device declarations, their release, and the frustum
// taken from the device's transforms.
#include <cstring>
#include <memory>
#include <vector>

#include "engine/objects/device_links.h"
#include "engine/objects/frustum.h"
#include "engine/objects/mesh_buffers.h"
#include "engine/objects/mesh_declaration.h"
#include "engine/objects/record_links.h"
#include "platform/d3dx/math_matrix.h"
#include "tests/engine/objects/mesh_fixtures.h"
#include "tests/platform/gfx/gfx_fixture.h"

namespace gfx = platform::gfx;
using qel_test::MakeMesh;

namespace {

constexpr uint8_t kUntouched = 0xCD;

// A pre-transformed vertex with a colour, described by a declaration rather than an FVF code.
const gfx::VertexElement kTlDeclaration[] = {
    {0, 0, gfx::DECLTYPE_FLOAT4, gfx::DECLMETHOD_DEFAULT, gfx::DECLUSAGE_POSITIONT, 0},
    {0, 16, gfx::DECLTYPE_COLOR, gfx::DECLMETHOD_DEFAULT, gfx::DECLUSAGE_COLOR, 0},
    gfx::kDeclEnd};
constexpr uint32_t kTlSize = sizeof(gfxtest::TlColorVertex);

class MeshDeviceTest : public gfxtest::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    saved_ = GetRecordLinks();
    current_ = dev;
    InstallDeviceRecordLinks([] { return current_; });
  }
  void TearDown() override {
    GetRecordLinks() = saved_;
    current_ = nullptr;
    DeviceTest::TearDown();
  }

  // Buffers of every byte kUntouched, so that a copy's neighbours can be checked.
  gfx::Ref<gfx::VertexBuffer> NewVertexBuffer(uint32_t bytes) {
    gfx::Ref<gfx::VertexBuffer> buffer;
    EXPECT_EQ(dev->CreateVertexBuffer(bytes, gfx::USAGE_WRITEONLY, 0, gfx::POOL_DEFAULT, buffer.put(), nullptr),
              gfx::kOk);
    Fill(buffer.get());
    return buffer;
  }
  gfx::Ref<gfx::IndexBuffer> NewIndexBuffer(uint32_t count, uint32_t format) {
    gfx::Ref<gfx::IndexBuffer> buffer;
    const uint32_t width = format == gfx::FMT_INDEX32 ? 4 : 2;
    EXPECT_EQ(dev->CreateIndexBuffer(count * width, gfx::USAGE_WRITEONLY, format, gfx::POOL_DEFAULT, buffer.put(),
                                     nullptr),
              gfx::kOk);
    Fill(buffer.get());
    return buffer;
  }
  template <class Buffer>
  static void Fill(Buffer* buffer) {
    void* data = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &data, 0), gfx::kOk);
    std::memset(data, kUntouched, Bytes(buffer).size());
    buffer->Unlock();
  }
  template <class Buffer>
  static std::vector<uint8_t> Bytes(Buffer* buffer) {
    typename std::conditional_t<std::is_same_v<Buffer, gfx::VertexBuffer>, gfx::VertexBufferDesc,
                                gfx::IndexBufferDesc>
        desc{};
    buffer->GetDesc(&desc);
    void* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &data, gfx::LOCK_READONLY), gfx::kOk);
    std::vector<uint8_t> bytes(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + desc.size);
    buffer->Unlock();
    return bytes;
  }
  static bool AllUntouched(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
      if (bytes[i] != kUntouched) return false;
    return true;
  }

  static inline gfx::Device* current_ = nullptr;
  RecordLinks saved_;
};

// A quad of four vertices and two triangles (FVF 0x112, 32 bytes a vertex).
std::unique_ptr<MeshRecord> Quad() {
  return MakeMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {0, 1, 2, 2, 1, 3});
}

void MakeWide(MeshRecord* mesh) {
  mesh->wideIndices.assign(mesh->indices.begin(), mesh->indices.end());
  mesh->indices.clear();
}

uint32_t IndexIn(const std::vector<uint8_t>& bytes, size_t i, uint32_t width) {
  uint32_t value = 0;
  std::memcpy(&value, &bytes[i * width], width);
  return value;
}

TEST_F(MeshDeviceTest, VerticesAndIndicesRoundTripAtAnOffset) {
  struct Case {
    const char* name;
    bool wideMesh;
    uint32_t format;
    bool (*copy)(const MeshRecord*, gfx::IndexBuffer*, uint32_t);
  } cases[] = {
      {"16-bit", false, gfx::FMT_INDEX16, CopyMeshIndicesToBuffer},
      {"16-bit widened", false, gfx::FMT_INDEX32, CopyMeshIndicesToBuffer32},
      {"32-bit", true, gfx::FMT_INDEX32, CopyMeshIndicesToBuffer32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto mesh = Quad();
    if (c.wideMesh) MakeWide(mesh.get());
    const uint32_t width = c.format == gfx::FMT_INDEX32 ? 4 : 2;
    constexpr uint32_t kVertexOffset = 3 * 32, kStartIndex = 5;

    auto vertices = NewVertexBuffer(kVertexOffset + 4 * 32 + 7);
    auto indices = NewIndexBuffer(kStartIndex + 6 + 2, c.format);
    ASSERT_TRUE(CopyMeshVerticesToBuffer(mesh.get(), vertices.get(), kVertexOffset));
    ASSERT_TRUE(c.copy(mesh.get(), indices.get(), kStartIndex));

    const std::vector<uint8_t> vertexBytes = Bytes(vertices.get());
    EXPECT_TRUE(AllUntouched(vertexBytes, 0, kVertexOffset));
    EXPECT_EQ(std::memcmp(&vertexBytes[kVertexOffset], mesh->vertices.data(), 4 * 32), 0);
    EXPECT_TRUE(AllUntouched(vertexBytes, kVertexOffset + 4 * 32, vertexBytes.size()));
    const std::vector<uint8_t> indexBytes = Bytes(indices.get());
    EXPECT_TRUE(AllUntouched(indexBytes, 0, kStartIndex * width));
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(IndexIn(indexBytes, kStartIndex + i, width), MeshIndexAt(*mesh, i));
    EXPECT_TRUE(AllUntouched(indexBytes, (kStartIndex + 6) * width, indexBytes.size()));

    // Back into a mesh of the same storage, in the mesh's own index width.
    MeshRecord back;
    ASSERT_TRUE(CopyMeshRecord(&back, mesh.get()));
    std::fill(back.vertices.begin(), back.vertices.end(), 0);
    std::fill(back.indices.begin(), back.indices.end(), 0);
    std::fill(back.wideIndices.begin(), back.wideIndices.end(), 0);
    ASSERT_TRUE(CopyBufferToMeshVertices(&back, vertices.get(), kVertexOffset));
    ASSERT_TRUE(CopyBufferToMeshIndices(&back, indices.get(), kStartIndex));
    EXPECT_EQ(back.vertices, mesh->vertices);
    EXPECT_EQ(back.indices, mesh->indices);
    EXPECT_EQ(back.wideIndices, mesh->wideIndices);
  }
}

TEST_F(MeshDeviceTest, CopiesRefuseRangesBeyondTheBufferOrTheMesh) {
  auto vertices = NewVertexBuffer(4 * 32);  // exactly one quad
  auto indices16 = NewIndexBuffer(6, gfx::FMT_INDEX16);
  auto indices32 = NewIndexBuffer(6, gfx::FMT_INDEX32);
  auto quad = Quad();
  auto wide = Quad();
  MakeWide(wide.get());
  auto moreIndicesThanHeld = Quad();
  moreIndicesThanHeld->indexCount = 7;
  auto moreVerticesThanHeld = Quad();
  moreVerticesThanHeld->vertexCount = 5;
  auto missingVertex = Quad();
  missingVertex->indices[4] = 4;
  auto wideMissingVertex = Quad();
  MakeWide(wideMissingVertex.get());
  wideMissingVertex->wideIndices[4] = 70000;

  struct Case {
    const char* name;
    bool copied;
  } cases[] = {
      {"vertices one byte past the end", CopyMeshVerticesToBuffer(quad.get(), vertices.get(), 1)},
      {"vertex offset wrapping 32 bits", CopyMeshVerticesToBuffer(quad.get(), vertices.get(), 0xFFFFFF80u)},
      {"16-bit indices one past the end", CopyMeshIndicesToBuffer(quad.get(), indices16.get(), 1)},
      {"32-bit indices one past the end", CopyMeshIndicesToBuffer32(quad.get(), indices32.get(), 1)},
      {"start index wrapping 32 bits", CopyMeshIndicesToBuffer(quad.get(), indices16.get(), 0x80000000u)},
      {"16-bit copy into a 32-bit buffer", CopyMeshIndicesToBuffer(quad.get(), indices32.get(), 0)},
      {"32-bit copy into a 16-bit buffer", CopyMeshIndicesToBuffer32(quad.get(), indices16.get(), 0)},
      {"32-bit indices narrowed", CopyMeshIndicesToBuffer(wide.get(), indices16.get(), 0)},
      {"more indices than the mesh holds", CopyMeshIndicesToBuffer(moreIndicesThanHeld.get(), indices16.get(), 0)},
      {"more vertices than the mesh holds", CopyMeshVerticesToBuffer(moreVerticesThanHeld.get(), vertices.get(), 0)},
      {"an index beyond the vertices", CopyMeshIndicesToBuffer(missingVertex.get(), indices16.get(), 0)},
      {"a widened index beyond the vertices", CopyMeshIndicesToBuffer32(missingVertex.get(), indices32.get(), 0)},
      {"a 32-bit index beyond the vertices", CopyMeshIndicesToBuffer32(wideMissingVertex.get(), indices32.get(), 0)},
      {"no buffer", CopyMeshVerticesToBuffer(quad.get(), nullptr, 0)},
      {"no mesh", CopyMeshIndicesToBuffer(nullptr, indices16.get(), 0)},
      {"reading vertices past the end", CopyBufferToMeshVertices(quad.get(), vertices.get(), 32)},
      {"reading indices past the end", CopyBufferToMeshIndices(quad.get(), indices32.get(), 1)},
      {"reading more vertices than the mesh holds",
       CopyBufferToMeshVertices(moreVerticesThanHeld.get(), vertices.get(), 0)},
  };
  for (const Case& c : cases) EXPECT_FALSE(c.copied) << c.name;
  EXPECT_TRUE(AllUntouched(Bytes(vertices.get()), 0, 4 * 32));
  EXPECT_TRUE(AllUntouched(Bytes(indices16.get()), 0, 12));
  EXPECT_TRUE(AllUntouched(Bytes(indices32.get()), 0, 24));
  EXPECT_EQ(quad->vertices, Quad()->vertices);

  // Exactly filling the buffer is fine.
  EXPECT_TRUE(CopyMeshVerticesToBuffer(quad.get(), vertices.get(), 0));
  EXPECT_TRUE(CopyMeshIndicesToBuffer(quad.get(), indices16.get(), 0));
}

TEST_F(MeshDeviceTest, IndicesReadBackMustNameTheMeshsVertices) {
  auto indices = NewIndexBuffer(6, gfx::FMT_INDEX32);
  const uint32_t stored[6] = {0, 1, 2, 2, 1, 65536};
  void* data = nullptr;
  ASSERT_EQ(indices->Lock(0, 0, &data, 0), gfx::kOk);
  std::memcpy(data, stored, sizeof stored);
  indices->Unlock();

  auto quad = Quad();
  EXPECT_FALSE(CopyBufferToMeshIndices(quad.get(), indices.get(), 0));
  EXPECT_EQ(quad->indices, Quad()->indices);  // untouched

  // 16-bit indices of a mesh with more vertices than they can name are not truncated.
  MeshRecord large;
  ASSERT_TRUE(SetupMeshStorage(&large, gfx::FVF_XYZ, 70000, 6));
  EXPECT_FALSE(CopyBufferToMeshIndices(&large, indices.get(), 0));
  large.wideIndices.assign(6, 0);
  large.indices.clear();
  ASSERT_TRUE(CopyBufferToMeshIndices(&large, indices.get(), 0));
  EXPECT_EQ(large.wideIndices[5], 65536u);
}

TEST_F(MeshDeviceTest, DeclarationMeshDrawsThroughItsDeviceDeclaration) {
  MeshRecord mesh;
  ASSERT_TRUE(SetupMeshStorageDecl(&mesh, kTlDeclaration, kTlSize, 4, 6));
  ASSERT_NE(mesh.deviceDeclaration, nullptr);
  gfx::VertexElement elements[gfx::kMaxDeclLength];
  uint32_t count = 0;
  ASSERT_EQ(mesh.deviceDeclaration->GetDeclaration(elements, &count), gfx::kOk);
  ASSERT_EQ(count, 3u);
  EXPECT_EQ(std::memcmp(elements, kTlDeclaration, sizeof kTlDeclaration), 0);

  // The left half of the target in green, placed after other meshes' vertices and indices.
  const float w = kWidth / 2.0f, h = float(kHeight);
  const gfxtest::TlColorVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFF00FF00},
                                          {w - 0.5f, -0.5f, 0.5f, 1, 0xFF00FF00},
                                          {-0.5f, h - 0.5f, 0.5f, 1, 0xFF00FF00},
                                          {w - 0.5f, h - 0.5f, 0.5f, 1, 0xFF00FF00}};
  std::memcpy(mesh.vertices.data(), quad, sizeof quad);
  const uint16_t corners[6] = {0, 1, 2, 2, 1, 3};
  std::copy(std::begin(corners), std::end(corners), mesh.indices.begin());
  auto vertices = NewVertexBuffer(6 * kTlSize);
  auto indices = NewIndexBuffer(9, gfx::FMT_INDEX16);
  ASSERT_TRUE(CopyMeshVerticesToBuffer(&mesh, vertices.get(), 2 * kTlSize));
  ASSERT_TRUE(CopyMeshIndicesToBuffer(&mesh, indices.get(), 3));

  dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  ASSERT_EQ(dev->BeginScene(), gfx::kOk);
  EXPECT_EQ(dev->SetVertexDeclaration(mesh.deviceDeclaration), gfx::kOk);
  dev->SetStreamSource(0, vertices.get(), 0, kTlSize);
  dev->SetIndices(indices.get());
  EXPECT_EQ(dev->DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, 2, 0, 4, 3, 2), gfx::kOk);
  dev->EndScene();
  EXPECT_TRUE(gfxtest::Near(Pixel(4, 4), 0xFF00FF00)) << std::hex << Pixel(4, 4);
  EXPECT_TRUE(gfxtest::Near(Pixel(kWidth - 4, 4), 0xFF000000)) << std::hex << Pixel(kWidth - 4, 4);
}

TEST_F(MeshDeviceTest, MeshMadeWithoutADeviceGetsItsDeclarationLater) {
  current_ = nullptr;
  MeshRecord mesh;
  ASSERT_TRUE(SetupMeshStorageDecl(&mesh, kTlDeclaration, kTlSize, 4, 6));
  EXPECT_EQ(mesh.deviceDeclaration, nullptr);
  EXPECT_FALSE(CreateMeshDeviceDeclaration(&mesh));

  current_ = dev;
  ASSERT_TRUE(CreateMeshDeviceDeclaration(&mesh));
  gfx::VertexDeclaration* made = mesh.deviceDeclaration;
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(CreateMeshDeviceDeclaration(&mesh));
  EXPECT_EQ(mesh.deviceDeclaration, made);  // one is enough

  auto coded = Quad();
  EXPECT_TRUE(CreateMeshDeviceDeclaration(coded.get()));  // an FVF code needs none
  EXPECT_EQ(coded->deviceDeclaration, nullptr);

  MeshRecord cramped;
  ASSERT_TRUE(SetupMeshStorageDecl(&cramped, kTlDeclaration, kTlSize, 1, 0));
  ReplaceMeshDeviceDeclaration(&cramped, nullptr);
  cramped.vertexSize = 16;  // the colour would lie beyond the vertex
  EXPECT_FALSE(CreateMeshDeviceDeclaration(&cramped));
}

TEST_F(MeshDeviceTest, DeviceObjectsAreReleasedExactlyOnce) {
  auto mesh = std::make_unique<MeshRecord>();
  ASSERT_TRUE(SetupMeshStorageDecl(mesh.get(), kTlDeclaration, kTlSize, 4, 6));
  gfx::VertexDeclaration* first = mesh->deviceDeclaration;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->AddRef(), 2u);  // the mesh holds exactly one reference

  // New storage of a declaration layout: a new object, the old one given back once.
  ASSERT_TRUE(SetupMeshStorageDecl(mesh.get(), kTlDeclaration, kTlSize, 3, 3));
  EXPECT_NE(mesh->deviceDeclaration, first);
  EXPECT_EQ(first->Release(), 0u);

  // A copy has an object of its own; an FVF code gives the mesh's back.
  auto copy = std::make_unique<MeshRecord>();
  ASSERT_TRUE(CopyMeshRecord(copy.get(), mesh.get()));
  ASSERT_NE(copy->deviceDeclaration, nullptr);
  EXPECT_NE(copy->deviceDeclaration, mesh->deviceDeclaration);
  gfx::VertexDeclaration* second = mesh->deviceDeclaration;
  second->AddRef();
  ASSERT_TRUE(SetupMeshStorage(mesh.get(), 0x112, 3, 3));
  EXPECT_EQ(mesh->deviceDeclaration, nullptr);
  EXPECT_EQ(second->Release(), 0u);

  // A stage's texture moves with the stage and goes with the mesh.
  gfx::Texture* texture = nullptr;
  ASSERT_EQ(dev->CreateTexture(4, 4, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &texture, nullptr), gfx::kOk);
  mesh->stages.resize(1);
  mesh->stages[0].deviceTexture = texture;
  mesh->stages.resize(8);
  texture->AddRef();
  gfx::VertexDeclaration* copied = copy->deviceDeclaration;
  copied->AddRef();
  mesh.reset();
  copy.reset();
  EXPECT_EQ(texture->Release(), 0u);
  EXPECT_EQ(copied->Release(), 0u);
  // The fixture then finds nothing else holding the device.
}

TEST_F(MeshDeviceTest, FrustumFromTheDeviceEqualsThePureForm) {
  namespace d3dx = platform::d3dx;
  const Matrix view = d3dx::MatrixLookAtLH({3, 2, -6}, {0, 1, 0}, {0, 1, 0});
  const Matrix projection = d3dx::MatrixPerspectiveFovLH(0.9f, 4.0f / 3.0f, 0.5f, 300.0f);
  BuildFrustumPlanes(view, projection);
  const FrustumPlanes expected = GetFrustumLevel(0);

  BuildFrustumPlanes(d3dx::MatrixIdentity(), d3dx::MatrixIdentity());
  dev->SetTransform(gfx::TS_VIEW, &view);
  dev->SetTransform(gfx::TS_PROJECTION, &projection);
  ASSERT_TRUE(BuildFrustumPlanes());
  for (int p = 0; p < 6; ++p) {
    const auto& got = GetFrustumLevel(0).planes[p];
    const auto& want = expected.planes[p];
    EXPECT_EQ(got.a, want.a) << p;
    EXPECT_EQ(got.b, want.b) << p;
    EXPECT_EQ(got.c, want.c) << p;
    EXPECT_EQ(got.d, want.d) << p;
  }

  current_ = nullptr;
  BuildFrustumPlanes(d3dx::MatrixIdentity(), d3dx::MatrixIdentity());
  const FrustumPlanes before = GetFrustumLevel(0);
  EXPECT_FALSE(BuildFrustumPlanes());
  EXPECT_EQ(std::memcmp(&GetFrustumLevel(0), &before, sizeof before), 0);
}

}  // namespace
