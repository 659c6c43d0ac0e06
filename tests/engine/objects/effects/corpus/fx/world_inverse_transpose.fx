// Lambert lighting of a mesh that is rotated and stretched: normals through the inverse
// transpose of the world matrix. The light direction comes from the UIDirectional annotation.
// The highlight colour leaves through an out parameter beside the returned structure.

float4x4 WorldViewProj : WORLDVIEWPROJECTION;
float4x4 WorldIT       : WORLDINVERSETRANSPOSE;

float4 LightDirection : Direction
<
    string UIDirectional = "Light Direction";
> = { 0.0, 0.0, 1.0, 0.0 };

float4 SurfaceColour = { 1.0, 0.9, 0.8, 1.0 };

struct VS_IN  { float4 pos : POSITION; float3 normal : NORMAL; };
struct VS_OUT { float4 pos : POSITION; float4 diffuse : COLOR0; };

VS_OUT LambertVS(VS_IN i, out float4 rim : COLOR1)
{
    VS_OUT o;
    o.pos = mul(i.pos, WorldViewProj);
    float3 n = normalize(mul(i.normal, (float3x3)WorldIT));
    float ndotl = dot(n, -LightDirection.xyz);
    o.diffuse = SurfaceColour * max(ndotl, 0);
    rim = float4(0.0, 0.0, 1.0 - abs(ndotl), 1.0) * 0.5;
    return o;
}

float4 LambertPS(float4 diffuse : COLOR0, float4 rim : COLOR1) : COLOR
{
    return diffuse + rim;
}

technique Lambert
{
    pass P0
    {
        VertexShader = compile vs_2_0 LambertVS();
        PixelShader  = compile ps_2_0 LambertPS();
    }
}
