// Two passes from one pixel shader: the uniform arguments pick what each pass draws.
// Pass one lays down the texture times a tint; pass two multiplies a second tint over it.

float4x4 WorldViewProj : WORLDVIEWPROJECTION;

texture DiffuseMap < string name = "base.tga"; >;
sampler DiffuseSampler = sampler_state
{
    Texture = <DiffuseMap>;
    MinFilter = Point;
    MagFilter = Point;
    AddressU = Clamp;
    AddressV = Clamp;
};

struct VS_OUT
{
    float4 Pos : POSITION;
    float2 Tex : TEXCOORD0;
};

VS_OUT VS(float4 Pos : POSITION, float2 Tex : TEXCOORD0)
{
    VS_OUT Out;
    Out.Pos = mul(Pos, WorldViewProj);
    Out.Tex = Tex;
    return Out;
}

float4 PS(float2 Tex : TEXCOORD0, uniform bool bTextured, uniform float4 vTint) : COLOR
{
    float4 c = vTint;
    if (bTextured)
        c *= tex2D(DiffuseSampler, Tex);
    return c;
}

technique TwoPass
{
    pass Base
    {
        VertexShader = compile vs_2_0 VS();
        PixelShader = compile ps_2_0 PS(true, float4(1.0, 0.5, 1.0, 1.0));
    }
    pass Modulate
    {
        AlphaBlendEnable = TRUE;
        SrcBlend = DESTCOLOR;
        DestBlend = ZERO;
        VertexShader = compile vs_2_0 VS();
        PixelShader = compile ps_2_0 PS(false, float4(0.5, 1.0, 0.75, 1.0));
    }
}
