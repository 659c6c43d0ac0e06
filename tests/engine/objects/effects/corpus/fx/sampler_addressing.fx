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

void VS(float4 p : POSITION, float2 t : TEXCOORD0, out float4 op : POSITION, out float2 ot : TEXCOORD0)
{
    op = mul(p, WorldViewProj);
    ot = t;
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
