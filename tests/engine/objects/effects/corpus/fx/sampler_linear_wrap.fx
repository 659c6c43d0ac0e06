// Bilinear filtering with wrapping: near the edges of the texture the filter reaches over to
// the texels of the far side.

float4x4 WorldViewProj : WorldViewProjection;

texture DiffuseTexture
<
    string File = "base.tga";
    string TextureType = "2D";
>;

sampler2D DiffuseSampler = sampler_state
{
    Texture = <DiffuseTexture>;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
    MipFilter = LINEAR;
    AddressU = WRAP;
    AddressV = WRAP;
};

struct VS_OUTPUT
{
    float4 Position : POSITION;
    float2 TexCoord : TEXCOORD0;
};

VS_OUTPUT VS(float4 Position : POSITION, float2 TexCoord : TEXCOORD0)
{
    VS_OUTPUT Out;
    Out.Position = mul(Position, WorldViewProj);
    Out.TexCoord = TexCoord;
    return Out;
}

float4 PS(float2 TexCoord : TEXCOORD0) : COLOR0
{
    return tex2D(DiffuseSampler, TexCoord);
}

technique Bilinear
{
    pass P0
    {
        VertexShader = compile vs_2_0 VS();
        PixelShader = compile ps_2_0 PS();
    }
}
