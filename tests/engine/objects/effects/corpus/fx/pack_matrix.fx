// Non-square matrices under #pragma pack_matrix(row_major): a 4x3 world matrix, the
// view-projection after it, and a 3x4 colour matrix that adds an alpha row.

#pragma pack_matrix(row_major)

float4x3 World    : WORLD;
float4x4 ViewProj : VIEWPROJECTION;

float3x4 ColourToRgba =
{
    0.0, 1.0, 0.0, 0.25,
    0.0, 0.0, 1.0, 0.25,
    1.0, 0.0, 0.0, 0.50
};

struct Output
{
    float4 Position : POSITION;
    float4 Colour   : COLOR0;
};

Output Main(float4 position : POSITION, float4 colour : COLOR0)
{
    Output o;
    float3 worldPosition = mul(position, World);
    o.Position = mul(float4(worldPosition, 1.0), ViewProj);
    o.Colour = mul(colour.rgb, ColourToRgba);
    return o;
}

float4 Pixel(float4 colour : COLOR0) : COLOR
{
    return colour;
}

technique NonSquare
{
    pass P0
    {
        VertexShader = compile vs_2_0 Main();
        PixelShader = compile ps_2_0 Pixel();
    }
}
