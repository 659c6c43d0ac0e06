// Vertex lighting in version 1.1 assembly: N.L against the light direction in object space,
// which the engine fills from the UIDirectionalInv annotation, clamped at zero, times a
// diffuse colour, plus ambient.

float4x4 WorldViewProjT : WORLDVIEWPROJECTIONTRANSPOSE;
float4 LightDirObject < string UIDirectionalInv = "Light direction (object space)"; >;
float4 DiffuseColour = { 0.9, 0.8, 0.7, 1.0 };

texture Skin < string name = "base.tga"; >;

technique VertexLit
{
    pass P0
    {
        VertexShaderConstant4[0] = <WorldViewProjT>;
        VertexShaderConstant1[4] = <LightDirObject>;
        VertexShaderConstant[5]  = { 0.0, 0.5, 1.0, 0.0 };
        VertexShaderConstant1[6] = <DiffuseColour>;
        VertexShaderConstant[7]  = { 0.1, 0.1, 0.1, 0.0 };
        VertexShader = asm
        {
            vs.1.1
            m4x4 oPos, v0, c0
            dp3 r0, v3, -c4            ; N.L (the light travels along c4)
            max r0, r0, c5.x           ; no negative light
            mad oD0, r0.x, c6, c7      ; diffuse * N.L + ambient
            mov oT0, v7
        };

        Texture[0] = <Skin>;
        MinFilter[0] = Point;
        MagFilter[0] = Point;

        PixelShader = asm
        {
            ps.1.1
            tex t0
            mul r0, t0, v0
        };
    }
}
