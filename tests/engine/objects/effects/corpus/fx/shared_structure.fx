//-----------------------------------------------------------------------------
// One output structure for both stages: the pixel shader takes the vertex
// shader's structure as it is, position member and all (it does not read it).
//-----------------------------------------------------------------------------

float4x4 g_mWorld               : WORLD;
float4x4 g_mWorldViewProjection : WORLDVIEWPROJECTION;
float4   g_vLightDir            : DIRECTIONALIGHT;

float3 g_MaterialAmbientColor = { 0.2f, 0.2f, 0.2f };
float3 g_MaterialDiffuseColor = { 0.8f, 0.7f, 0.6f };

texture g_MeshTexture < string name = "base.tga"; >;

sampler MeshTextureSampler =
sampler_state
{
    Texture = <g_MeshTexture>;
    MipFilter = LINEAR;
    MinFilter = POINT;
    MagFilter = POINT;
};

struct VS_OUTPUT
{
    float4 Position   : POSITION;   // vertex position
    float4 Diffuse    : COLOR0;     // vertex diffuse colour
    float2 TextureUV  : TEXCOORD0;  // vertex texture coordinates
};

VS_OUTPUT RenderSceneVS( float4 vPos : POSITION,
                         float3 vNormal : NORMAL,
                         float2 vTexCoord0 : TEXCOORD0 )
{
    VS_OUTPUT Output;
    float3 vNormalWorldSpace;

    Output.Position = mul(vPos, g_mWorldViewProjection);

    vNormalWorldSpace = normalize(mul(vNormal, (float3x3)g_mWorld));

    Output.Diffuse.rgb = g_MaterialDiffuseColor * max(0, dot(vNormalWorldSpace, -g_vLightDir.xyz)) +
                         g_MaterialAmbientColor;
    Output.Diffuse.a = 1.0f;

    Output.TextureUV = vTexCoord0;

    return Output;
}

struct PS_OUTPUT
{
    float4 RGBColor : COLOR0;
};

PS_OUTPUT RenderScenePS( VS_OUTPUT In )
{
    PS_OUTPUT Output;
    Output.RGBColor = tex2D(MeshTextureSampler, In.TextureUV) * In.Diffuse;
    return Output;
}

technique RenderScene
{
    pass P0
    {
        VertexShader = compile vs_2_0 RenderSceneVS();
        PixelShader  = compile ps_2_0 RenderScenePS();
    }
}
