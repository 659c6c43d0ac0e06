// Palette lookup from constant arrays: a weighted sum over a palette held in a parameter
// array, and one entry picked by an integer parameter.

float4x4 WorldViewProj : WORLDVIEWPROJECTION;

float4 Palette[3] =
{
    { 1.0, 0.0, 0.0, 1.0 },
    { 0.0, 1.0, 0.0, 1.0 },
    { 0.0, 0.0, 1.0, 1.0 }
};
int PaletteIndex = 2;

static const float Weights[3] = { 0.5, 0.25, 0.25 };

struct VS_OUTPUT
{
    float4 Position : POSITION;
    float4 Colour   : COLOR0;
};

VS_OUTPUT PaletteVS(float4 Position : POSITION, float4 Colour : COLOR0)
{
    VS_OUTPUT Out;
    Out.Position = mul(Position, WorldViewProj);

    float4 sum = 0;
    for (int i = 0; i < 3; i++)
        sum += Weights[i] * Palette[i];

    Out.Colour = Colour * sum + Palette[PaletteIndex] * 0.5;
    return Out;
}

float4 PalettePS(float4 Colour : COLOR0) : COLOR
{
    return Colour;
}

technique PaletteTechnique
{
    pass P0
    {
        VertexShader = compile vs_2_0 PaletteVS();
        PixelShader = compile ps_2_0 PalettePS();
    }
}
