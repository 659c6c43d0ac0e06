// Values and plain records of the device layer. Numeric values are the documented Direct3D 9 values:
// stored model files keep vertex-format codes,
// and engine logic compares formats, states and results by number, so none of them may change.
#pragma once
#include <cstdint>

namespace platform::gfx {

using Result = int32_t;
constexpr Result kOk = 0;
constexpr Result kFail = static_cast<Result>(0x80004005);
constexpr Result kOutOfMemory = static_cast<Result>(0x8007000E);
constexpr Result kDeviceLost = static_cast<Result>(0x88760868);
constexpr Result kDeviceNotReset = static_cast<Result>(0x88760869);
constexpr Result kNotAvailable = static_cast<Result>(0x8876086A);
constexpr Result kInvalidCall = static_cast<Result>(0x8876086C);
constexpr Result kOutOfVideoMemory = static_cast<Result>(0x8876017C);
constexpr Result kWasStillDrawing = static_cast<Result>(0x8876021C);
constexpr Result kNotFound = static_cast<Result>(0x88760866);
constexpr Result kMoreData = static_cast<Result>(0x88760867);
constexpr Result kNotSupported = static_cast<Result>(0x80004001);  // not implemented on this platform
inline bool Succeeded(Result r) { return r >= 0; }
inline bool Failed(Result r) { return r < 0; }

constexpr uint32_t FourCC(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

// The version number the interface is created with; any value is accepted.
constexpr uint32_t kSdkVersion = 31;
constexpr uint32_t kAdapterDefault = 0;

// Float-valued states (fog start, point size ...) travel as the bit pattern of the float.
inline uint32_t FloatBits(float f) {
  uint32_t u;
  __builtin_memcpy(&u, &f, sizeof u);
  return u;
}
inline float BitsFloat(uint32_t u) {
  float f;
  __builtin_memcpy(&f, &u, sizeof f);
  return f;
}

// Pixel, depth and index formats.
enum Format : uint32_t {
  FMT_UNKNOWN = 0,
  FMT_R8G8B8 = 20, FMT_A8R8G8B8 = 21, FMT_X8R8G8B8 = 22, FMT_R5G6B5 = 23, FMT_X1R5G5B5 = 24,
  FMT_A1R5G5B5 = 25, FMT_A4R4G4B4 = 26, FMT_R3G3B2 = 27, FMT_A8 = 28, FMT_A8R3G3B2 = 29,
  FMT_X4R4G4B4 = 30, FMT_A2B10G10R10 = 31, FMT_A8B8G8R8 = 32, FMT_X8B8G8R8 = 33, FMT_G16R16 = 34,
  FMT_A2R10G10B10 = 35, FMT_A16B16G16R16 = 36, FMT_A8P8 = 40, FMT_P8 = 41, FMT_L8 = 50,
  FMT_A8L8 = 51, FMT_A4L4 = 52, FMT_V8U8 = 60, FMT_L6V5U5 = 61, FMT_X8L8V8U8 = 62,
  FMT_Q8W8V8U8 = 63, FMT_V16U16 = 64, FMT_A2W10V10U10 = 67,
  FMT_D16_LOCKABLE = 70, FMT_D32 = 71, FMT_D15S1 = 73, FMT_D24S8 = 75, FMT_D24X8 = 77,
  FMT_D24X4S4 = 79, FMT_D16 = 80, FMT_L16 = 81, FMT_D32F_LOCKABLE = 82, FMT_D24FS8 = 83,
  FMT_VERTEXDATA = 100, FMT_INDEX16 = 101, FMT_INDEX32 = 102,
  FMT_Q16W16V16U16 = 110, FMT_R16F = 111, FMT_G16R16F = 112, FMT_A16B16G16R16F = 113,
  FMT_R32F = 114, FMT_G32R32F = 115, FMT_A32B32G32R32F = 116,
  FMT_DXT1 = FourCC('D', 'X', 'T', '1'), FMT_DXT2 = FourCC('D', 'X', 'T', '2'),
  FMT_DXT3 = FourCC('D', 'X', 'T', '3'), FMT_DXT4 = FourCC('D', 'X', 'T', '4'),
  FMT_DXT5 = FourCC('D', 'X', 'T', '5'),
};

// Flexible vertex format bits.
enum : uint32_t {
  FVF_XYZ = 0x002, FVF_XYZRHW = 0x004, FVF_XYZB1 = 0x006, FVF_XYZB2 = 0x008, FVF_XYZB3 = 0x00A,
  FVF_XYZB4 = 0x00C, FVF_XYZB5 = 0x00E, FVF_XYZW = 0x4002, FVF_POSITION_MASK = 0x400E,
  FVF_NORMAL = 0x010, FVF_PSIZE = 0x020, FVF_DIFFUSE = 0x040, FVF_SPECULAR = 0x080,
  FVF_TEXCOUNT_MASK = 0xF00, FVF_TEXCOUNT_SHIFT = 8,
  FVF_TEX0 = 0x000, FVF_TEX1 = 0x100, FVF_TEX2 = 0x200, FVF_TEX3 = 0x300, FVF_TEX4 = 0x400,
  FVF_TEX5 = 0x500, FVF_TEX6 = 0x600, FVF_TEX7 = 0x700, FVF_TEX8 = 0x800,
  FVF_LASTBETA_UBYTE4 = 0x1000, FVF_LASTBETA_COLOR = 0x8000,
};
// Size bits of texture-coordinate set i (two bits at 16 + 2i): 0 means two floats.
constexpr uint32_t FvfTexCoordSize1(int i) { return 3u << (i * 2 + 16); }
constexpr uint32_t FvfTexCoordSize2(int i) { return 0u; }
constexpr uint32_t FvfTexCoordSize3(int i) { return 1u << (i * 2 + 16); }
constexpr uint32_t FvfTexCoordSize4(int i) { return 2u << (i * 2 + 16); }

// Vertex declarations.
enum DeclType : uint8_t {
  DECLTYPE_FLOAT1 = 0, DECLTYPE_FLOAT2 = 1, DECLTYPE_FLOAT3 = 2, DECLTYPE_FLOAT4 = 3,
  DECLTYPE_COLOR = 4, DECLTYPE_UBYTE4 = 5, DECLTYPE_SHORT2 = 6, DECLTYPE_SHORT4 = 7,
  DECLTYPE_UBYTE4N = 8, DECLTYPE_SHORT2N = 9, DECLTYPE_SHORT4N = 10, DECLTYPE_USHORT2N = 11,
  DECLTYPE_USHORT4N = 12, DECLTYPE_UDEC3 = 13, DECLTYPE_DEC3N = 14, DECLTYPE_FLOAT16_2 = 15,
  DECLTYPE_FLOAT16_4 = 16, DECLTYPE_UNUSED = 17,
};
enum DeclMethod : uint8_t {
  DECLMETHOD_DEFAULT = 0, DECLMETHOD_PARTIALU = 1, DECLMETHOD_PARTIALV = 2, DECLMETHOD_CROSSUV = 3,
  DECLMETHOD_UV = 4, DECLMETHOD_LOOKUP = 5, DECLMETHOD_LOOKUPPRESAMPLED = 6,
};
enum DeclUsage : uint8_t {
  DECLUSAGE_POSITION = 0, DECLUSAGE_BLENDWEIGHT = 1, DECLUSAGE_BLENDINDICES = 2, DECLUSAGE_NORMAL = 3,
  DECLUSAGE_PSIZE = 4, DECLUSAGE_TEXCOORD = 5, DECLUSAGE_TANGENT = 6, DECLUSAGE_BINORMAL = 7,
  DECLUSAGE_TESSFACTOR = 8, DECLUSAGE_POSITIONT = 9, DECLUSAGE_COLOR = 10, DECLUSAGE_FOG = 11,
  DECLUSAGE_DEPTH = 12, DECLUSAGE_SAMPLE = 13,
};
struct VertexElement {
  uint16_t stream;
  uint16_t offset;
  uint8_t type;    // DeclType
  uint8_t method;  // DeclMethod
  uint8_t usage;   // DeclUsage
  uint8_t usageIndex;
};
// The element that ends a declaration.
constexpr VertexElement kDeclEnd = {0xFF, 0, DECLTYPE_UNUSED, 0, 0, 0};
constexpr int kMaxDeclLength = 65;  // elements, end marker included

enum PrimitiveType : uint32_t {
  PT_POINTLIST = 1, PT_LINELIST = 2, PT_LINESTRIP = 3, PT_TRIANGLELIST = 4, PT_TRIANGLESTRIP = 5,
  PT_TRIANGLEFAN = 6,
};

// Render states.
enum RenderState : uint32_t {
  RS_ZENABLE = 7, RS_FILLMODE = 8, RS_SHADEMODE = 9, RS_ZWRITEENABLE = 14, RS_ALPHATESTENABLE = 15,
  RS_LASTPIXEL = 16, RS_SRCBLEND = 19, RS_DESTBLEND = 20, RS_CULLMODE = 22, RS_ZFUNC = 23,
  RS_ALPHAREF = 24, RS_ALPHAFUNC = 25, RS_DITHERENABLE = 26, RS_ALPHABLENDENABLE = 27,
  RS_FOGENABLE = 28, RS_SPECULARENABLE = 29, RS_FOGCOLOR = 34, RS_FOGTABLEMODE = 35,
  RS_FOGSTART = 36, RS_FOGEND = 37, RS_FOGDENSITY = 38, RS_RANGEFOGENABLE = 48,
  RS_STENCILENABLE = 52, RS_STENCILFAIL = 53, RS_STENCILZFAIL = 54, RS_STENCILPASS = 55,
  RS_STENCILFUNC = 56, RS_STENCILREF = 57, RS_STENCILMASK = 58, RS_STENCILWRITEMASK = 59,
  RS_TEXTUREFACTOR = 60, RS_WRAP0 = 128, RS_WRAP1 = 129, RS_WRAP2 = 130, RS_WRAP3 = 131,
  RS_WRAP4 = 132, RS_WRAP5 = 133, RS_WRAP6 = 134, RS_WRAP7 = 135, RS_CLIPPING = 136,
  RS_LIGHTING = 137, RS_AMBIENT = 139, RS_FOGVERTEXMODE = 140, RS_COLORVERTEX = 141,
  RS_LOCALVIEWER = 142, RS_NORMALIZENORMALS = 143, RS_DIFFUSEMATERIALSOURCE = 145,
  RS_SPECULARMATERIALSOURCE = 146, RS_AMBIENTMATERIALSOURCE = 147,
  RS_EMISSIVEMATERIALSOURCE = 148, RS_VERTEXBLEND = 151, RS_CLIPPLANEENABLE = 152,
  RS_POINTSIZE = 154, RS_POINTSIZE_MIN = 155, RS_POINTSPRITEENABLE = 156, RS_POINTSCALEENABLE = 157,
  RS_POINTSCALE_A = 158, RS_POINTSCALE_B = 159, RS_POINTSCALE_C = 160,
  RS_MULTISAMPLEANTIALIAS = 161, RS_MULTISAMPLEMASK = 162, RS_PATCHEDGESTYLE = 163,
  RS_DEBUGMONITORTOKEN = 165, RS_POINTSIZE_MAX = 166, RS_INDEXEDVERTEXBLENDENABLE = 167,
  RS_COLORWRITEENABLE = 168, RS_TWEENFACTOR = 170, RS_BLENDOP = 171, RS_POSITIONDEGREE = 172,
  RS_NORMALDEGREE = 173, RS_SCISSORTESTENABLE = 174, RS_SLOPESCALEDEPTHBIAS = 175,
  RS_ANTIALIASEDLINEENABLE = 176, RS_MINTESSELLATIONLEVEL = 178, RS_MAXTESSELLATIONLEVEL = 179,
  RS_ADAPTIVETESS_X = 180, RS_ADAPTIVETESS_Y = 181, RS_ADAPTIVETESS_Z = 182,
  RS_ADAPTIVETESS_W = 183, RS_ENABLEADAPTIVETESSELLATION = 184, RS_TWOSIDEDSTENCILMODE = 185,
  RS_CCW_STENCILFAIL = 186, RS_CCW_STENCILZFAIL = 187, RS_CCW_STENCILPASS = 188,
  RS_CCW_STENCILFUNC = 189, RS_COLORWRITEENABLE1 = 190, RS_COLORWRITEENABLE2 = 191,
  RS_COLORWRITEENABLE3 = 192, RS_BLENDFACTOR = 193, RS_SRGBWRITEENABLE = 194, RS_DEPTHBIAS = 195,
  RS_WRAP8 = 198, RS_WRAP15 = 205, RS_SEPARATEALPHABLENDENABLE = 206, RS_SRCBLENDALPHA = 207,
  RS_DESTBLENDALPHA = 208, RS_BLENDOPALPHA = 209,
};
constexpr int kRenderStateCount = 210;

enum : uint32_t { ZB_FALSE = 0, ZB_TRUE = 1, ZB_USEW = 2 };
enum : uint32_t { FILL_POINT = 1, FILL_WIREFRAME = 2, FILL_SOLID = 3 };
enum : uint32_t { SHADE_FLAT = 1, SHADE_GOURAUD = 2, SHADE_PHONG = 3 };
enum : uint32_t { CULL_NONE = 1, CULL_CW = 2, CULL_CCW = 3 };
enum : uint32_t {
  BLEND_ZERO = 1, BLEND_ONE = 2, BLEND_SRCCOLOR = 3, BLEND_INVSRCCOLOR = 4, BLEND_SRCALPHA = 5,
  BLEND_INVSRCALPHA = 6, BLEND_DESTALPHA = 7, BLEND_INVDESTALPHA = 8, BLEND_DESTCOLOR = 9,
  BLEND_INVDESTCOLOR = 10, BLEND_SRCALPHASAT = 11, BLEND_BOTHSRCALPHA = 12,
  BLEND_BOTHINVSRCALPHA = 13, BLEND_BLENDFACTOR = 14, BLEND_INVBLENDFACTOR = 15,
};
enum : uint32_t { BLENDOP_ADD = 1, BLENDOP_SUBTRACT = 2, BLENDOP_REVSUBTRACT = 3, BLENDOP_MIN = 4, BLENDOP_MAX = 5 };
enum : uint32_t {
  CMP_NEVER = 1, CMP_LESS = 2, CMP_EQUAL = 3, CMP_LESSEQUAL = 4, CMP_GREATER = 5, CMP_NOTEQUAL = 6,
  CMP_GREATEREQUAL = 7, CMP_ALWAYS = 8,
};
enum : uint32_t {
  STENCILOP_KEEP = 1, STENCILOP_ZERO = 2, STENCILOP_REPLACE = 3, STENCILOP_INCRSAT = 4,
  STENCILOP_DECRSAT = 5, STENCILOP_INVERT = 6, STENCILOP_INCR = 7, STENCILOP_DECR = 8,
};
enum : uint32_t { FOG_NONE = 0, FOG_EXP = 1, FOG_EXP2 = 2, FOG_LINEAR = 3 };
enum : uint32_t { MCS_MATERIAL = 0, MCS_COLOR1 = 1, MCS_COLOR2 = 2 };
enum : uint32_t {
  VBF_DISABLE = 0, VBF_1WEIGHTS = 1, VBF_2WEIGHTS = 2, VBF_3WEIGHTS = 3, VBF_TWEENING = 255,
  VBF_0WEIGHTS = 256,
};
enum : uint32_t {
  COLORWRITE_RED = 1, COLORWRITE_GREEN = 2, COLORWRITE_BLUE = 4, COLORWRITE_ALPHA = 8,
};

// Texture-stage states, operations and arguments.
enum TextureStageState : uint32_t {
  TSS_COLOROP = 1, TSS_COLORARG1 = 2, TSS_COLORARG2 = 3, TSS_ALPHAOP = 4, TSS_ALPHAARG1 = 5,
  TSS_ALPHAARG2 = 6, TSS_BUMPENVMAT00 = 7, TSS_BUMPENVMAT01 = 8, TSS_BUMPENVMAT10 = 9,
  TSS_BUMPENVMAT11 = 10, TSS_TEXCOORDINDEX = 11, TSS_BUMPENVLSCALE = 22, TSS_BUMPENVLOFFSET = 23,
  TSS_TEXTURETRANSFORMFLAGS = 24, TSS_COLORARG0 = 26, TSS_ALPHAARG0 = 27, TSS_RESULTARG = 28,
  TSS_CONSTANT = 32,
};
constexpr int kTextureStageStateCount = 33;
constexpr int kMaxTextureStages = 8;
enum : uint32_t {
  TOP_DISABLE = 1, TOP_SELECTARG1 = 2, TOP_SELECTARG2 = 3, TOP_MODULATE = 4, TOP_MODULATE2X = 5,
  TOP_MODULATE4X = 6, TOP_ADD = 7, TOP_ADDSIGNED = 8, TOP_ADDSIGNED2X = 9, TOP_SUBTRACT = 10,
  TOP_ADDSMOOTH = 11, TOP_BLENDDIFFUSEALPHA = 12, TOP_BLENDTEXTUREALPHA = 13,
  TOP_BLENDFACTORALPHA = 14, TOP_BLENDTEXTUREALPHAPM = 15, TOP_BLENDCURRENTALPHA = 16,
  TOP_PREMODULATE = 17, TOP_MODULATEALPHA_ADDCOLOR = 18, TOP_MODULATECOLOR_ADDALPHA = 19,
  TOP_MODULATEINVALPHA_ADDCOLOR = 20, TOP_MODULATEINVCOLOR_ADDALPHA = 21, TOP_BUMPENVMAP = 22,
  TOP_BUMPENVMAPLUMINANCE = 23, TOP_DOTPRODUCT3 = 24, TOP_MULTIPLYADD = 25, TOP_LERP = 26,
};
enum : uint32_t {
  TA_DIFFUSE = 0, TA_CURRENT = 1, TA_TEXTURE = 2, TA_TFACTOR = 3, TA_SPECULAR = 4, TA_TEMP = 5,
  TA_CONSTANT = 6, TA_SELECTMASK = 0xF, TA_COMPLEMENT = 0x10, TA_ALPHAREPLICATE = 0x20,
};
enum : uint32_t {
  TCI_PASSTHRU = 0, TCI_CAMERASPACENORMAL = 0x10000, TCI_CAMERASPACEPOSITION = 0x20000,
  TCI_CAMERASPACEREFLECTIONVECTOR = 0x30000, TCI_SPHEREMAP = 0x40000,
};
enum : uint32_t { TTFF_DISABLE = 0, TTFF_COUNT1 = 1, TTFF_COUNT2 = 2, TTFF_COUNT3 = 3, TTFF_COUNT4 = 4, TTFF_PROJECTED = 256 };

// Sampler states.
enum SamplerState : uint32_t {
  SAMP_ADDRESSU = 1, SAMP_ADDRESSV = 2, SAMP_ADDRESSW = 3, SAMP_BORDERCOLOR = 4, SAMP_MAGFILTER = 5,
  SAMP_MINFILTER = 6, SAMP_MIPFILTER = 7, SAMP_MIPMAPLODBIAS = 8, SAMP_MAXMIPLEVEL = 9,
  SAMP_MAXANISOTROPY = 10, SAMP_SRGBTEXTURE = 11, SAMP_ELEMENTINDEX = 12, SAMP_DMAPOFFSET = 13,
};
constexpr int kSamplerStateCount = 14;
constexpr int kMaxSamplers = 16;
enum : uint32_t { TADDRESS_WRAP = 1, TADDRESS_MIRROR = 2, TADDRESS_CLAMP = 3, TADDRESS_BORDER = 4, TADDRESS_MIRRORONCE = 5 };
enum : uint32_t { TEXF_NONE = 0, TEXF_POINT = 1, TEXF_LINEAR = 2, TEXF_ANISOTROPIC = 3 };

enum TransformState : uint32_t {
  TS_VIEW = 2, TS_PROJECTION = 3, TS_TEXTURE0 = 16, TS_TEXTURE7 = 23, TS_WORLD = 256,
};
constexpr uint32_t TsWorldMatrix(int n) { return 256u + uint32_t(n); }

enum : uint32_t { LIGHT_POINT = 1, LIGHT_SPOT = 2, LIGHT_DIRECTIONAL = 3 };
enum : uint32_t { CLEAR_TARGET = 1, CLEAR_ZBUFFER = 2, CLEAR_STENCIL = 4 };

enum : uint32_t {
  USAGE_RENDERTARGET = 0x1, USAGE_DEPTHSTENCIL = 0x2, USAGE_WRITEONLY = 0x8,
  USAGE_SOFTWAREPROCESSING = 0x10, USAGE_DONOTCLIP = 0x20, USAGE_POINTS = 0x40,
  USAGE_DYNAMIC = 0x200, USAGE_AUTOGENMIPMAP = 0x400,
};
enum Pool : uint32_t { POOL_DEFAULT = 0, POOL_MANAGED = 1, POOL_SYSTEMMEM = 2, POOL_SCRATCH = 3 };
enum : uint32_t { LOCK_READONLY = 0x10, LOCK_NOSYSLOCK = 0x800, LOCK_NOOVERWRITE = 0x1000, LOCK_DISCARD = 0x2000 };
enum ResourceType : uint32_t {
  RTYPE_SURFACE = 1, RTYPE_VOLUME = 2, RTYPE_TEXTURE = 3, RTYPE_VOLUMETEXTURE = 4,
  RTYPE_CUBETEXTURE = 5, RTYPE_VERTEXBUFFER = 6, RTYPE_INDEXBUFFER = 7,
};
enum CubeFace : uint32_t {
  CUBEMAP_FACE_POSITIVE_X = 0, CUBEMAP_FACE_NEGATIVE_X = 1, CUBEMAP_FACE_POSITIVE_Y = 2,
  CUBEMAP_FACE_NEGATIVE_Y = 3, CUBEMAP_FACE_POSITIVE_Z = 4, CUBEMAP_FACE_NEGATIVE_Z = 5,
};
enum DeviceType : uint32_t { DEVTYPE_HAL = 1, DEVTYPE_REF = 2, DEVTYPE_SW = 3 };
enum : uint32_t {
  CREATE_FPU_PRESERVE = 0x2, CREATE_MULTITHREADED = 0x4, CREATE_PUREDEVICE = 0x10,
  CREATE_SOFTWARE_VERTEXPROCESSING = 0x20, CREATE_HARDWARE_VERTEXPROCESSING = 0x40,
  CREATE_MIXED_VERTEXPROCESSING = 0x80,
};
enum : uint32_t { SWAPEFFECT_DISCARD = 1, SWAPEFFECT_FLIP = 2, SWAPEFFECT_COPY = 3 };
enum : uint32_t { PRESENT_INTERVAL_DEFAULT = 0, PRESENT_INTERVAL_ONE = 1, PRESENT_INTERVAL_IMMEDIATE = 0x80000000 };
enum : uint32_t { PRESENTFLAG_LOCKABLE_BACKBUFFER = 1 };
enum StateBlockType : uint32_t { SBT_ALL = 1, SBT_PIXELSTATE = 2, SBT_VERTEXSTATE = 3 };
enum : uint32_t { BACKBUFFER_TYPE_MONO = 0 };
enum : uint32_t { SGR_NO_CALIBRATION = 0, SGR_CALIBRATE = 1 };
enum : uint32_t { MULTISAMPLE_NONE = 0 };
enum : uint32_t { CLIPPLANE0 = 1, CLIPPLANE1 = 2, CLIPPLANE2 = 4, CLIPPLANE3 = 8, CLIPPLANE4 = 16, CLIPPLANE5 = 32 };
constexpr int kMaxStreams = 16;
constexpr int kMaxClipPlanes = 6;
constexpr int kMaxSimultaneousRenderTargets = 1;
enum : uint32_t { TEXFILTER_FROM_SAMPLER = 0 };

// Capability bits the engine reads.
enum : uint32_t {
  PTEXTURECAPS_PERSPECTIVE = 0x1, PTEXTURECAPS_POW2 = 0x2, PTEXTURECAPS_ALPHA = 0x4,
  PTEXTURECAPS_SQUAREONLY = 0x20, PTEXTURECAPS_NONPOW2CONDITIONAL = 0x100, PTEXTURECAPS_PROJECTED = 0x400,
  PTEXTURECAPS_CUBEMAP = 0x800, PTEXTURECAPS_VOLUMEMAP = 0x2000, PTEXTURECAPS_MIPMAP = 0x4000,
  PTEXTURECAPS_MIPCUBEMAP = 0x10000, PTEXTURECAPS_CUBEMAP_POW2 = 0x20000,
};
enum : uint32_t { DEVCAPS_HWTRANSFORMANDLIGHT = 0x10000 };
enum : uint32_t {
  STENCILCAPS_KEEP = 0x1, STENCILCAPS_ZERO = 0x2, STENCILCAPS_REPLACE = 0x4, STENCILCAPS_INCRSAT = 0x8,
  STENCILCAPS_DECRSAT = 0x10, STENCILCAPS_INVERT = 0x20, STENCILCAPS_INCR = 0x40,
  STENCILCAPS_DECR = 0x80, STENCILCAPS_TWOSIDED = 0x100,
};
// Constant registers of the programmable stages.
constexpr uint32_t kMaxVertexShaderConstantsF = 256;
constexpr uint32_t kMaxPixelShaderConstantsF = 224;
constexpr uint32_t kMaxShaderConstantsI = 16;
constexpr uint32_t kMaxShaderConstantsB = 16;
constexpr uint32_t ShaderVersionVS(int major, int minor) { return 0xFFFE0000u | uint32_t(major) << 8 | uint32_t(minor); }
constexpr uint32_t ShaderVersionPS(int major, int minor) { return 0xFFFF0000u | uint32_t(major) << 8 | uint32_t(minor); }

// Plain records.
struct Rect { int32_t left, top, right, bottom; };
struct Point { int32_t x, y; };
struct Box { uint32_t left, top, right, bottom, front, back; };
struct Vector3 { float x, y, z; };
struct Vector4 { float x, y, z, w; };
struct ColorValue { float r, g, b, a; };
// Row-vector 4 x 4 matrix: a point is transformed as p x M; m[3][0..2] is the translation.
struct Matrix { float m[4][4]; };

struct Material {
  ColorValue diffuse, ambient, specular, emissive;
  float power;
};
struct Light {
  uint32_t type;  // LIGHT_*
  ColorValue diffuse, specular, ambient;
  Vector3 position, direction;
  float range, falloff, attenuation0, attenuation1, attenuation2, theta, phi;
};
struct Viewport { uint32_t x, y, width, height; float minZ, maxZ; };
struct LockedRect { int32_t pitch; void* bits; };
struct DisplayMode { uint32_t width, height, refreshRate; uint32_t format; };
struct SurfaceDesc {
  uint32_t format, type, usage, pool, multiSampleType, multiSampleQuality, width, height;
};
struct VertexBufferDesc { uint32_t format, type, usage, pool, size, fvf; };
struct IndexBufferDesc { uint32_t format, type, usage, pool, size; };
struct GammaRamp { uint16_t red[256], green[256], blue[256]; };
struct AdapterIdentifier {
  char driver[512];
  char description[512];
  char deviceName[32];
  uint32_t vendorId, deviceId, subSysId, revision;
};

class Window;  // platform/window's window; the device presents into it

struct PresentParams {
  uint32_t backBufferWidth, backBufferHeight;
  uint32_t backBufferFormat;
  uint32_t backBufferCount;
  uint32_t multiSampleType, multiSampleQuality;
  uint32_t swapEffect;
  Window* deviceWindow;
  int32_t windowed;
  int32_t enableAutoDepthStencil;
  uint32_t autoDepthStencilFormat;
  uint32_t flags;  // PRESENTFLAG_*
  uint32_t fullScreenRefreshRate;
  uint32_t presentationInterval;
};

struct Caps {
  uint32_t deviceType, adapterOrdinal;
  uint32_t devCaps;
  uint32_t textureCaps;
  uint32_t maxTextureWidth, maxTextureHeight;
  uint32_t maxTextureAspectRatio;
  uint32_t stencilCaps;
  uint32_t maxTextureBlendStages, maxSimultaneousTextures;
  uint32_t maxActiveLights;
  uint32_t maxUserClipPlanes;
  uint32_t maxVertexBlendMatrices, maxVertexBlendMatrixIndex;
  float maxPointSize;
  uint32_t maxPrimitiveCount, maxVertexIndex, maxStreams;
  uint32_t vertexShaderVersion, maxVertexShaderConst;
  uint32_t pixelShaderVersion;
  uint32_t numSimultaneousRTs;
};

}  // namespace platform::gfx
