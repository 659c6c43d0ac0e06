// Overbright vertex colours. The vertex shader doubles the colour and sends it twice: as a
// colour, which the hardware clamps to one before interpolating, and as a texture coordinate,
// which it does not. The pixel shader halves both. Shaders are kept in shader variables.

float4x4 WorldViewProj : WORLDVIEWPROJECTION;

struct VS_OUTPUT
{
    float4 Position : POSITION;
    float4 Colour   : COLOR0;
    float4 Unclamped: TEXCOORD1;
};

VS_OUTPUT Overbright(float4 Position : POSITION, float4 Colour : COLOR0)
{
    VS_OUTPUT Out;
    Out.Position  = mul(Position, WorldViewProj);
    Out.Colour    = Colour * 2;
    Out.Unclamped = Colour * 2;
    return Out;
}

float4 Halve(float4 Colour : COLOR0, float4 Unclamped : TEXCOORD1) : COLOR
{
    return float4(Colour.r * 0.5, Unclamped.g * 0.5, Colour.b * 0.5 + Unclamped.b * 0.25, 1);
}

VertexShader OverbrightVS = compile vs_1_1 Overbright();
PixelShader  HalvePS      = compile ps_2_0 Halve();

technique Saturation
{
    pass P0
    {
        VertexShader = (OverbrightVS);
        PixelShader  = <HalvePS>;
    }
}
