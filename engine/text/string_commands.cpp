// The string commands edit a copy of their source in the text module's scratch buffer and hand the
// result over through the allocation callback.
#include "engine/text/string_commands.h"

#include <charconv>
#include <cstring>

#include "engine/core/core_alloc.h"
#include "engine/text/text_state.h"

namespace {

// Copies the source (or "") into the scratch buffer; its length, or -1 without a buffer.
int32_t CopyToScratch(const char* text) {
  const uint32_t length = text ? uint32_t(std::strlen(text)) : 0;
  EnsureTempBuffer(length + 1);
  char* scratch = TextModuleState().scratch;
  if (!scratch) return -1;
  std::memcpy(scratch, text ? text : "", length + 1);
  return int32_t(length);
}

char* ReturnTempString(char* previous) {
  TextState& s = TextModuleState();
  if (previous && s.allocFree) s.allocFree(&previous, 0);
  return HandOverNewString(s.allocFree, s.scratch ? s.scratch : "");
}

// Formats into the scratch buffer with std::to_chars, which never consults the locale.
template <class... Format>
void FormatToScratch(Format... format) {
  EnsureTempBuffer(256);
  char* scratch = TextModuleState().scratch;
  if (!scratch) return;
  const auto result = std::to_chars(scratch, scratch + TextModuleState().scratchCapacity - 1, format...);
  *result.ptr = 0;
}

}  // namespace

char* LeftStringReplacing(char* previous, const char* text, int32_t n) {
  const int32_t length = CopyToScratch(text);
  if (length >= 0) {
    if (n < 1) TextModuleState().scratch[0] = 0;
    else if (n <= length) TextModuleState().scratch[n] = 0;
  }
  return ReturnTempString(previous);
}

char* RightStringReplacing(char* previous, const char* text, int32_t n) {
  const int32_t length = CopyToScratch(text);
  if (length >= 0) {
    char* scratch = TextModuleState().scratch;
    const int64_t start = int64_t(length) - n;
    if (start >= 0 && start < length) {
      std::memmove(scratch, scratch + start, size_t(length - start));
      scratch[length - start] = 0;
    } else if (start >= length) {
      scratch[0] = 0;
    }
  }
  return ReturnTempString(previous);
}

char* LowerStringReplacing(char* previous, const char* text) {
  if (CopyToScratch(text) >= 0) {
    for (char* p = TextModuleState().scratch; *p; ++p)
      if (*p >= 'A' && *p <= 'Z') *p = char(*p - 'A' + 'a');
  }
  return ReturnTempString(previous);
}

char* FloatToStringReplacing(char* previous, float value) {
  FormatToScratch(double(value), std::chars_format::general, 12);
  return ReturnTempString(previous);
}

char* IntToStringReplacing(char* previous, int32_t value) {
  FormatToScratch(value);
  return ReturnTempString(previous);
}

char* LeftString(const char* text, int32_t n) { return LeftStringReplacing(nullptr, text, n); }
char* RightString(const char* text, int32_t n) { return RightStringReplacing(nullptr, text, n); }
char* LowerString(const char* text) { return LowerStringReplacing(nullptr, text); }
char* FloatToString(float value) { return FloatToStringReplacing(nullptr, value); }
char* IntToString(int32_t value) { return IntToStringReplacing(nullptr, value); }

int32_t StringLength(const char* text) { return text ? int32_t(std::strlen(text)) : 0; }
