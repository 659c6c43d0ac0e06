#include "engine/formats/model_summary.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

void Append(std::string* out, int depth, const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  out->append(size_t(depth) * 2, ' ');
  out->append(line);
  out->push_back('\n');
}

// Every frame of the tree with its depth, in walk order (a frame, its children, then its siblings).
template <typename Visit>
void WalkFrames(const FrameRecord* root, Visit visit) {
  std::vector<std::pair<const FrameRecord*, int>> pending;
  if (root) pending.push_back({root, 0});
  while (!pending.empty()) {
    auto [frame, depth] = pending.back();
    pending.pop_back();
    visit(*frame, depth);
    if (frame->sibling) pending.push_back({frame->sibling.get(), depth});
    if (frame->child) pending.push_back({frame->child.get(), depth + 1});
  }
}

void DescribeMesh(std::string* out, const MeshRecord& m, int depth) {
  Append(out, depth,
         "mesh fvf 0x%x stride %u vertices %d indices %d triangles %d primitive %u own-material %u "
         "subset-textures %u",
         m.fvf, m.vertexSize, m.vertexCount, m.indexCount, m.drawPrimitiveCount, m.primitiveType, m.ownMaterial,
         m.subsetTextures);
  for (size_t i = 0; i < m.stages.size(); ++i)
    Append(out, depth + 1, "stage %zu \"%s\" unit %u", i, m.stages[i].fileName, m.stages[i].stage);
  for (const MaterialSubset& s : m.subsets)
    Append(out, depth + 1, "subset \"%s\" first %u indices %u triangles %u", s.name, s.firstIndex, s.indexCount,
           s.triangleCount);
  for (const BoneRecord& b : m.bones) Append(out, depth + 1, "bone \"%s\" influences %u", b.name, b.InfluenceCount());
  if (!m.attachedFrames.empty()) Append(out, depth + 1, "attached frames %zu", m.attachedFrames.size());
  if (m.hasEffect) Append(out, depth + 1, "effect \"%s\"", m.effectFileName);
}

}  // namespace

ModelCounts CountModel(const ObjectRecord& object) {
  ModelCounts c;
  WalkFrames(object.root.get(), [&](const FrameRecord& f, int) {
    ++c.frames;
    if (!f.mesh) return;
    const MeshRecord& m = *f.mesh;
    ++c.meshes;
    c.vertices += m.vertexCount;
    c.indices += m.indexCount;
    c.triangles += m.drawPrimitiveCount;
    c.stages += int(m.stages.size());
    c.subsets += int(m.subsets.size());
    c.bones += int(m.bones.size());
  });
  for (const AnimationSet* s = object.firstSet.get(); s; s = s->next.get()) ++c.animationSets;
  if (const AnimationSet* set = object.firstSet.get()) {
    c.length = set->length;
    for (const AnimationRecord* t = set->firstTrack.get(); t; t = t->next.get()) {
      ++c.tracks;
      c.keys += int64_t(t->positionKeys.size() + t->rotationKeys.size() + t->scaleKeys.size() + t->matrixKeys.size());
    }
  }
  return c;
}

std::string DescribeModel(const ObjectRecord& object) {
  std::string out;
  const ModelCounts c = CountModel(object);
  Append(&out, 0,
         "frames %d meshes %d vertices %" PRId64 " indices %" PRId64 " triangles %" PRId64
         " stages %d subsets %d bones %d animation-sets %d tracks %d keys %" PRId64,
         c.frames, c.meshes, c.vertices, c.indices, c.triangles, c.stages, c.subsets, c.bones, c.animationSets,
         c.tracks, c.keys);
  WalkFrames(object.root.get(), [&](const FrameRecord& f, int depth) {
    Append(&out, depth, "frame \"%s\"", f.name);
    if (f.mesh) DescribeMesh(&out, *f.mesh, depth + 1);
  });
  for (const AnimationSet* set = object.firstSet.get(); set; set = set->next.get()) {
    int tracks = 0;
    for (const AnimationRecord* t = set->firstTrack.get(); t; t = t->next.get()) ++tracks;
    Append(&out, 0, "animation set \"%s\" length %u tracks %d", set->name, set->length, tracks);
    for (const AnimationRecord* t = set->firstTrack.get(); t; t = t->next.get()) {
      Append(&out, 1, "track \"%s\" keys position %zu rotation %zu scale %zu matrix %zu", t->name,
             t->positionKeys.size(), t->rotationKeys.size(), t->scaleKeys.size(), t->matrixKeys.size());
      if (t->keyMode == 0)
        Append(&out, 2, "table %zu x %u values %zu", t->matrixTable.size(), t->tableColumns, t->values.size());
    }
  }
  return out;
}
