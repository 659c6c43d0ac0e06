#include "game/play/game_state.h"

#include <climits>
#include <cstring>

#include "engine/core/core.h"

namespace {
GameVariables gGame;
uint32_t (*gTimerSource)() = nullptr;

int32_t SaturatingAdd(int32_t value, int32_t points) {
  int64_t sum = int64_t(value) + points;
  if (sum > INT32_MAX) return INT32_MAX;
  if (sum < INT32_MIN) return INT32_MIN;
  return int32_t(sum);
}

void CopyCut(char* field, size_t size, const char* text) {
  size_t length = text ? std::strlen(text) : 0;
  if (length >= size) length = size - 1;
  if (length) std::memcpy(field, text, length);
  field[length] = '\0';
}
}  // namespace

GameVariables& Game() { return gGame; }

void AddScore(int32_t points) {
  gGame.score = SaturatingAdd(gGame.score, points);
  if (gGame.score < 0) gGame.score = 0;
  gGame.bonusLifeCounter = SaturatingAdd(gGame.bonusLifeCounter, points);
}

void ShowMessage(const char* text) {
  CopyCut(gGame.message, sizeof gGame.message, text);
  gGame.overlay = 1;
}

bool StoreGamePath(char (&field)[kGamePathSize], const char* text) {
  CopyCut(field, kGamePathSize, text);
  return !text || std::strlen(text) < kGamePathSize;
}

uint32_t GameNow() { return gTimerSource ? gTimerSource() : GetTimer(); }

void SetGameTimerSource(uint32_t (*source)()) { gTimerSource = source; }
