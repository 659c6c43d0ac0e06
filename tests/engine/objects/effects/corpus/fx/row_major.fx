// Colour-space mixing with row_major matrices: vectors multiply from the left, mul(v, M).

row_major float4x4 WorldViewProj : WorldViewProjection;

// Each output channel is a different mix of the input channels (the matrix is not symmetric).
row_major float3x3 ColourMix =
{
    0.50, 0.25, 0.00,
    0.00, 0.50, 0.25,
    0.25, 0.00, 0.50
};

struct VS_OUTPUT
{
    float4 pos : POSITION;
    float4 col : COLOR0;
};

VS_OUTPUT MixVS(float4 pos : POSITION, float4 col : COLOR0)
{
    VS_OUTPUT o;
    o.pos = mul(pos, WorldViewProj);
    o.col = float4(mul(col.rgb, ColourMix), 1.0);
    return o;
}

float4 PassPS(float4 col : COLOR0) : COLOR0 { return col; }

technique RowMajor
{
    pass P0
    {
        VertexShader = compile vs_2_0 MixVS();
        PixelShader = compile ps_2_0 PassPS();
    }
}
