// Vertex colour times texture in shader assembly, the way it was written for the first
// programmable cards: version 1.1 shaders, constants loaded by the pass.
//
// c0-c3  world-view-projection, transposed (one row per register)
// c4-c7  colour matrix (one row per register): each channel a mix of the vertex colour's

matrix matWVPT : WORLDVIEWPROJECTIONTRANSPOSE;
matrix matColour =
{
    0.50f, 0.25f, 0.00f, 0.00f,
    0.00f, 0.50f, 0.25f, 0.00f,
    0.25f, 0.00f, 0.50f, 0.00f,
    0.00f, 0.00f, 0.00f, 1.00f
};
vector vecGlow = { 0.125f, 0.125f, 0.0f, 0.0f };

texture texBase < string name = "base.tga"; >;

technique AsmTextured
{
    pass P0
    {
        VertexShaderConstant[0] = <matWVPT>;
        VertexShaderConstant[4] = <matColour>;

        VertexShader =
        asm
        {
            vs.1.1
            m4x4 oPos, v0, c0      ; transform position
            m4x4 oD0, v5, c4       ; diffuse = colour matrix x vertex colour
            mov  oT0, v7           ; texture coordinates
        };

        PixelShaderConstant[0] = <vecGlow>;

        Texture[0]   = <texBase>;
        MinFilter[0] = Point;
        MagFilter[0] = Point;
        AddressU[0]  = Clamp;
        AddressV[0]  = Clamp;

        PixelShader =
        asm
        {
            ps.1.1
            tex t0                 ; sample the base map
            mul r0, t0, v0         ; modulate with the diffuse colour
            add r0.rgb, r0, c0     ; plus a little glow
        };
    }
}
