#include "gfx_fixture.h"

using namespace gfxtest;

TEST_F(DeviceTest, ClearsWholeTargetAndRectanglesInsideTheViewport) {
  ASSERT_EQ(dev->Clear(0, nullptr, gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER | gfx::CLEAR_STENCIL, 0xFF336699, 1.0f, 0),
            gfx::kOk);
  std::vector<uint32_t> px = ReadTarget();
  EXPECT_EQ(px.front(), 0xFF336699u);
  EXPECT_EQ(px.back(), 0xFF336699u);

  // Rectangles are cut to the viewport.
  gfx::Viewport vp{8, 8, 32, 16, 0.0f, 1.0f};
  ASSERT_EQ(dev->SetViewport(&vp), gfx::kOk);
  gfx::Rect r{0, 0, 16, 16};
  ASSERT_EQ(dev->Clear(1, &r, gfx::CLEAR_TARGET, 0xFFFF0000, 1.0f, 0), gfx::kOk);
  px = ReadTarget();
  EXPECT_EQ(px[7 * kWidth + 7], 0xFF336699u);   // outside the viewport
  EXPECT_EQ(px[8 * kWidth + 8], 0xFFFF0000u);
  EXPECT_EQ(px[15 * kWidth + 15], 0xFFFF0000u);
  EXPECT_EQ(px[15 * kWidth + 16], 0xFF336699u);  // right edge excluded
  EXPECT_EQ(px[16 * kWidth + 8], 0xFF336699u);
}

TEST_F(DeviceTest, RejectsClearsOfBuffersItDoesNotHave) {
  ASSERT_EQ(dev->SetDepthStencilSurface(nullptr), gfx::kOk);
  EXPECT_EQ(dev->Clear(0, nullptr, gfx::CLEAR_ZBUFFER, 0, 1.0f, 0), gfx::kInvalidCall);
  EXPECT_EQ(dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0, 1.0f, 0), gfx::kOk);
}

TEST_F(DeviceTest, BackBufferLocksAndReadsBack) {
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  gfx::Surface* bb = nullptr;
  ASSERT_EQ(dev->GetBackBuffer(0, 0, gfx::BACKBUFFER_TYPE_MONO, &bb), gfx::kOk);
  gfx::SurfaceDesc d;
  bb->GetDesc(&d);
  EXPECT_EQ(d.width, kWidth);
  EXPECT_EQ(d.format, uint32_t(gfx::FMT_X8R8G8B8));
  gfx::LockedRect lr;
  gfx::Rect r{4, 2, 6, 3};
  ASSERT_EQ(bb->LockRect(&lr, &r, 0), gfx::kOk);
  uint32_t* row = static_cast<uint32_t*>(lr.bits);
  EXPECT_EQ(row[0] & 0xFFFFFF, 0x0000FFu);
  row[1] = 0xFF00FF00;  // written back on unlock
  EXPECT_EQ(bb->LockRect(&lr, nullptr, 0), gfx::kInvalidCall);  // one lock at a time
  ASSERT_EQ(bb->UnlockRect(), gfx::kOk);
  EXPECT_EQ(Pixel(5, 2), 0xFF00FF00u);
  EXPECT_EQ(Pixel(4, 2), 0xFF0000FFu);
  bb->Release();
}

