// The vector store: numbered 3-vectors, 4-vectors and 4 x 4 matrices that other modules read and write
// by number (the light, camera, particle and tile-grid modules take SetVector3, GetVector3 and
// VectorExists as links). Nothing in the system adds an entry, so every lookup misses: the getters
// give zeros, SetVector3 changes nothing, and each miss raises 7801 once PassCoreData has run.
#pragma once
#include <cstdint>

#include "engine/core/core_data.h"
#include "platform/gfx/types.h"

namespace VectorModule {
void Constructor();
void Destructor();  // the entries live as long as the program
void SetErrorHandler(uint32_t* errorWord);
// Keeps CoreData and turns on error 7801 for missing numbers.
void PassCoreData(CoreData* coreData);
// 1 runs the constructor and the hand-over again; 0 does nothing.
void RefreshD3D(int mode);
}  // namespace VectorModule

constexpr uint32_t kErrorVector = 7801;

enum VectorType : uint32_t { kVectorType3 = 2, kVectorType4 = 3, kVectorTypeMatrix = 4 };

// A number the type list does not hold passes; one it holds passes when its type is `wanted`.
bool CheckVectorType(uint32_t number, uint32_t wanted);

// A type mismatch raises 7801; a missing number raises 7801 (after PassCoreData) and the command's
// text. Getters then give zeros.
void SetVector3(uint32_t number, float x, float y, float z);
void GetVector3(platform::gfx::Vector3* out, uint32_t number);
void GetVector4(platform::gfx::Vector4* out, uint32_t number);
void GetMatrix(platform::gfx::Matrix* out, uint32_t number);
// 1 when the store holds values under the number, else 0; raises nothing.
int32_t VectorExists(uint32_t number);
