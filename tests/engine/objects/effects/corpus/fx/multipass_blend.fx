//
// Three passes over one mesh: an opaque textured base, the vertex colour laid over it at a
// quarter strength, and a darkening filter multiplied over the lot.
//

float4x4 WorldViewProjection : WORLDVIEWPROJECTION;

texture BaseTexture < string NAME = "base.tga"; >;
sampler BaseSampler = sampler_state
{
    Texture   = (BaseTexture);
    MinFilter = Point;
    MagFilter = Point;
    MipFilter = None;
};

struct VSOut
{
    float4 Position : POSITION;
    float4 Colour   : COLOR0;
    float2 Uv       : TEXCOORD0;
};

VSOut CommonVS(float4 position : POSITION, float4 colour : COLOR0, float2 uv : TEXCOORD0)
{
    VSOut o;
    o.Position = mul(position, WorldViewProjection);
    o.Colour   = colour;
    o.Uv       = uv;
    return o;
}

float4 BasePS(float2 uv : TEXCOORD0) : COLOR  { return tex2D(BaseSampler, uv); }
float4 TintPS(float4 colour : COLOR0) : COLOR { return float4(colour.rgb, 0.25); }
float4 FilterPS() : COLOR                     { return float4(0.8, 0.9, 1.0, 1.0); }

technique ThreePasses
{
    pass Base
    {
        AlphaBlendEnable = FALSE;
        VertexShader = compile vs_2_0 CommonVS();
        PixelShader  = compile ps_2_0 BasePS();
    }
    pass Tint
    {
        AlphaBlendEnable = TRUE;
        SrcBlend         = SRCALPHA;
        DestBlend        = INVSRCALPHA;
        ZWriteEnable     = FALSE;
        VertexShader = compile vs_2_0 CommonVS();
        PixelShader  = compile ps_2_0 TintPS();
    }
    pass Filter
    {
        SrcBlend  = ZERO;
        DestBlend = SRCCOLOR;
        VertexShader = compile vs_2_0 CommonVS();
        PixelShader  = compile ps_2_0 FilterPS();
    }
}
