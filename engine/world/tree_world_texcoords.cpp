// A stage's texture coordinates: environment mapping, rotation, scale and scroll applied to a face's
// drawing coordinates for one draw and put back right after it, and the time bases they run on.
#include <cmath>

#include "engine/world/tree_world_render.h"
#include "platform/d3dx/math_types.h"
#include "platform/d3dx/math_vector.h"

namespace gfx = platform::gfx;
namespace dx = platform::d3dx;

namespace {

uint32_t Milliseconds() {
  const TreeWorld& w = World();
  return w.clock ? w.clock() : 0;
}

// The camera that environment mapping looks from: the one that chooses the visible leaves (only
// camera 0 exists), engine units.
gfx::Vector3 EnvironmentEye() {
  const TreeWorld& w = World();
  if (!w.getCameraX || !w.getCameraY || !w.getCameraZ) return {0, 0, 0};
  const float z = w.getCameraZ(w.camera);
  const float y = w.getCameraY(w.camera);
  const float x = w.getCameraX(w.camera);
  return {x, y, z};
}

gfx::Vector3 ToEye(const gfx::Vector3& eye, const WorldVertex& v) {
  return dx::Vec3Normalize(dx::Vec3Subtract(eye, {v.x, v.y, v.z}));
}

void SavePatchTexCoords(const WorldPatch& patch) {
  TreeWorld& w = World();
  if (w.texCoordsModified) return;
  w.savedU.resize(patch.vertices.size());
  w.savedV.resize(patch.vertices.size());
  for (size_t i = 0; i < patch.vertices.size(); ++i) {
    w.savedU[i] = patch.vertices[i].u;
    w.savedV[i] = patch.vertices[i].v;
  }
  w.texCoordsModified = true;
}

void ModifyPolygonCoords(WorldVertex* vertices, int32_t count, const WorldStage& stage) {
  TreeWorld& w = World();
  if (stage.texCoordSource == 2) {
    const gfx::Vector3 eye = EnvironmentEye();
    for (int32_t i = 0; i < count; ++i) {
      const gfx::Vector3 n = ToEye(eye, vertices[i]);
      vertices[i].u = n.x + vertices[i].nx;
      vertices[i].v = n.y + vertices[i].ny;
    }
    w.texCoordsModified = true;
  }
  for (const TexCoordMod& mod : stage.mods) {
    const float angle = float(GetWorldTimeSeconds() * mod.rotationRate * dx::kDegreesToRadians);
    if (angle != 0.0f) {
      // About the middle of the texture.
      const float c = std::cos(angle), s = std::sin(angle);
      for (int32_t i = 0; i < count; ++i) {
        const float u = vertices[i].u - 0.5f, v = vertices[i].v - 0.5f;
        vertices[i].u = 0.5f + u * c - v * s;
        vertices[i].v = 0.5f + u * s + v * c;
      }
      w.texCoordsModified = true;
    }
    if (mod.scaleU != 0.0f || mod.scaleV != 0.0f) {
      for (int32_t i = 0; i < count; ++i) {
        vertices[i].u *= mod.scaleU;
        vertices[i].v *= mod.scaleV;
      }
      w.texCoordsModified = true;
    }
    const float du = ReduceScroll(float(GetWorldScrollSeconds() * mod.scrollU));
    const float dv = ReduceScroll(float(GetWorldScrollSeconds() * mod.scrollV));
    if (du != 0.0f || dv != 0.0f) {
      for (int32_t i = 0; i < count; ++i) {
        vertices[i].u += du;
        vertices[i].v += dv;
      }
      w.texCoordsModified = true;
    }
  }
}

// Patches take no rotation, and their scroll is not reduced.
void ModifyPatchCoords(WorldPatch& patch, const WorldStage& stage) {
  std::vector<WorldVertex>& vertices = patch.vertices;
  if (stage.texCoordSource == 2) {
    SavePatchTexCoords(patch);
    const gfx::Vector3 eye = EnvironmentEye();
    for (WorldVertex& v : vertices) {
      const gfx::Vector3 n = ToEye(eye, v);
      v.u = n.x + v.x;
      v.v = n.y + v.y;
    }
  }
  for (const TexCoordMod& mod : stage.mods) {
    if (mod.scaleU != 0.0f || mod.scaleV != 0.0f) {
      SavePatchTexCoords(patch);
      for (WorldVertex& v : vertices) {
        v.u *= mod.scaleU;
        v.v *= mod.scaleV;
      }
    }
    const float du = float(GetWorldScrollSeconds() * mod.scrollU);
    const float dv = float(GetWorldScrollSeconds() * mod.scrollV);
    if (du != 0.0f || dv != 0.0f) {
      SavePatchTexCoords(patch);
      for (WorldVertex& v : vertices) {
        v.u += du;
        v.v += dv;
      }
    }
  }
}

}  // namespace

double GetWorldTimeSeconds() { return Milliseconds() * 0.001; }
double GetWorldScrollSeconds() { return (Milliseconds() % 100000u) * 0.001; }

int32_t StageFrame(const WorldStage& stage, double seconds) {
  const size_t count = stage.frames.size();
  if (count == 0 || !(stage.animationRate > 0.0f)) return 0;
  // In doubles and reduced before it becomes an integer, so no rate or time overflows the frame number.
  const double step = std::trunc(seconds * stage.animationRate * double(count) * 0.1);
  if (!std::isfinite(step) || step < 0.0) return 0;
  return int32_t(std::fmod(step, double(count)));
}

float ReduceScroll(float step) {
  if (!std::isfinite(step)) return 0.0f;
  // What taking 1.0 off while the step is above 1.0 leaves, without a loop as long as the step.
  if (step > 1.0f) return float(double(step) - std::ceil(double(step) - 1.0));
  return step;
}

void ApplyStageTexCoordMods(WorldFace& face, const WorldStage& stage) {
  World().texCoordsModified = false;
  if (face.type == kWorldPolygon || face.type == kWorldMesh) {
    int32_t count = 0;
    if (WorldVertex* vertices = FaceVertices(face, &count)) ModifyPolygonCoords(vertices, count, stage);
  } else if (face.type == kWorldPatch) {
    if (WorldPatch* patch = FacePatch(face)) ModifyPatchCoords(*patch, stage);
  }
}

void RestoreFaceTexCoords(WorldFace& face) {
  TreeWorld& w = World();
  if (!w.texCoordsModified) return;
  w.texCoordsModified = false;
  if (face.type == kWorldPatch) {
    WorldPatch* patch = FacePatch(face);
    for (size_t i = 0; patch && i < patch->vertices.size() && i < w.savedU.size(); ++i) {
      patch->vertices[i].u = w.savedU[i];
      patch->vertices[i].v = w.savedV[i];
    }
    return;
  }
  int32_t count = 0;
  WorldVertex* vertices = FaceVertices(face, &count);
  for (int32_t i = 0; vertices && i < count; ++i) {
    const size_t source = size_t(face.firstVertex) + size_t(i);
    if (source >= w.sourceVertices.size()) break;
    vertices[i].u = w.sourceVertices[source].u;
    vertices[i].v = w.sourceVertices[source].v;
  }
}
