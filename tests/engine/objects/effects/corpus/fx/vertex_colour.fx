// Gouraud shading: the vertex colour, tinted, goes straight through to the pixel.
// The position leaves through the return value, the colour through an out parameter.

float4x4 WorldViewProj : WorldViewProjection;
float4 Tint = float4(1.0, 0.75, 0.5, 1.0);

float4 VS_Colour(float4 Pos : POSITION,
                 float4 Col : COLOR0,
                 out float4 oCol : COLOR0) : POSITION
{
    oCol = Col * Tint;
    return mul(Pos, WorldViewProj);
}

float4 PS_Colour(float4 Col : COLOR0) : COLOR
{
    return Col;
}

technique Gouraud
{
    pass P0
    {
        Lighting     = FALSE;
        CullMode     = NONE;
        VertexShader = compile vs_1_1 VS_Colour();
        PixelShader  = compile ps_1_1 PS_Colour();
    }
}
