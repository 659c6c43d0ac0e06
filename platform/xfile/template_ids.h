// GUIDs of the templates the reader knows without a declaration in the file. Data objects are told
// apart by these (DataObject::Type()), so they keep their published values.
#pragma once
#include "platform/xfile/guid.h"

namespace platform::xfile::ids {

constexpr Guid Make(uint32_t d1, uint16_t d2, uint16_t d3, uint16_t d4, uint64_t d5) {
  return Guid{d1, d2, d3,
              {uint8_t(d4 >> 8), uint8_t(d4), uint8_t(d5 >> 40), uint8_t(d5 >> 32), uint8_t(d5 >> 24),
               uint8_t(d5 >> 16), uint8_t(d5 >> 8), uint8_t(d5)}};
}

// Standard templates.
inline constexpr Guid Header = Make(0x3d82ab43, 0x62da, 0x11cf, 0xab39, 0x0020af71e433);
inline constexpr Guid Vector = Make(0x3d82ab5e, 0x62da, 0x11cf, 0xab39, 0x0020af71e433);
inline constexpr Guid Coords2d = Make(0xf6f23f44, 0x7686, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid Matrix4x4 = Make(0xf6f23f45, 0x7686, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid ColorRGBA = Make(0x35ff44e0, 0x6c7c, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid ColorRGB = Make(0xd3e16e81, 0x7835, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid IndexedColor = Make(0x1630b820, 0x7842, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid Boolean = Make(0x4885ae61, 0x78e8, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid Boolean2d = Make(0x4885ae63, 0x78e8, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid MaterialWrap = Make(0x4885ae60, 0x78e8, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid TextureFilename = Make(0xa42790e1, 0x7810, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid Material = Make(0x3d82ab4d, 0x62da, 0x11cf, 0xab39, 0x0020af71e433);
inline constexpr Guid MeshFace = Make(0x3d82ab5f, 0x62da, 0x11cf, 0xab39, 0x0020af71e433);
inline constexpr Guid MeshFaceWraps = Make(0x4885ae62, 0x78e8, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid MeshTextureCoords = Make(0xf6f23f40, 0x7686, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid MeshMaterialList = Make(0xf6f23f42, 0x7686, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid MeshNormals = Make(0xf6f23f43, 0x7686, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid MeshVertexColors = Make(0x1630b821, 0x7842, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid Mesh = Make(0x3d82ab44, 0x62da, 0x11cf, 0xab39, 0x0020af71e433);
inline constexpr Guid FrameTransformMatrix = Make(0xf6f23f41, 0x7686, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid Frame = Make(0x3d82ab46, 0x62da, 0x11cf, 0xab39, 0x0020af71e433);
inline constexpr Guid FloatKeys = Make(0x10dd46a9, 0x775b, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid TimedFloatKeys = Make(0xf406b180, 0x7b3b, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid AnimationKey = Make(0x10dd46a8, 0x775b, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid AnimationOptions = Make(0xe2bf56c0, 0x840f, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid Animation = Make(0x3d82ab4f, 0x62da, 0x11cf, 0xab39, 0x0020af71e433);
inline constexpr Guid AnimationSet = Make(0x3d82ab50, 0x62da, 0x11cf, 0xab39, 0x0020af71e433);
inline constexpr Guid InlineData = Make(0x3a23eea0, 0x94b1, 0x11d0, 0xab39, 0x0020af71e433);
inline constexpr Guid Url = Make(0x3a23eea1, 0x94b1, 0x11d0, 0xab39, 0x0020af71e433);
inline constexpr Guid ProgressiveMesh = Make(0x8a63c360, 0x997d, 0x11d0, 0x941c, 0x0080c80cfa7b);
inline constexpr Guid GuidTemplate = Make(0xa42790e0, 0x7810, 0x11cf, 0x8f52, 0x0040333594a3);
inline constexpr Guid StringProperty = Make(0x7f0f21e0, 0xbfe1, 0x11d1, 0x82c0, 0x00a0c9697271);
inline constexpr Guid PropertyBag = Make(0x7f0f21e1, 0xbfe1, 0x11d1, 0x82c0, 0x00a0c9697271);
inline constexpr Guid ExternalVisual = Make(0x98116aa0, 0xbdba, 0x11d1, 0x82c0, 0x00a0c9697271);
inline constexpr Guid RightHanded = Make(0x7f5d5ea0, 0xd53a, 0x11d1, 0x82c0, 0x00a0c9697271);

// Skinning, animation and vertex-data extensions.
inline constexpr Guid XSkinMeshHeader = Make(0x3cf169ce, 0xff7c, 0x44ab, 0x93c0, 0xf78f62d172e2);
inline constexpr Guid SkinWeights = Make(0x6f0d123b, 0xbad2, 0x4167, 0xa0d0, 0x80224f25fabb);
inline constexpr Guid VertexDuplicationIndices = Make(0xb8d65549, 0xd7c9, 0x4995, 0x89cf, 0x53a9a8b031e3);
inline constexpr Guid AnimTicksPerSecond = Make(0x9e415a43, 0x7ba6, 0x4a73, 0x8743, 0xb73d47e88476);
inline constexpr Guid FVFData = Make(0xb6e70a0e, 0x8ef9, 0x4e83, 0x94ad, 0xecc8b0c04897);
inline constexpr Guid VertexElement = Make(0xf752461c, 0x1e23, 0x48f6, 0xb9f8, 0x8350850f336f);
inline constexpr Guid DeclData = Make(0xbf22e553, 0x292c, 0x4781, 0x9fea, 0x62bd554bdd93);
inline constexpr Guid EffectInstance = Make(0xe331f7e4, 0x0559, 0x4cc2, 0x8e99, 0x1cec1657928f);
inline constexpr Guid EffectParamFloats = Make(0x3014b9a0, 0x62f5, 0x478c, 0x9b86, 0xe4ac9f4e418b);
inline constexpr Guid EffectParamString = Make(0x1dbc4c88, 0x94c1, 0x46ee, 0x9076, 0x2c28818c9481);
inline constexpr Guid EffectParamDWord = Make(0xe13963bc, 0xae51, 0x4c5d, 0xb00f, 0xcfa3a9d97ce5);
inline constexpr Guid FaceAdjacency = Make(0xa64c844a, 0xe282, 0x4756, 0x8b80, 0x250cde04398c);
inline constexpr Guid CompressedAnimationSet = Make(0x7f9b00b3, 0xf125, 0x4890, 0x876e, 0x1c42bf697c4d);

}  // namespace platform::xfile::ids
