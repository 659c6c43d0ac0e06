//=============================================================================
// Per-pixel point light with a Blinn-Phong highlight.
//
// The light is the scene's point light (the Object annotation names it), the
// eye the camera; normals go to world space through the inverse transpose.
//=============================================================================

float4x4 World               : World;
float4x4 WorldInverseTrans   : WorldInverseTranspose;
float4x4 WorldViewProjection : WorldViewProjection;

float4 LightPosition : Position
<
    string Object = "PointLight";
    string Space  = "World";
> = { 0.0f, 0.0f, -10.0f, 1.0f };

float4 EyePosition : CameraPosition;

float4 MaterialDiffuse = { 0.6f, 0.7f, 0.8f, 1.0f };
float  SpecularPower   = 16.0f;
float  SpecularLevel   = 0.5f;

struct AppData
{
    float4 Position : POSITION;
    float3 Normal   : NORMAL;
};

struct VertexOutput
{
    float4 HPosition     : POSITION;
    float3 WorldPosition : TEXCOORD1;
    float3 WorldNormal   : TEXCOORD2;
};

VertexOutput PhongVS(AppData IN)
{
    VertexOutput OUT;
    OUT.HPosition     = mul(IN.Position, WorldViewProjection);
    OUT.WorldPosition = mul(IN.Position, World).xyz;
    OUT.WorldNormal   = mul(IN.Normal, (float3x3)WorldInverseTrans);
    return OUT;
}

float4 PhongPS(float3 WorldPosition : TEXCOORD1, float3 WorldNormal : TEXCOORD2) : COLOR
{
    float3 N = normalize(WorldNormal);
    float3 L = normalize(LightPosition.xyz - WorldPosition);
    float3 V = normalize(EyePosition.xyz - WorldPosition);
    float3 H = normalize(L + V);

    float diffuse  = saturate(dot(N, L));
    float specular = pow(saturate(dot(N, H)), SpecularPower) * SpecularLevel;

    return float4(MaterialDiffuse.rgb * diffuse + specular, 1.0f);
}

technique Phong
{
    pass P0
    {
        VertexShader = compile vs_2_0 PhongVS();
        PixelShader  = compile ps_2_0 PhongPS();
    }
}
