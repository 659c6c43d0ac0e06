// Reference resolution and the walk guard. A walk over an object visits the objects written inside
// it and, through each reference among them, the referenced object's walk. A depth-first pass over
// those walks drops every reference that would lead a walk back into itself, and measures how deep
// and how large the remaining walks are.

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "platform/xfile/document.h"

namespace platform::xfile {
namespace {

std::string GuidKey(const Guid& g) { return std::string(reinterpret_cast<const char*>(&g), sizeof g); }

// Objects by name (exact, then any letter case) and by GUID; the first in file order wins.
class ObjectIndex {
 public:
  explicit ObjectIndex(const Document& doc) {
    for (const auto& o : doc.objects) {
      const std::string& name = DocumentAccess::RawName(*o);
      if (!name.empty()) {
        by_name_.emplace(name, o.get());
        by_lower_name_.emplace(Lower(name), o.get());
      }
      if (o->HasId()) by_id_.emplace(GuidKey(o->Id()), o.get());
    }
  }

  const DataObject* Find(const Child& ref) const {
    const std::string& name = ref.ReferenceName();
    if (ref.HasReferenceId()) {
      auto it = by_id_.find(GuidKey(ref.ReferenceId()));
      if (it != by_id_.end()) return it->second;
    }
    if (name.empty()) return nullptr;
    if (auto it = by_name_.find(name); it != by_name_.end()) return it->second;
    if (auto it = by_lower_name_.find(Lower(name)); it != by_lower_name_.end()) return it->second;
    return nullptr;
  }

 private:
  std::unordered_map<std::string, const DataObject*> by_name_, by_lower_name_, by_id_;
};

// A reference met while walking an object, `offset` levels below it.
struct Edge {
  Child* reference;
  uint32_t offset;
};

enum class Mark : uint8_t { kNew, kOnPath, kDone };

struct Frame {
  uint32_t object;
  std::vector<Edge> edges;
  size_t next = 0;
};

class WalkGuard {
 public:
  explicit WalkGuard(Document& doc)
      : doc_(doc), mark_(doc.objects.size(), Mark::kNew), size_(doc.objects.size()), depth_(doc.objects.size()) {
    // Parents precede children, so one backward sweep gives every object's own subtree.
    inline_size_.assign(doc.objects.size(), 1);
    inline_height_.assign(doc.objects.size(), 1);
    for (size_t i = doc.objects.size(); i-- > 0;)
      for (const Child& c : doc.objects[i]->Children())
        if (const DataObject* child = c.Object()) {
          uint32_t k = DocumentAccess::Index(*child);
          inline_size_[i] += inline_size_[k];
          inline_height_[i] = std::max(inline_height_[i], inline_height_[k] + 1);
        }
  }

  bool Run(std::string& error) {
    uint64_t total = 0;
    uint64_t deepest = 0;
    for (const DataObject* top : doc_.top_level) {
      uint32_t i = DocumentAccess::Index(*top);
      if (mark_[i] == Mark::kNew) Walk(i);
      total = std::min(total + size_[i], kMaxWalkObjects + 1);
      deepest = std::max(deepest, depth_[i]);
    }
    if (deepest > uint64_t(kMaxWalkDepth)) {
      error = "references nest deeper than " + std::to_string(kMaxWalkDepth) + " levels";
      return false;
    }
    if (total > kMaxWalkObjects) {
      error = "references expand to more than " + std::to_string(kMaxWalkObjects) + " objects";
      return false;
    }
    return true;
  }

 private:
  // Iterative, so a long chain of references cannot exhaust the stack.
  void Walk(uint32_t root) {
    std::vector<Frame> path;
    Enter(root, path);
    while (!path.empty()) {
      Frame& f = path.back();
      if (f.next == f.edges.size()) {
        Finish(f);
        path.pop_back();
        continue;
      }
      Child& ref = *f.edges[f.next++].reference;
      const DataObject* target = DocumentAccess::Target(ref);
      if (!target) continue;
      uint32_t t = DocumentAccess::Index(*target);
      if (mark_[t] == Mark::kOnPath)
        DocumentAccess::SetTarget(ref, nullptr);  // the walk would come back here: a cycle
      else if (mark_[t] == Mark::kNew)
        Enter(t, path);  // invalidates f
    }
  }

  void Enter(uint32_t object, std::vector<Frame>& path) {
    mark_[object] = Mark::kOnPath;
    Frame f{object, {}, 0};
    std::vector<std::pair<DataObject*, uint32_t>> pending{{doc_.objects[object].get(), 0}};
    while (!pending.empty()) {
      auto [o, offset] = pending.back();
      pending.pop_back();
      for (Child& c : DocumentAccess::Children(*o)) {
        if (c.IsReference()) {
          if (DocumentAccess::Target(c)) f.edges.push_back({&c, offset});
        } else {
          pending.push_back({doc_.objects[DocumentAccess::Index(*c.Object())].get(), offset + 1});
        }
      }
    }
    path.push_back(std::move(f));
  }

  void Finish(const Frame& f) {
    uint64_t size = inline_size_[f.object];
    uint64_t depth = inline_height_[f.object];
    for (const Edge& e : f.edges)
      if (const DataObject* target = DocumentAccess::Target(*e.reference)) {
        uint32_t t = DocumentAccess::Index(*target);
        size = std::min(size + size_[t], kMaxWalkObjects + 1);
        depth = std::min<uint64_t>(std::max<uint64_t>(depth, e.offset + 1 + depth_[t]), kMaxWalkDepth + 1);
      }
    size_[f.object] = size;
    depth_[f.object] = depth;
    mark_[f.object] = Mark::kDone;
  }

  Document& doc_;
  std::vector<Mark> mark_;
  std::vector<uint64_t> size_;
  std::vector<uint64_t> depth_;
  std::vector<uint64_t> inline_size_;
  std::vector<uint64_t> inline_height_;
};

}  // namespace

bool ResolveReferences(Document& doc, std::string& error) {
  ObjectIndex index(doc);
  for (auto& o : doc.objects)
    for (Child& c : DocumentAccess::Children(*o))
      if (c.IsReference()) DocumentAccess::SetTarget(c, index.Find(c));
  return WalkGuard(doc).Run(error);
}

}  // namespace platform::xfile
