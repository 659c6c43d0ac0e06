#include "engine/core/errors.h"

#include <string>

#include "engine/core/core_data.h"

namespace {
uint32_t* g_sharedErrorWord = nullptr;
uint32_t* g_coreErrorWord = nullptr;
std::string g_lastErrorText;
}  // namespace

void RaiseErrorCode(uint32_t code) {
  if (g_sharedErrorWord) *g_sharedErrorWord = code;
}

void RaiseErrorText(const char* text) { g_lastErrorText = text ? text : ""; }

const char* LastErrorText() { return g_lastErrorText.c_str(); }

void SetModuleErrorHandler(uint32_t* errorWord) { g_sharedErrorWord = errorWord; }

void SetCoreErrorHandler(uint32_t* errorWord) {
  g_coreErrorWord = errorWord;
  g_sharedErrorWord = errorWord;
  GetCoreDataPointer()->errorWord = errorWord;
}
