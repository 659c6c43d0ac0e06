
float4x4 WorldViewProj : WorldViewProjection;
float4x4 World : World;
float4x4 WorldIT : WorldInverseTranspose;
float4 LightDir < string UIObject = "directionalight"; >;
float4 Camera : CameraPosition;
float Time : time;
struct VsOut { float4 pos : POSITION; float4 color : COLOR0; };
VsOut Lit(float4 p : POSITION, float3 n : NORMAL) {
  VsOut o;
  o.pos = mul(p, WorldViewProj);
  float3 normal = normalize(mul(n, (float3x3)WorldIT));
  float3 centre = mul(float4(0, 0, 0, 1), World).xyz;
  o.color = float4(saturate(dot(normal, -LightDir.xyz)), length(Camera.xyz - centre) / 20, Time > 1 ? 1 : 0, 1);
  return o;
}
float4 Shade(float4 c : COLOR0) : COLOR { return c; }
technique NeedsNewerHardware { pass { VertexShader = compile vs_3_0 Lit(); PixelShader = compile ps_3_0 Shade(); } }
technique Lit { pass { VertexShader = compile vs_2_0 Lit(); PixelShader = compile ps_2_0 Shade(); } }