TEST_F(DeviceTest, PresentScalesASourceRectangleToTheClientArea) {
  // Four quadrants; presenting the top-left one fills the window with its colour.
  gfx::Rect tl{0, 0, 32, 24}, rest{32, 0, 64, 48}, bottom{0, 24, 32, 48};
  dev->Clear(1, &tl, gfx::CLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
  dev->Clear(1, &rest, gfx::CLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
  dev->Clear(1, &bottom, gfx::CLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  gfx::Surface* front = nullptr;
  ASSERT_EQ(dev->CreateOffscreenPlainSurface(kWidth, kHeight, gfx::FMT_A8R8G8B8, gfx::POOL_SYSTEMMEM, &front, nullptr),
            gfx::kOk);

  ASSERT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), gfx::kOk);
  ASSERT_EQ(dev->GetFrontBufferData(0, front), gfx::kOk);
  std::vector<uint32_t> px = ReadSurface(front);
  EXPECT_EQ(px[0], 0xFFFF0000u);            // top-left stays top-left
  EXPECT_EQ(px[47 * kWidth + 0], 0xFF0000FFu);
  EXPECT_EQ(px[0 * kWidth + 63], 0xFF00FF00u);

  ASSERT_EQ(dev->Present(&tl, nullptr, nullptr, nullptr), gfx::kOk);
  ASSERT_EQ(dev->GetFrontBufferData(0, front), gfx::kOk);
  px = ReadSurface(front);
  for (uint32_t p : {px[0], px[47 * kWidth + 63], px[24 * kWidth + 32]}) EXPECT_EQ(p, 0xFFFF0000u);
  front->Release();

  gfx::Rect outside{0, 0, 65, 10};
  EXPECT_EQ(dev->Present(&outside, nullptr, nullptr, nullptr), gfx::kInvalidCall);
}

TEST_F(DeviceTest, NeverLostAndResetRecreatesTheBackBufferWithDefaultStates) {
  EXPECT_EQ(dev->TestCooperativeLevel(), gfx::kOk);
  dev->SetRenderState(gfx::RS_LIGHTING, 0);
  gfx::PresentParams p = WindowedParams(32, 16);
  p.deviceWindow = window_;
  ASSERT_EQ(dev->Reset(&p), gfx::kOk);
  uint32_t w = 0, h = 0;
  ReadTarget(&w, &h);
  EXPECT_EQ(w, 32u);
  EXPECT_EQ(h, 16u);
  uint32_t v;
  dev->GetRenderState(gfx::RS_LIGHTING, &v);
  EXPECT_EQ(v, 1u);
  gfx::Viewport vp;
  dev->GetViewport(&vp);
  EXPECT_EQ(vp.width, 32u);
  gfx::PresentParams bad = WindowedParams(32, 16);
  bad.autoDepthStencilFormat = gfx::FMT_D15S1;  // a depth format the device cannot make
  EXPECT_NE(dev->Reset(&bad), gfx::kOk);
}

TEST_F(DeviceTest, KeepsTheGammaRamp) {
  gfx::GammaRamp ramp;
  for (int i = 0; i < 256; ++i) ramp.red[i] = ramp.green[i] = ramp.blue[i] = uint16_t(i * 255);
  dev->SetGammaRamp(0, gfx::SGR_NO_CALIBRATION, &ramp);
  gfx::GammaRamp back{};
  dev->GetGammaRamp(0, &back);
  EXPECT_EQ(back.red[255], 65025);
  EXPECT_EQ(back.blue[1], 255);
}

TEST_F(DeviceTest, DeviceCreationChecksItsParameters) {
  gfx::Device* other = nullptr;
  gfx::PresentParams p = WindowedParams(16, 16);
  p.deviceWindow = nullptr;
  EXPECT_EQ(api_->CreateDevice(0, gfx::DEVTYPE_HAL, nullptr, 0, &p, &other), gfx::kInvalidCall);
  p = WindowedParams(16, 16);
  p.backBufferFormat = gfx::FMT_A4R4G4B4;
  EXPECT_NE(api_->CreateDevice(0, gfx::DEVTYPE_HAL, window_, 0, &p, &other), gfx::kOk);
  EXPECT_EQ(other, nullptr);
}

// The device changes GL masks and scissor for its own clears and copies; draws must still see
// the states the caller set.
TEST_F(DeviceTest, StatesSurviveClearsAndCopies) {
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF000000, 1.0f, 0);
  dev->SetRenderState(gfx::RS_LIGHTING, 0);
  dev->SetRenderState(gfx::RS_ZENABLE, 0);
  dev->SetRenderState(gfx::RS_COLORWRITEENABLE, gfx::COLORWRITE_GREEN);
  FillRect(0, 0, 8, 8, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(1, 1), 0xFF00FF00u);
  dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF000000, 1.0f, 0);  // clears all channels
  EXPECT_EQ(Pixel(1, 1), 0xFF000000u);
  FillRect(0, 0, 8, 8, 0xFFFFFFFF);  // the mask is back in force
  EXPECT_EQ(Pixel(1, 1), 0xFF00FF00u);

  dev->SetRenderState(gfx::RS_COLORWRITEENABLE, 0xF);
  gfx::Rect sc{0, 0, 4, 4};
  dev->SetScissorRect(&sc);
  dev->SetRenderState(gfx::RS_SCISSORTESTENABLE, 1);
  dev->Present(nullptr, nullptr, nullptr, nullptr);
  FillRect(0, 0, 8, 8, 0xFFFF0000);
  EXPECT_EQ(Pixel(3, 3), 0xFFFF0000u);
  EXPECT_EQ(Pixel(5, 5), 0xFF00FF00u);  // the scissor survived the present
  uint32_t v = 0;
  dev->GetRenderState(gfx::RS_SCISSORTESTENABLE, &v);
  EXPECT_EQ(v, 1u);
}

