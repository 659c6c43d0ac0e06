// Address modes side by side: the same texture through a mirror/clamp sampler and a
// wrap/border one, averaged, over coordinates that run from -1 to 2.

float4x4 WorldViewProj : WORLDVIEWPROJECTION;

texture Checker < string name = "base.tga"; >;

sampler MirrorClamp = sampler_state
{
    Texture   = <Checker>;
    AddressU  = MIRROR;
    AddressV  = CLAMP;
    MinFilter = POINT;
    MagFilter = POINT;
    MipFilter = NONE;
};

sampler WrapBorder = sampler_state
{
    Texture     = <Checker>;
    AddressU    = WRAP;
    AddressV    = BORDER;
    BorderColor = 0xFF2040FF;
    MinFilter   = POINT;
    MagFilter   = POINT;
    MipFilter   = NONE;
};

struct VS_OUT
{
    float4 p : POSITION;
    float2 t : TEXCOORD0;
};

VS_OUT VS(float4 p : POSITION, float2 t : TEXCOORD0)
{
    VS_OUT o;
    o.p = mul(p, WorldViewProj);
    o.t = t;
    return o;
}

float4 PS(float2 t : TEXCOORD0) : COLOR
{
    return 0.5 * (tex2D(MirrorClamp, t) + tex2D(WrapBorder, t));
}

technique Addressing
{
    pass P0
    {
        VertexShader = compile vs_2_0 VS();
        PixelShader  = compile ps_2_0 PS();
    }
}
