// The same kind of colour mixing with column vectors: matrices on the left, mul(M, v). The engine
// hands over the transposed transform for it.

float4x4 matWorldViewProjT : WORLDVIEWPROJECTIONTRANSPOSE;

column_major float3x3 matColour =
{
    0.50, 0.25, 0.00,
    0.00, 0.50, 0.25,
    0.25, 0.00, 0.50
};

void MixVS(float4 vPos : POSITION, float4 vCol : COLOR0,
           out float4 oPos : POSITION, out float4 oCol : COLOR0)
{
    oPos = mul(matWorldViewProjT, vPos);
    oCol = float4(mul(matColour, vCol.rgb), 1.0);
}

float4 PassPS(float4 col : COLOR0) : COLOR0 { return col; }

technique ColumnMajor
{
    pass P0
    {
        VertexShader = compile vs_2_0 MixVS();
        PixelShader = compile ps_2_0 PassPS();
    }
}
