/*
 * Textured, unlit. Both shaders hand back everything through out parameters.
 */

float4x4 matWVP : WorldViewProjection;

texture BaseTexture < string Name = "base.tga"; >;

sampler2D BaseSampler = sampler_state
{
    Texture = (BaseTexture);
    MinFilter = Point;
    MagFilter = Point;
};

void TransformVS(float4 inPos : POSITION,
                 float2 inTex : TEXCOORD0,
                 out float4 outPos : POSITION,
                 out float2 outTex : TEXCOORD0)
{
    outPos = mul(inPos, matWVP);
    outTex = inTex;
}

void TexturePS(float2 tex : TEXCOORD0,
               out float4 colour : COLOR0)
{
    colour = tex2D(BaseSampler, tex);
}

technique Textured
{
    pass Single
    {
        VertexShader = compile vs_2_0 TransformVS();
        PixelShader = compile ps_2_0 TexturePS();
    }
}
