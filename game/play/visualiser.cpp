#include "game/play/visualiser.h"

#include <algorithm>
#include <cstdlib>

#include "engine/core/core.h"
#include "engine/media2d/basic2d.h"
#include "engine/media2d/image.h"
#include "engine/objects/object_commands.h"
#include "game/play/game_state.h"
#include "game/play/generated_textures.h"
#include "game/play/level_builder.h"
#include "game/play/music.h"

namespace {

constexpr int32_t kMiddleRow = 63;

VisualiserState gVisualiser;
const float* (*gSpectrumSource)() = nullptr;

// The spectrum and a fresh empty image 5000 to draw it into (a new texture every frame: the last one may
// still be in use by the rasteriser threads).
const float* BeginDrawing() {
  const float* spectrum = gSpectrumSource ? gSpectrumSource() : GetMusicSpectrum();
  if (HasImage(kVisualiserImage)) DeleteImage(kVisualiserImage);
  CreateImage(kVisualiserImage, kVisualiserImageSize, kVisualiserImageSize);
  return spectrum;
}

// A band's height in rows of the half image.
int32_t Rows(float band) { return int32_t(band * float(kMiddleRow)); }

uint32_t VisualiserColour() { return Rgb(gVisualiser.colour[0], gVisualiser.colour[1], gVisualiser.colour[2]); }

// One run of the pattern: pixel k of the run at (x(k), y(k)) while k < band x 64, each a little
// brighter than the last.
template <typename At>
void PatternRun(ImageCanvas& canvas, float band, At at) {
  for (int32_t k = 0; float(k) < band * 64.0f; ++k) {
    int32_t channel[3];
    for (int c = 0; c < 3; ++c) channel[c] = std::clamp(gVisualiser.colour[c] - 32 + 7 * k, 0, 255);
    const auto [x, y] = at(k);
    canvas.Write(x, y, Rgb(channel[0], channel[1], channel[2]));
  }
}

}  // namespace

VisualiserState& Visualiser() { return gVisualiser; }

void SetVisualiserSpectrumSource(const float* (*source)()) { gSpectrumSource = source; }

int32_t RandomRange(int32_t low, int32_t high) {
  const int32_t span = high - low + 1;
  return span > 0 ? std::rand() % span + low : low;
}

void MakeVisualiserBox() {
  EnableSpectrum();
  CreateBoxObject(kVisualiserBox, -1000.0f, -1000.0f, -1000.0f);
  SetObjectLighting(kVisualiserBox, 0);
  DisableObjectZWrite(kVisualiserBox);
  SetObjectFogging(kVisualiserBox, 0);
  SetObjectCollisionOff(kVisualiserBox);
}

void PickVisualiserColour() {
  for (int c = 0; c < 3; ++c) gVisualiser.colour[c] = Game().playerColour[c] >= 1 ? RandomRange(64, 255) : 0;
  if (gVisualiser.colour[0] == 0 && gVisualiser.colour[1] == 0 && gVisualiser.colour[2] == 0)
    gVisualiser.colour[0] = gVisualiser.colour[1] = gVisualiser.colour[2] = 255;
}

void SpinVisualiserBox() {
  const float x = float(RandomInt(360));
  const float y = float(RandomInt(360));
  const float z = float(RandomInt(360));
  RotateObject(kVisualiserBox, x, y, z);
}

void DrawSpectrumBars() {
  const float* s = BeginDrawing();
  const uint32_t white = Rgb(255, 255, 255);
  ImageCanvas canvas(kVisualiserImage);
  for (int32_t x = 0; x <= 127; ++x) canvas.Line(x, kMiddleRow, x, kMiddleRow - Rows(s[x]), white);
}

void DrawMirroredSpectrum() {
  const float* s = BeginDrawing();
  const uint32_t colour = VisualiserColour();
  ImageCanvas canvas(kVisualiserImage);
  for (int32_t x = 63; x <= 125; ++x) canvas.Line(x, kMiddleRow, x, kMiddleRow - Rows(s[x - 63]), colour);
  for (int32_t x = 0; x <= 62; ++x) canvas.Line(x, kMiddleRow, x, kMiddleRow - Rows(s[63 - x]), colour);
  for (int32_t x = 63; x <= 125; ++x) canvas.Line(x, kMiddleRow, x, kMiddleRow + Rows(s[x - 63]), colour);
  for (int32_t x = 0; x <= 62; ++x) canvas.Line(x, kMiddleRow, x, kMiddleRow + Rows(s[63 - x]), colour);
}

void DrawSpectrumPattern() {
  const float* s = BeginDrawing();
  ImageCanvas canvas(kVisualiserImage);
  struct Point { int32_t x, y; };
  for (int32_t i = 0; i <= 63; ++i) PatternRun(canvas, s[i], [i](int32_t k) { return Point{i, i + k}; });
  for (int32_t i = 64; i >= 0; --i) PatternRun(canvas, s[i], [i](int32_t k) { return Point{i, 127 - i - k}; });
  for (int32_t j = 64; j <= 127; ++j) PatternRun(canvas, s[128 - j], [j](int32_t k) { return Point{j, j - k}; });
  for (int32_t j = 0; j <= 63; ++j) PatternRun(canvas, s[j], [j](int32_t k) { return Point{127 - j, j + k}; });
}

void DrawVisualiser() {
  switch (gVisualiser.mode) {
    case kVisualiserBars: DrawSpectrumBars(); break;
    case kVisualiserMirrored: DrawMirroredSpectrum(); break;
    case kVisualiserPattern: DrawSpectrumPattern(); break;
    default: break;
  }
}

void PositionVisualiserBox(float x, float y, float z) {
  SetObjectTexture(kVisualiserBox, kVisualiserImage);
  PositionObject(kVisualiserBox, x, y, z);
}

void CentreVisualiserOnBall() {
  PositionVisualiserBox(GetObjectX(kBallObject), GetObjectY(kBallObject), GetObjectZ(kBallObject));
}

namespace {
// The beat itself; true on a beat.
bool StepBeat() {
  GameVariables& game = Game();
  const uint32_t now = GameNow();
  if (now - game.beatTime > kBeatPeriodMs) {
    game.beatTime = now;
    game.pulseScale = kBeatPulseScale;
    return true;
  }
  game.pulseScale = std::max(game.pulseScale - 2, 100);
  return false;
}
}  // namespace

void RunVisualiserBeat() {
  if (StepBeat()) {
    PickVisualiserColour();
    SpinVisualiserBox();
  }
  DrawVisualiser();
  CentreVisualiserOnBall();
}

void KeepVisualiserBeat() { StepBeat(); }
