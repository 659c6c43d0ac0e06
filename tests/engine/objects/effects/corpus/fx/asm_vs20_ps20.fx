// Version 2.0 assembly on both sides. The vertex shader scales and offsets the texture
// coordinates; the pixel shader keeps the texture where a per-channel switch is positive and
// the vertex colour elsewhere, then tints.
//
// vertex  c0-c3 world-view-projection (transposed), c4 texture scale (xy) and offset (zw)
// pixel   c0 tint, c1 switch (cmp: >= 0 takes the texture)

float4x4 WorldViewProjT : WORLDVIEWPROJECTIONTRANSPOSE;
float4 UvTransform = { 0.5, 0.5, 0.25, 0.25 };
float4 PixelConstants[2] =
{
    { 1.0, 0.8, 0.6, 1.0 },
    { 1.0, -1.0, 0.0, 1.0 }
};

texture Base < string name = "base.tga"; >;

sampler BaseSampler = sampler_state
{
    Texture = <Base>;
    MinFilter = Linear;
    MagFilter = Linear;
    AddressU = Clamp;
    AddressV = Clamp;
};

technique Asm20
{
    pass P0
    {
        VertexShaderConstantF[0] = <WorldViewProjT>;
        VertexShaderConstant1[4] = <UvTransform>;
        VertexShader = asm
        {
            vs_2_0
            dcl_position v0
            dcl_color v1
            dcl_texcoord v2
            m4x4 oPos, v0, c0
            mov oD0, v1
            mad oT0.xy, v2, c4, c4.zwzw
        };

        Sampler[0] = <BaseSampler>;
        PixelShaderConstant2[0] = <PixelConstants>;
        PixelShader = asm
        {
            ps_2_0
            dcl t0.xy
            dcl v0
            dcl_2d s0
            texld r0, t0, s0
            cmp r1, c1, r0, v0
            mul r1, r1, c0
            mov oC0, r1
        };
    }
}
