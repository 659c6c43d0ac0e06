//--------------------------------------------------------------------------------------
// lit_texture.fx
//
// Per-vertex diffuse lighting from one directional light, modulated by a base texture.
// The classic first lit shader: structures in and out of the vertex shader.
//--------------------------------------------------------------------------------------

float4x4 matWorldViewProj : WORLDVIEWPROJECTION;
float4x4 matWorld         : WORLD;
float4   vecLightDir      : DIRECTIONALIGHT;     // direction the light travels, world space
float4   vecAmbient       = { 0.1f, 0.1f, 0.1f, 1.0f };

texture tDiffuse < string name = "base.tga"; >;

sampler DiffuseSampler = sampler_state
{
    Texture   = <tDiffuse>;
    MinFilter = POINT;
    MagFilter = POINT;
    MipFilter = NONE;
    AddressU  = CLAMP;
    AddressV  = CLAMP;
};

struct VS_INPUT
{
    float4 Position : POSITION;
    float3 Normal   : NORMAL;
    float2 Tex      : TEXCOORD0;
};

struct VS_OUTPUT
{
    float4 Position : POSITION;
    float4 Diffuse  : COLOR0;
    float2 Tex      : TEXCOORD0;
};

VS_OUTPUT VS( VS_INPUT In )
{
    VS_OUTPUT Out = (VS_OUTPUT)0;

    Out.Position = mul( In.Position, matWorldViewProj );

    float3 N = normalize( mul( In.Normal, (float3x3)matWorld ) );
    Out.Diffuse = vecAmbient + max( 0, dot( N, -vecLightDir.xyz ) );   // overbright: COLOR0 clamps

    Out.Tex = In.Tex;
    return Out;
}

float4 PS( float4 Diffuse : COLOR0, float2 Tex : TEXCOORD0 ) : COLOR
{
    return tex2D( DiffuseSampler, Tex ) * Diffuse;
}

technique TLitTexture
{
    pass P0
    {
        VertexShader = compile vs_1_1 VS();
        PixelShader  = compile ps_2_0 PS();
    }
}
