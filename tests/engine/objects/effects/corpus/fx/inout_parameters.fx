// Negative image: the vertex colour is inverted in place, the texture tiled twice and shifted.
// Every vertex value is an inout parameter: the shader rewrites what it was given.

float4x4 WorldViewProjection : WORLDVIEWPROJECTION;

texture Picture < string file = "base.tga"; >;

sampler PictureSampler = sampler_state
{
    Texture = <Picture>;
};

void NegativeVS(inout float4 position : POSITION,
                inout float4 colour   : COLOR0,
                inout float2 uv       : TEXCOORD0)
{
    position   = mul(position, WorldViewProjection);
    colour.rgb = 1.0 - colour.rgb;
    uv         = uv * 2.0 - 0.5;
}

float4 ModulatePS(float4 colour : COLOR0, float2 uv : TEXCOORD0) : COLOR0
{
    return tex2D(PictureSampler, uv) * colour;
}

technique Negative
{
    pass P0
    {
        VertexShader = compile vs_2_0 NegativeVS();
        PixelShader  = compile ps_2_0 ModulatePS();
    }
}
