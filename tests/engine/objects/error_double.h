// The errors the object records raised, in order, in place of the engine core's error word.
#pragma once
#include <cstdint>
#include <vector>

std::vector<uint32_t>& RaisedErrors();
