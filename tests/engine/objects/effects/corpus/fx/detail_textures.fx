// Base map with a detail map tiled four times over it, combined "modulate 2x" so that the
// detail map's mid grey leaves the base unchanged. Both textures are named by annotations;
// the mesh's texture stages supply them in this order.

float4x4 WorldViewProj : WORLDVIEWPROJECTION;

texture BaseMap   < string Name = "base.tga"; >;
texture DetailMap < string Name = "detail.tga"; string TextureType = "2D"; >;

sampler BaseSampler = sampler_state
{
    Texture   = <BaseMap>;
    AddressU  = Clamp;
    AddressV  = Clamp;
    MinFilter = Point;
    MagFilter = Point;
};

sampler DetailSampler = sampler_state
{
    Texture   = <DetailMap>;
    AddressU  = Wrap;
    AddressV  = Wrap;
    MinFilter = Point;
    MagFilter = Point;
};

struct VS_OUTPUT
{
    float4 Pos       : POSITION;
    float2 BaseUV    : TEXCOORD0;
    float2 DetailUV  : TEXCOORD1;
};

VS_OUTPUT DetailVS(float4 Pos : POSITION, float2 UV : TEXCOORD0)
{
    VS_OUTPUT Out;
    Out.Pos      = mul(Pos, WorldViewProj);
    Out.BaseUV   = UV;
    Out.DetailUV = UV * 4.0;
    return Out;
}

float4 DetailPS(float2 BaseUV : TEXCOORD0, float2 DetailUV : TEXCOORD1) : COLOR
{
    float4 base   = tex2D(BaseSampler, BaseUV);
    float4 detail = tex2D(DetailSampler, DetailUV);
    return base * detail * 2.0;
}

technique DetailMapping
{
    pass P0
    {
        VertexShader = compile vs_2_0 DetailVS();
        PixelShader  = compile ps_2_0 DetailPS();
    }
}
