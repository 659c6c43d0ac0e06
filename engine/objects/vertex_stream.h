// The vertex-stream converter: a triangle mesh given as named streams of numbers becomes the streams a
// shader effect reads. It copies what the caller has, makes smooth normals and cylindrical texture
// coordinates where they are missing, can repair texture seams that wrap around and split vertices
// along creases, and computes a tangent and binormal per vertex from the texture coordinates.
//
// Streams: "indices" (ints, three vertex numbers per triangle), "position", "normal", "tangent",
// "binormal" and "tex0" (floats, three per vertex); any other float stream named in both lists is
// carried along, three floats per vertex. The vertex count is the "position" float count / 3.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/types.h"

struct VertexAttribute {
  std::string name;
  std::vector<int32_t> ints;
  std::vector<float> floats;
};

enum ConverterOption : int {
  SplitCreases = 0,
  KeepCreases = 1,
  RepairWrap = 2,
  KeepWrap = 3,
  WeightFaceNormals = 4,
  UnitFaceNormals = 5,
};

class VertexStreamConverter {
 public:
  // Fills the output streams the caller lists (clearing them first), appending "normal", "tex0",
  // "tangent" and "binormal" when it needs them. creaseAngle in radians; textureMatrix (row-vector,
  // may be null) transforms every texture coordinate. The crease option is tested against
  // SplitCreases, the wrap option against RepairWrap, the normal option against UnitFaceNormals; any
  // other value takes the other choice. False, with one new message, when "indices" or "position" is
  // missing from either list, an index names no vertex, or a stream does not hold three floats for
  // every vertex.
  bool ConvertVertexStreams(const std::vector<VertexAttribute>& input, std::vector<VertexAttribute>& output,
                            float creaseAngle, const platform::gfx::Matrix* textureMatrix, int creaseOption,
                            int wrapOption, int normalOption);

  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  bool Fail(std::string message);
  std::vector<std::string> messages_;
};
