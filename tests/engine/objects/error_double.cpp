#include "tests/engine/objects/error_double.h"

#include "engine/objects/object_errors.h"

std::vector<uint32_t>& RaisedErrors() {
  static std::vector<uint32_t> errors;
  return errors;
}

void RaiseErrorCode(uint32_t code) { RaisedErrors().push_back(code); }
