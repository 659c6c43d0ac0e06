// Scaled vertex colour with a fixed tint, written the long way: every signature and every
// compile call spread over several lines.

float4x4 mWorldViewProj
    : WORLDVIEWPROJECTION;

float4
TransformVS
(
    float4 vPosition : POSITION,
    float4 vColour   : COLOR0,
    uniform float fScale,
    out float4 oColour : COLOR0
)
: POSITION
{
    oColour = vColour * fScale;
    return mul( vPosition, mWorldViewProj );
}

float4 ShadePS(
    float4 cColour : COLOR0,
    uniform float3 vTint
    )
    : COLOR
{
    return float4( cColour.rgb + vTint, 1 );
}

technique Spread
{
    pass P0
    {
        VertexShader = compile vs_2_0 TransformVS(
            0.5
        );
        PixelShader = compile ps_2_0 ShadePS
        (
            float3( 0.25,
                    0.125,
                    0.0 )
        );
    }
}
