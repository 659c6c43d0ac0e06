// The state table of effect files.
#include "platform/d3dx/effects/effect_states.h"

#include <strings.h>

#include <iterator>
#include <string>

#include "platform/gfx/types.h"

namespace platform::d3dx {

namespace {

namespace g = gfx;
using K = StateKind;
using V = StateValueKind;

constexpr NamedValue kBool[] = {{"true", 1}, {"false", 0}};
constexpr NamedValue kZBuffer[] = {{"true", g::ZB_TRUE}, {"false", g::ZB_FALSE}, {"useW", g::ZB_USEW}};
constexpr NamedValue kFill[] = {{"point", g::FILL_POINT}, {"wireframe", g::FILL_WIREFRAME}, {"solid", g::FILL_SOLID}};
constexpr NamedValue kShade[] = {{"flat", g::SHADE_FLAT}, {"gouraud", g::SHADE_GOURAUD}, {"phong", g::SHADE_PHONG}};
constexpr NamedValue kCull[] = {{"none", g::CULL_NONE}, {"cw", g::CULL_CW}, {"ccw", g::CULL_CCW}};
constexpr NamedValue kBlend[] = {
    {"zero", g::BLEND_ZERO}, {"one", g::BLEND_ONE}, {"srcColor", g::BLEND_SRCCOLOR},
    {"invSrcColor", g::BLEND_INVSRCCOLOR}, {"srcAlpha", g::BLEND_SRCALPHA}, {"invSrcAlpha", g::BLEND_INVSRCALPHA},
    {"destAlpha", g::BLEND_DESTALPHA}, {"invDestAlpha", g::BLEND_INVDESTALPHA}, {"destColor", g::BLEND_DESTCOLOR},
    {"invDestColor", g::BLEND_INVDESTCOLOR}, {"srcAlphaSat", g::BLEND_SRCALPHASAT},
    {"bothSrcAlpha", g::BLEND_BOTHSRCALPHA}, {"bothInvSrcAlpha", g::BLEND_BOTHINVSRCALPHA},
    {"blendFactor", g::BLEND_BLENDFACTOR}, {"invBlendFactor", g::BLEND_INVBLENDFACTOR}};
constexpr NamedValue kBlendOp[] = {{"add", g::BLENDOP_ADD}, {"subtract", g::BLENDOP_SUBTRACT},
                                   {"revSubtract", g::BLENDOP_REVSUBTRACT}, {"min", g::BLENDOP_MIN},
                                   {"max", g::BLENDOP_MAX}};
constexpr NamedValue kCompare[] = {{"never", g::CMP_NEVER}, {"less", g::CMP_LESS}, {"equal", g::CMP_EQUAL},
                                   {"lessEqual", g::CMP_LESSEQUAL}, {"greater", g::CMP_GREATER},
                                   {"notEqual", g::CMP_NOTEQUAL}, {"greaterEqual", g::CMP_GREATEREQUAL},
                                   {"always", g::CMP_ALWAYS}};
constexpr NamedValue kStencilOp[] = {{"keep", g::STENCILOP_KEEP}, {"zero", g::STENCILOP_ZERO},
                                     {"replace", g::STENCILOP_REPLACE}, {"incrSat", g::STENCILOP_INCRSAT},
                                     {"decrSat", g::STENCILOP_DECRSAT}, {"invert", g::STENCILOP_INVERT},
                                     {"incr", g::STENCILOP_INCR}, {"decr", g::STENCILOP_DECR}};
constexpr NamedValue kFog[] = {{"none", g::FOG_NONE}, {"exp", g::FOG_EXP}, {"exp2", g::FOG_EXP2},
                               {"linear", g::FOG_LINEAR}};
constexpr NamedValue kMaterialSource[] = {{"material", g::MCS_MATERIAL}, {"color1", g::MCS_COLOR1},
                                          {"color2", g::MCS_COLOR2}};
constexpr NamedValue kColorWrite[] = {{"red", g::COLORWRITE_RED}, {"green", g::COLORWRITE_GREEN},
                                      {"blue", g::COLORWRITE_BLUE}, {"alpha", g::COLORWRITE_ALPHA}};
constexpr NamedValue kVertexBlend[] = {{"disable", g::VBF_DISABLE}, {"1weights", g::VBF_1WEIGHTS},
                                       {"2weights", g::VBF_2WEIGHTS}, {"3weights", g::VBF_3WEIGHTS},
                                       {"tweening", g::VBF_TWEENING}, {"0weights", g::VBF_0WEIGHTS}};
constexpr NamedValue kTextureOp[] = {
    {"disable", g::TOP_DISABLE}, {"selectArg1", g::TOP_SELECTARG1}, {"selectArg2", g::TOP_SELECTARG2},
    {"modulate", g::TOP_MODULATE}, {"modulate2x", g::TOP_MODULATE2X}, {"modulate4x", g::TOP_MODULATE4X},
    {"add", g::TOP_ADD}, {"addSigned", g::TOP_ADDSIGNED}, {"addSigned2x", g::TOP_ADDSIGNED2X},
    {"subtract", g::TOP_SUBTRACT}, {"addSmooth", g::TOP_ADDSMOOTH},
    {"blendDiffuseAlpha", g::TOP_BLENDDIFFUSEALPHA}, {"blendTextureAlpha", g::TOP_BLENDTEXTUREALPHA},
    {"blendFactorAlpha", g::TOP_BLENDFACTORALPHA}, {"blendTextureAlphaPM", g::TOP_BLENDTEXTUREALPHAPM},
    {"blendCurrentAlpha", g::TOP_BLENDCURRENTALPHA}, {"preModulate", g::TOP_PREMODULATE},
    {"modulateAlpha_AddColor", g::TOP_MODULATEALPHA_ADDCOLOR},
    {"modulateColor_AddAlpha", g::TOP_MODULATECOLOR_ADDALPHA},
    {"modulateInvAlpha_AddColor", g::TOP_MODULATEINVALPHA_ADDCOLOR},
    {"modulateInvColor_AddAlpha", g::TOP_MODULATEINVCOLOR_ADDALPHA}, {"bumpEnvMap", g::TOP_BUMPENVMAP},
    {"bumpEnvMapLuminance", g::TOP_BUMPENVMAPLUMINANCE}, {"dotProduct3", g::TOP_DOTPRODUCT3},
    {"multiplyAdd", g::TOP_MULTIPLYADD}, {"lerp", g::TOP_LERP}};
constexpr NamedValue kTextureArg[] = {
    {"diffuse", g::TA_DIFFUSE}, {"current", g::TA_CURRENT}, {"texture", g::TA_TEXTURE}, {"tFactor", g::TA_TFACTOR},
    {"specular", g::TA_SPECULAR}, {"temp", g::TA_TEMP}, {"constant", g::TA_CONSTANT},
    {"complement", g::TA_COMPLEMENT}, {"alphaReplicate", g::TA_ALPHAREPLICATE}};
constexpr NamedValue kTexCoordIndex[] = {
    {"passThru", g::TCI_PASSTHRU}, {"cameraSpaceNormal", g::TCI_CAMERASPACENORMAL},
    {"cameraSpacePosition", g::TCI_CAMERASPACEPOSITION},
    {"cameraSpaceReflectionVector", g::TCI_CAMERASPACEREFLECTIONVECTOR}, {"sphereMap", g::TCI_SPHEREMAP}};
constexpr NamedValue kTransformFlags[] = {{"disable", g::TTFF_DISABLE}, {"count1", g::TTFF_COUNT1},
                                          {"count2", g::TTFF_COUNT2}, {"count3", g::TTFF_COUNT3},
                                          {"count4", g::TTFF_COUNT4}, {"projected", g::TTFF_PROJECTED}};
constexpr NamedValue kAddress[] = {{"wrap", g::TADDRESS_WRAP}, {"mirror", g::TADDRESS_MIRROR},
                                   {"clamp", g::TADDRESS_CLAMP}, {"border", g::TADDRESS_BORDER},
                                   {"mirrorOnce", g::TADDRESS_MIRRORONCE}};
constexpr NamedValue kFilter[] = {{"none", g::TEXF_NONE}, {"point", g::TEXF_POINT}, {"linear", g::TEXF_LINEAR},
                                  {"anisotropic", g::TEXF_ANISOTROPIC}};
constexpr NamedValue kLightTypes[] = {{"point", g::LIGHT_POINT}, {"spot", g::LIGHT_SPOT},
                                     {"directional", g::LIGHT_DIRECTIONAL}};

#define NAMES(table) table, uint32_t(std::size(table))

constexpr StateInfo kStates[] = {
    {"ZEnable", K::kRender, g::RS_ZENABLE, V::kWord, NAMES(kZBuffer)},
    {"FillMode", K::kRender, g::RS_FILLMODE, V::kWord, NAMES(kFill)},
    {"ShadeMode", K::kRender, g::RS_SHADEMODE, V::kWord, NAMES(kShade)},
    {"ZWriteEnable", K::kRender, g::RS_ZWRITEENABLE, V::kBool},
    {"AlphaTestEnable", K::kRender, g::RS_ALPHATESTENABLE, V::kBool},
    {"LastPixel", K::kRender, g::RS_LASTPIXEL, V::kBool},
    {"SrcBlend", K::kRender, g::RS_SRCBLEND, V::kWord, NAMES(kBlend)},
    {"DestBlend", K::kRender, g::RS_DESTBLEND, V::kWord, NAMES(kBlend)},
    {"CullMode", K::kRender, g::RS_CULLMODE, V::kWord, NAMES(kCull)},
    {"ZFunc", K::kRender, g::RS_ZFUNC, V::kWord, NAMES(kCompare)},
    {"AlphaRef", K::kRender, g::RS_ALPHAREF, V::kWord},
    {"AlphaFunc", K::kRender, g::RS_ALPHAFUNC, V::kWord, NAMES(kCompare)},
    {"DitherEnable", K::kRender, g::RS_DITHERENABLE, V::kBool},
    {"AlphaBlendEnable", K::kRender, g::RS_ALPHABLENDENABLE, V::kBool},
    {"FogEnable", K::kRender, g::RS_FOGENABLE, V::kBool},
    {"SpecularEnable", K::kRender, g::RS_SPECULARENABLE, V::kBool},
    {"FogColor", K::kRender, g::RS_FOGCOLOR, V::kWord},
    {"FogTableMode", K::kRender, g::RS_FOGTABLEMODE, V::kWord, NAMES(kFog)},
    {"FogStart", K::kRender, g::RS_FOGSTART, V::kFloat},
    {"FogEnd", K::kRender, g::RS_FOGEND, V::kFloat},
    {"FogDensity", K::kRender, g::RS_FOGDENSITY, V::kFloat},
    {"RangeFogEnable", K::kRender, g::RS_RANGEFOGENABLE, V::kBool},
    {"StencilEnable", K::kRender, g::RS_STENCILENABLE, V::kBool},
    {"StencilFail", K::kRender, g::RS_STENCILFAIL, V::kWord, NAMES(kStencilOp)},
    {"StencilZFail", K::kRender, g::RS_STENCILZFAIL, V::kWord, NAMES(kStencilOp)},
    {"StencilPass", K::kRender, g::RS_STENCILPASS, V::kWord, NAMES(kStencilOp)},
    {"StencilFunc", K::kRender, g::RS_STENCILFUNC, V::kWord, NAMES(kCompare)},
    {"StencilRef", K::kRender, g::RS_STENCILREF, V::kWord},
    {"StencilMask", K::kRender, g::RS_STENCILMASK, V::kWord},
    {"StencilWriteMask", K::kRender, g::RS_STENCILWRITEMASK, V::kWord},
    {"TextureFactor", K::kRender, g::RS_TEXTUREFACTOR, V::kWord},
    {"Wrap0", K::kRender, g::RS_WRAP0, V::kWord},
    {"Clipping", K::kRender, g::RS_CLIPPING, V::kBool},
    {"Lighting", K::kRender, g::RS_LIGHTING, V::kBool},
    {"Ambient", K::kRender, g::RS_AMBIENT, V::kWord},
    {"FogVertexMode", K::kRender, g::RS_FOGVERTEXMODE, V::kWord, NAMES(kFog)},
    {"ColorVertex", K::kRender, g::RS_COLORVERTEX, V::kBool},
    {"LocalViewer", K::kRender, g::RS_LOCALVIEWER, V::kBool},
    {"NormalizeNormals", K::kRender, g::RS_NORMALIZENORMALS, V::kBool},
    {"DiffuseMaterialSource", K::kRender, g::RS_DIFFUSEMATERIALSOURCE, V::kWord, NAMES(kMaterialSource)},
    {"SpecularMaterialSource", K::kRender, g::RS_SPECULARMATERIALSOURCE, V::kWord, NAMES(kMaterialSource)},
    {"AmbientMaterialSource", K::kRender, g::RS_AMBIENTMATERIALSOURCE, V::kWord, NAMES(kMaterialSource)},
    {"EmissiveMaterialSource", K::kRender, g::RS_EMISSIVEMATERIALSOURCE, V::kWord, NAMES(kMaterialSource)},
    {"VertexBlend", K::kRender, g::RS_VERTEXBLEND, V::kWord, NAMES(kVertexBlend)},
    {"ClipPlaneEnable", K::kRender, g::RS_CLIPPLANEENABLE, V::kWord},
    {"PointSize", K::kRender, g::RS_POINTSIZE, V::kFloat},
    {"PointSize_Min", K::kRender, g::RS_POINTSIZE_MIN, V::kFloat},
    {"PointSize_Max", K::kRender, g::RS_POINTSIZE_MAX, V::kFloat},
    {"PointSpriteEnable", K::kRender, g::RS_POINTSPRITEENABLE, V::kBool},
    {"PointScaleEnable", K::kRender, g::RS_POINTSCALEENABLE, V::kBool},
    {"PointScale_A", K::kRender, g::RS_POINTSCALE_A, V::kFloat},
    {"PointScale_B", K::kRender, g::RS_POINTSCALE_B, V::kFloat},
    {"PointScale_C", K::kRender, g::RS_POINTSCALE_C, V::kFloat},
    {"MultiSampleAntialias", K::kRender, g::RS_MULTISAMPLEANTIALIAS, V::kBool},
    {"MultiSampleMask", K::kRender, g::RS_MULTISAMPLEMASK, V::kWord},
    {"ColorWriteEnable", K::kRender, g::RS_COLORWRITEENABLE, V::kWord, NAMES(kColorWrite)},
    {"BlendOp", K::kRender, g::RS_BLENDOP, V::kWord, NAMES(kBlendOp)},
    {"ScissorTestEnable", K::kRender, g::RS_SCISSORTESTENABLE, V::kBool},
    {"SlopeScaleDepthBias", K::kRender, g::RS_SLOPESCALEDEPTHBIAS, V::kFloat},
    {"DepthBias", K::kRender, g::RS_DEPTHBIAS, V::kFloat},
    {"TwoSidedStencilMode", K::kRender, g::RS_TWOSIDEDSTENCILMODE, V::kBool},
    {"CCW_StencilFail", K::kRender, g::RS_CCW_STENCILFAIL, V::kWord, NAMES(kStencilOp)},
    {"CCW_StencilZFail", K::kRender, g::RS_CCW_STENCILZFAIL, V::kWord, NAMES(kStencilOp)},
    {"CCW_StencilPass", K::kRender, g::RS_CCW_STENCILPASS, V::kWord, NAMES(kStencilOp)},
    {"CCW_StencilFunc", K::kRender, g::RS_CCW_STENCILFUNC, V::kWord, NAMES(kCompare)},
    {"BlendFactor", K::kRender, g::RS_BLENDFACTOR, V::kWord},
    {"SeparateAlphaBlendEnable", K::kRender, g::RS_SEPARATEALPHABLENDENABLE, V::kBool},
    {"SrcBlendAlpha", K::kRender, g::RS_SRCBLENDALPHA, V::kWord, NAMES(kBlend)},
    {"DestBlendAlpha", K::kRender, g::RS_DESTBLENDALPHA, V::kWord, NAMES(kBlend)},
    {"BlendOpAlpha", K::kRender, g::RS_BLENDOPALPHA, V::kWord, NAMES(kBlendOp)},

    {"AddressU", K::kSampler, g::SAMP_ADDRESSU, V::kWord, NAMES(kAddress)},
    {"AddressV", K::kSampler, g::SAMP_ADDRESSV, V::kWord, NAMES(kAddress)},
    {"AddressW", K::kSampler, g::SAMP_ADDRESSW, V::kWord, NAMES(kAddress)},
    {"BorderColor", K::kSampler, g::SAMP_BORDERCOLOR, V::kWord},
    {"MagFilter", K::kSampler, g::SAMP_MAGFILTER, V::kWord, NAMES(kFilter)},
    {"MinFilter", K::kSampler, g::SAMP_MINFILTER, V::kWord, NAMES(kFilter)},
    {"MipFilter", K::kSampler, g::SAMP_MIPFILTER, V::kWord, NAMES(kFilter)},
    {"MipMapLodBias", K::kSampler, g::SAMP_MIPMAPLODBIAS, V::kFloat},
    {"MaxMipLevel", K::kSampler, g::SAMP_MAXMIPLEVEL, V::kWord},
    {"MaxAnisotropy", K::kSampler, g::SAMP_MAXANISOTROPY, V::kWord},
    {"SRGBTexture", K::kSampler, g::SAMP_SRGBTEXTURE, V::kBool},

    {"ColorOp", K::kStage, g::TSS_COLOROP, V::kWord, NAMES(kTextureOp)},
    {"ColorArg0", K::kStage, g::TSS_COLORARG0, V::kWord, NAMES(kTextureArg)},
    {"ColorArg1", K::kStage, g::TSS_COLORARG1, V::kWord, NAMES(kTextureArg)},
    {"ColorArg2", K::kStage, g::TSS_COLORARG2, V::kWord, NAMES(kTextureArg)},
    {"AlphaOp", K::kStage, g::TSS_ALPHAOP, V::kWord, NAMES(kTextureOp)},
    {"AlphaArg0", K::kStage, g::TSS_ALPHAARG0, V::kWord, NAMES(kTextureArg)},
    {"AlphaArg1", K::kStage, g::TSS_ALPHAARG1, V::kWord, NAMES(kTextureArg)},
    {"AlphaArg2", K::kStage, g::TSS_ALPHAARG2, V::kWord, NAMES(kTextureArg)},
    {"ResultArg", K::kStage, g::TSS_RESULTARG, V::kWord, NAMES(kTextureArg)},
    {"BumpEnvMat00", K::kStage, g::TSS_BUMPENVMAT00, V::kFloat},
    {"BumpEnvMat01", K::kStage, g::TSS_BUMPENVMAT01, V::kFloat},
    {"BumpEnvMat10", K::kStage, g::TSS_BUMPENVMAT10, V::kFloat},
    {"BumpEnvMat11", K::kStage, g::TSS_BUMPENVMAT11, V::kFloat},
    {"BumpEnvLScale", K::kStage, g::TSS_BUMPENVLSCALE, V::kFloat},
    {"BumpEnvLOffset", K::kStage, g::TSS_BUMPENVLOFFSET, V::kFloat},
    {"TexCoordIndex", K::kStage, g::TSS_TEXCOORDINDEX, V::kWord, NAMES(kTexCoordIndex)},
    {"TextureTransformFlags", K::kStage, g::TSS_TEXTURETRANSFORMFLAGS, V::kWord, NAMES(kTransformFlags)},
    {"Constant", K::kStage, g::TSS_CONSTANT, V::kWord},

    {"Texture", K::kTexture, 0, V::kObject},
    {"Sampler", K::kSamplerObject, 0, V::kObject},
    {"LightEnable", K::kLightEnable, 0, V::kBool},
    {"LightType", K::kLight, kLightType, V::kWord, NAMES(kLightTypes)},
    {"LightDiffuse", K::kLight, kLightDiffuse, V::kVector},
    {"LightSpecular", K::kLight, kLightSpecular, V::kVector},
    {"LightAmbient", K::kLight, kLightAmbient, V::kVector},
    {"LightPosition", K::kLight, kLightPosition, V::kVector},
    {"LightDirection", K::kLight, kLightDirection, V::kVector},
    {"LightRange", K::kLight, kLightRange, V::kFloat},
    {"LightFalloff", K::kLight, kLightFalloff, V::kFloat},
    {"LightAttenuation0", K::kLight, kLightAttenuation0, V::kFloat},
    {"LightAttenuation1", K::kLight, kLightAttenuation1, V::kFloat},
    {"LightAttenuation2", K::kLight, kLightAttenuation2, V::kFloat},
    {"LightTheta", K::kLight, kLightTheta, V::kFloat},
    {"LightPhi", K::kLight, kLightPhi, V::kFloat},
    {"MaterialDiffuse", K::kMaterial, kMaterialDiffuse, V::kVector},
    {"MaterialAmbient", K::kMaterial, kMaterialAmbient, V::kVector},
    {"MaterialSpecular", K::kMaterial, kMaterialSpecular, V::kVector},
    {"MaterialEmissive", K::kMaterial, kMaterialEmissive, V::kVector},
    {"MaterialPower", K::kMaterial, kMaterialPower, V::kFloat},
    {"WorldTransform", K::kTransform, g::TS_WORLD, V::kMatrix},
    {"ViewTransform", K::kTransform, g::TS_VIEW, V::kMatrix},
    {"ProjectionTransform", K::kTransform, g::TS_PROJECTION, V::kMatrix},
    {"TextureTransform", K::kTransform, g::TS_TEXTURE0, V::kMatrix},
    {"VertexShader", K::kVertexShader, 0, V::kObject},
    {"PixelShader", K::kPixelShader, 0, V::kObject},
    // Shader constants: the value's registers, or exactly 1 to 4 of them.
    {"VertexShaderConstant", K::kVertexConstant, kConstantFloat, V::kVector},
    {"VertexShaderConstantF", K::kVertexConstant, kConstantFloat, V::kVector},
    {"VertexShaderConstant1", K::kVertexConstant, kConstantFloat, V::kVector, nullptr, 0, 1},
    {"VertexShaderConstant2", K::kVertexConstant, kConstantFloat, V::kVector, nullptr, 0, 2},
    {"VertexShaderConstant3", K::kVertexConstant, kConstantFloat, V::kVector, nullptr, 0, 3},
    {"VertexShaderConstant4", K::kVertexConstant, kConstantFloat, V::kVector, nullptr, 0, 4},
    {"VertexShaderConstantI", K::kVertexConstant, kConstantInt, V::kVector},
    {"VertexShaderConstantB", K::kVertexConstant, kConstantBool, V::kVector},
    {"PixelShaderConstant", K::kPixelConstant, kConstantFloat, V::kVector},
    {"PixelShaderConstantF", K::kPixelConstant, kConstantFloat, V::kVector},
    {"PixelShaderConstant1", K::kPixelConstant, kConstantFloat, V::kVector, nullptr, 0, 1},
    {"PixelShaderConstant2", K::kPixelConstant, kConstantFloat, V::kVector, nullptr, 0, 2},
    {"PixelShaderConstant3", K::kPixelConstant, kConstantFloat, V::kVector, nullptr, 0, 3},
    {"PixelShaderConstant4", K::kPixelConstant, kConstantFloat, V::kVector, nullptr, 0, 4},
    {"PixelShaderConstantI", K::kPixelConstant, kConstantInt, V::kVector},
    {"PixelShaderConstantB", K::kPixelConstant, kConstantBool, V::kVector},
};

#undef NAMES

bool Same(std::string_view a, const char* b) {
  return a.size() == std::char_traits<char>::length(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

}  // namespace

const StateInfo* FindState(std::string_view name) {
  for (const StateInfo& state : kStates)
    if (Same(name, state.name)) return &state;
  return nullptr;
}

bool FindStateValue(const StateInfo& state, std::string_view name, uint32_t* value) {
  if (state.value == StateValueKind::kBool || state.value == StateValueKind::kWord) {
    for (const NamedValue& named : kBool) {
      if (state.names == nullptr && Same(name, named.name)) {
        *value = named.value;
        return true;
      }
    }
  }
  for (uint32_t i = 0; i < state.nameCount; ++i) {
    if (Same(name, state.names[i].name)) {
      *value = state.names[i].value;
      return true;
    }
  }
  return false;
}

uint32_t ConstantRegisterCount(const StateInfo& state) {
  if (state.id == kConstantInt) return g::kMaxShaderConstantsI;
  if (state.id == kConstantBool) return g::kMaxShaderConstantsB;
  return state.kind == K::kVertexConstant ? g::kMaxVertexShaderConstantsF : g::kMaxPixelShaderConstantsF;
}

void LayOutConstantRegisters(const StateInfo& state, const float* numbers, size_t count, uint32_t columns,
                             std::vector<float>* out) {
  out->clear();
  if (state.id == kConstantBool) {
    out->assign(numbers, numbers + count);
  } else if (columns > 0 && columns <= 4) {
    out->assign((count + columns - 1) / columns * 4, 0.0f);
    for (size_t i = 0; i < count; ++i) (*out)[i / columns * 4 + i % columns] = numbers[i];
  }
  const size_t width = state.id == kConstantBool ? 1 : 4;
  if (state.registers) out->resize(state.registers * width, 0.0f);
}

}  // namespace platform::d3dx