// The frame is handed to the renderer before the frame's wait, in the middle of what the next frame
// draws over it: the picture and what Present shows stay those of a frame drawn in one go.
TEST_F(DeviceTest, FlushingCommandsChangesNoPixel) {
  dev->SetRenderState(gfx::RS_LIGHTING, 0);
  dev->SetRenderState(gfx::RS_ZENABLE, 0);
  gfx::Surface* front = nullptr;
  ASSERT_EQ(dev->CreateOffscreenPlainSurface(kWidth, kHeight, gfx::FMT_A8R8G8B8, gfx::POOL_SYSTEMMEM, &front, nullptr),
            gfx::kOk);
  auto drawFrame = [&](bool flush) {
    dev->Clear(0, nullptr, gfx::CLEAR_TARGET, 0xFF102030, 1.0f, 0);
    FillRect(4, 4, 40, 30, 0xFF00FF00);
    if (flush) dev->FlushCommands();
    dev->SetRenderState(gfx::RS_ALPHABLENDENABLE, 1);
    dev->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    dev->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    FillRect(20, 10, 60, 44, 0x80FF0000);
    dev->SetRenderState(gfx::RS_ALPHABLENDENABLE, 0);
    std::vector<uint32_t> picture = ReadTarget();
    EXPECT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), gfx::kOk);
    EXPECT_EQ(dev->GetFrontBufferData(0, front), gfx::kOk);
    const std::vector<uint32_t> shown = ReadSurface(front);
    picture.insert(picture.end(), shown.begin(), shown.end());
    return picture;
  };
  const std::vector<uint32_t> inOneGo = drawFrame(false);
  EXPECT_TRUE(Near(inOneGo[12 * kWidth + 30] | 0xFF000000u, 0xFF807F00u)) << std::hex << inOneGo[12 * kWidth + 30];
  EXPECT_EQ(drawFrame(true), inOneGo);
  front->Release();
}

TEST_F(DeviceTest, ScenesPair) {
  EXPECT_EQ(dev->EndScene(), gfx::kInvalidCall);
  EXPECT_EQ(dev->BeginScene(), gfx::kOk);
  EXPECT_EQ(dev->BeginScene(), gfx::kInvalidCall);
  EXPECT_EQ(dev->EndScene(), gfx::kOk);
}

