// Runtime errors: numbered codes written into the one host-owned error word. The engine never clears
// the word; the latest code wins. No exception crosses a module boundary.
#pragma once
#include <cstdint>

// Writes `code` into the host error word when an error-word pointer has been handed over.
void RaiseErrorCode(uint32_t code);
// Texts are not kept and leave the error word alone; the last one is remembered for diagnostics only.
void RaiseErrorText(const char* text);
// The shared setter every module's SetErrorHandler forwards to.
void SetModuleErrorHandler(uint32_t* errorWord);
// The core's own setter: the core's pointer, the shared pointer and the CoreData field.
void SetCoreErrorHandler(uint32_t* errorWord);

// Last text passed to RaiseErrorText ("" when none); used to say why start-up failed.
const char* LastErrorText();
