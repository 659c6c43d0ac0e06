// The templates every X file may use without declaring them. Kept as X text and read by the same
// parser as the files, so a declaration here and one in a file mean the same thing.
#include "platform/xfile/templates.h"

namespace platform::xfile {

std::string_view BuiltInTemplateText() {
  static constexpr char kText[] = R"(xof 0303txt 0032
template Header { <3d82ab43-62da-11cf-ab39-0020af71e433> WORD major; WORD minor; DWORD flags; }
template Vector { <3d82ab5e-62da-11cf-ab39-0020af71e433> FLOAT x; FLOAT y; FLOAT z; }
template Coords2d { <f6f23f44-7686-11cf-8f52-0040333594a3> FLOAT u; FLOAT v; }
template Matrix4x4 { <f6f23f45-7686-11cf-8f52-0040333594a3> array FLOAT matrix[16]; }
template ColorRGBA { <35ff44e0-6c7c-11cf-8f52-0040333594a3> FLOAT red; FLOAT green; FLOAT blue; FLOAT alpha; }
template ColorRGB { <d3e16e81-7835-11cf-8f52-0040333594a3> FLOAT red; FLOAT green; FLOAT blue; }
template IndexedColor { <1630b820-7842-11cf-8f52-0040333594a3> DWORD index; ColorRGBA indexColor; }
template Boolean { <4885ae61-78e8-11cf-8f52-0040333594a3> WORD truefalse; }
template Boolean2d { <4885ae63-78e8-11cf-8f52-0040333594a3> Boolean u; Boolean v; }
template MaterialWrap { <4885ae60-78e8-11cf-8f52-0040333594a3> Boolean u; Boolean v; }
template TextureFilename { <a42790e1-7810-11cf-8f52-0040333594a3> STRING filename; }
template Material {
  <3d82ab4d-62da-11cf-ab39-0020af71e433>
  ColorRGBA faceColor; FLOAT power; ColorRGB specularColor; ColorRGB emissiveColor; [...]
}
template MeshFace {
  <3d82ab5f-62da-11cf-ab39-0020af71e433>
  DWORD nFaceVertexIndices; array DWORD faceVertexIndices[nFaceVertexIndices];
}
template MeshFaceWraps {
  <4885ae62-78e8-11cf-8f52-0040333594a3>
  DWORD nFaceWrapValues; array Boolean2d faceWrapValues[nFaceWrapValues];
}
template MeshTextureCoords {
  <f6f23f40-7686-11cf-8f52-0040333594a3>
  DWORD nTextureCoords; array Coords2d textureCoords[nTextureCoords];
}
template MeshMaterialList {
  <f6f23f42-7686-11cf-8f52-0040333594a3>
  DWORD nMaterials; DWORD nFaceIndexes; array DWORD faceIndexes[nFaceIndexes];
  [Material <3d82ab4d-62da-11cf-ab39-0020af71e433>]
}
template MeshNormals {
  <f6f23f43-7686-11cf-8f52-0040333594a3>
  DWORD nNormals; array Vector normals[nNormals];
  DWORD nFaceNormals; array MeshFace faceNormals[nFaceNormals];
}
template MeshVertexColors {
  <1630b821-7842-11cf-8f52-0040333594a3>
  DWORD nVertexColors; array IndexedColor vertexColors[nVertexColors];
}
template Mesh {
  <3d82ab44-62da-11cf-ab39-0020af71e433>
  DWORD nVertices; array Vector vertices[nVertices];
  DWORD nFaces; array MeshFace faces[nFaces];
  [...]
}
template FrameTransformMatrix { <f6f23f41-7686-11cf-8f52-0040333594a3> Matrix4x4 frameMatrix; }
template Frame { <3d82ab46-62da-11cf-ab39-0020af71e433> [...] }
template FloatKeys { <10dd46a9-775b-11cf-8f52-0040333594a3> DWORD nValues; array FLOAT values[nValues]; }
template TimedFloatKeys { <f406b180-7b3b-11cf-8f52-0040333594a3> DWORD time; FloatKeys tfkeys; }
template AnimationKey {
  <10dd46a8-775b-11cf-8f52-0040333594a3>
  DWORD keyType; DWORD nKeys; array TimedFloatKeys keys[nKeys];
}
template AnimationOptions {
  <e2bf56c0-840f-11cf-8f52-0040333594a3>
  DWORD openclosed; DWORD positionquality;
}
template Animation { <3d82ab4f-62da-11cf-ab39-0020af71e433> [...] }
template AnimationSet { <3d82ab50-62da-11cf-ab39-0020af71e433> [Animation <3d82ab4f-62da-11cf-ab39-0020af71e433>] }
template InlineData { <3a23eea0-94b1-11d0-ab39-0020af71e433> [BINARY] }
template Url { <3a23eea1-94b1-11d0-ab39-0020af71e433> DWORD nUrls; array STRING urls[nUrls]; }
template ProgressiveMesh { <8a63c360-997d-11d0-941c-0080c80cfa7b> [Url <3a23eea1-94b1-11d0-ab39-0020af71e433>, InlineData <3a23eea0-94b1-11d0-ab39-0020af71e433>] }
template Guid { <a42790e0-7810-11cf-8f52-0040333594a3> DWORD data1; WORD data2; WORD data3; array UCHAR data4[8]; }
template StringProperty { <7f0f21e0-bfe1-11d1-82c0-00a0c9697271> STRING key; STRING value; }
template PropertyBag { <7f0f21e1-bfe1-11d1-82c0-00a0c9697271> [StringProperty <7f0f21e0-bfe1-11d1-82c0-00a0c9697271>] }
template ExternalVisual { <98116aa0-bdba-11d1-82c0-00a0c9697271> Guid guidExternalVisual; [...] }
template RightHanded { <7f5d5ea0-d53a-11d1-82c0-00a0c9697271> DWORD bRightHanded; }

template XSkinMeshHeader {
  <3cf169ce-ff7c-44ab-93c0-f78f62d172e2>
  WORD nMaxSkinWeightsPerVertex; WORD nMaxSkinWeightsPerFace; WORD nBones;
}
template SkinWeights {
  <6f0d123b-bad2-4167-a0d0-80224f25fabb>
  STRING transformNodeName; DWORD nWeights;
  array DWORD vertexIndices[nWeights]; array FLOAT weights[nWeights];
  Matrix4x4 matrixOffset;
}
template VertexDuplicationIndices {
  <b8d65549-d7c9-4995-89cf-53a9a8b031e3>
  DWORD nIndices; DWORD nOriginalVertices; array DWORD indices[nIndices];
}
template AnimTicksPerSecond { <9e415a43-7ba6-4a73-8743-b73d47e88476> DWORD AnimTicksPerSecond; }
template FVFData { <b6e70a0e-8ef9-4e83-94ad-ecc8b0c04897> DWORD dwFVF; DWORD nDWords; array DWORD data[nDWords]; }
template VertexElement { <f752461c-1e23-48f6-b9f8-8350850f336f> DWORD Type; DWORD Method; DWORD Usage; DWORD UsageIndex; }
template DeclData {
  <bf22e553-292c-4781-9fea-62bd554bdd93>
  DWORD nElements; array VertexElement Elements[nElements];
  DWORD nDWords; array DWORD data[nDWords];
}
template EffectInstance { <e331f7e4-0559-4cc2-8e99-1cec1657928f> STRING EffectFilename; [...] }
template EffectParamFloats {
  <3014b9a0-62f5-478c-9b86-e4ac9f4e418b>
  STRING ParamName; DWORD nFloats; array FLOAT Floats[nFloats];
}
template EffectParamString { <1dbc4c88-94c1-46ee-9076-2c28818c9481> STRING ParamName; STRING Value; }
template EffectParamDWord { <e13963bc-ae51-4c5d-b00f-cfa3a9d97ce5> STRING ParamName; DWORD Value; }
template FaceAdjacency { <a64c844a-e282-4756-8b80-250cde04398c> DWORD nIndices; array DWORD indices[nIndices]; }
template CompressedAnimationSet {
  <7f9b00b3-f125-4890-876e-1c42bf697c4d>
  DWORD CompressedBlockSize; FLOAT TicksPerSec; DWORD PlaybackType; DWORD BufferLength;
  array DWORD CompressedData[BufferLength];
}
)";
  return {kText, sizeof kText - 1};
}

}  // namespace platform::xfile