// A UI library drawing with GL in the device's context changes state behind the device's cache.
TEST_F(DeviceTest, DrawsCorrectlyAfterForeignGlOnceToldSo) {
  dev->SetRenderState(gfx::RS_LIGHTING, 0);
  dev->SetRenderState(gfx::RS_ZENABLE, 0);
  FillRect(0, 0, 4, 4, 0xFF00FF00);
  gfx::MakeDeviceContextCurrent(dev);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, 1, 1);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ZERO, GL_ZERO);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  for (int unit = 0; unit < 2; ++unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  }
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 1, 0, 1, -1, 1);
  glDisableClientState(GL_VERTEX_ARRAY);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  gfx::InvalidateDeviceGlState(dev);

  FillRect(8, 8, 12, 12, 0xFFFF0000);
  EXPECT_EQ(Pixel(9, 9), 0xFFFF0000u);
  EXPECT_EQ(Pixel(1, 1), 0xFF00FF00u);
  // Textured drawing: the units combine again (not modulate) and rows of odd length line up.
  gfx::Texture* tex = nullptr;
  ASSERT_EQ(dev->CreateTexture(3, 2, 1, 0, gfx::FMT_R8G8B8, gfx::POOL_MANAGED, &tex, nullptr), gfx::kOk);
  gfx::LockedRect lr;
  tex->LockRect(0, &lr, nullptr, 0);
  std::memset(lr.bits, 0xFF, 9);                                  // white row
  std::memset(static_cast<uint8_t*>(lr.bits) + lr.pitch, 0x00, 9);  // black row
  static_cast<uint8_t*>(lr.bits)[lr.pitch + 2] = 0xFF;              // first texel red
  tex->UnlockRect(0);
  dev->SetTexture(0, tex);
  dev->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_SELECTARG1);
  TlVertex v[4] = {{19.5f, 19.5f, 0.5f, 1, 0xFF0000FF, 0, 0},
                   {22.5f, 19.5f, 0.5f, 1, 0xFF0000FF, 1, 0},
                   {19.5f, 21.5f, 0.5f, 1, 0xFF0000FF, 0, 1},
                   {22.5f, 21.5f, 0.5f, 1, 0xFF0000FF, 1, 1}};
  dev->SetFVF(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_TEX1);
  ASSERT_EQ(dev->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v, sizeof(TlVertex)), gfx::kOk);
  EXPECT_EQ(Pixel(21, 20), 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(20, 21), 0xFFFF0000u);
  EXPECT_EQ(Pixel(21, 21), 0xFF000000u);
  dev->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(DeviceTest, TestHooksCountDrawsAndVaryTextureCaps) {
  uint32_t before = gfx::DrawCallCount(dev);
  FillRect(0, 0, 2, 2, 0xFFFFFFFF);
  FillRect(0, 0, 2, 2, 0xFFFFFFFF);
  TlColorVertex v[3]{};
  dev->DrawPrimitiveUP(77, 1, v, sizeof v[0]);  // refused
  EXPECT_EQ(gfx::DrawCallCount(dev) - before, 2u);

  gfx::SetTextureCapsOverride(gfx::PTEXTURECAPS_POW2, gfx::PTEXTURECAPS_CUBEMAP);
  gfx::Caps caps;
  dev->GetDeviceCaps(&caps);
  EXPECT_NE(caps.textureCaps & gfx::PTEXTURECAPS_POW2, 0u);
  EXPECT_EQ(caps.textureCaps & gfx::PTEXTURECAPS_CUBEMAP, 0u);
  gfx::SetTextureCapsOverride(0, 0);
  api_->GetDeviceCaps(0, gfx::DEVTYPE_HAL, &caps);
  EXPECT_EQ(caps.textureCaps & gfx::PTEXTURECAPS_POW2, 0u);
}

// Bound objects hold the device and the device holds them: when the caller's last reference to the
// device goes, the device lets go of its bindings so that both are freed.
TEST_F(DeviceTest, ReleasingTheDeviceFreesWhatIsStillBound) {
  gfx::Texture* tex = nullptr;
  gfx::VertexBuffer* vb = nullptr;
  gfx::Texture* kept = nullptr;
  ASSERT_EQ(dev->CreateTexture(4, 4, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &tex, nullptr), gfx::kOk);
  ASSERT_EQ(dev->CreateVertexBuffer(64, 0, 0, gfx::POOL_MANAGED, &vb, nullptr), gfx::kOk);
  ASSERT_EQ(dev->CreateTexture(4, 4, 1, 0, gfx::FMT_A8R8G8B8, gfx::POOL_MANAGED, &kept, nullptr), gfx::kOk);
  dev->SetTexture(0, tex);
  dev->SetStreamSource(0, vb, 0, 16);
  EXPECT_EQ(tex->Release(), 1u);  // the device's binding
  vb->Release();
  // A texture the caller still holds keeps the device (and its context) alive until it goes.
  EXPECT_EQ(dev->Release(), 1u);
  gfx::Device* owner = nullptr;
  ASSERT_EQ(kept->GetDevice(&owner), gfx::kOk);
  gfx::BaseTexture* bound = nullptr;
  owner->GetTexture(0, &bound);
  EXPECT_EQ(bound, nullptr);
  EXPECT_EQ(owner->Release(), 1u);
  EXPECT_EQ(kept->Release(), 0u);
  dev = nullptr;  // gone with its last object
}
