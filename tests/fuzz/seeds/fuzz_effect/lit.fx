float4x4 WorldViewProj : WORLDVIEWPROJECTION;
row_major float4x3 Bones[26] : BoneMatrixPalette;
float3 LightDir < string Object = "DirectionalLight"; string UIName = "Light"; > = {0.0, -1.0, 0.5};
float Shine <int min = 1;> = 16;
bool Fancy = true;
texture Diffuse < string name = "stone.png"; >;
string XFile = "box.x";
sampler2D DiffuseSampler = sampler_state {
  Texture = <Diffuse>;
  MinFilter = Linear; MagFilter = POINT;
  AddressU = Clamp; AddressV = Mirror;
};
struct VsOut { float4 pos : POSITION; };
VsOut Main(float4 p : POSITION, uniform bool skinned) { VsOut o; o.pos = mul(p, WorldViewProj); return o; }
VertexShader Shared = compile vs_2_0 Main(false);
technique Best < string group = "high"; > {
  pass P0 {
    VertexShader = compile vs_2_0 Main(true);
    PixelShader = NULL;
    ZWriteEnable = false; SrcBlend = SrcAlpha; DestBlend = InvSrcAlpha;
    ColorWriteEnable = Red | Blue;
    FogStart = 2.5;
    Sampler[1] = (DiffuseSampler);
    LightDiffuse[0] = {1, 0.5, 0.25, 1};
    AlphaRef = (Shine);
  }
  pass P1 { VertexShader = (Shared); PixelShader = asm { ps.1.1
    tex t0
    mov r0, t0 }; }
}
