// A dependent read in pixel shader 1.4: phase one turns the texture coordinates into mirrored
// ones, phase two samples the base map there and at the plain coordinates and averages them.

float4x4 matWorldViewProjection : WorldViewProjectionTranspose;
float4 vecCoordScale  = { -1.0, 1.0, 0.0, 0.0 };
float4 vecCoordOffset = { 1.0, 0.0, 0.0, 0.0 };
float4 vecMix         = { 0.5, 0.5, 0.5, 1.0 };

texture texBase < string name = "base.tga"; >;

technique Mirror
{
    pass P0
    {
        VertexShaderConstant4[0] = <matWorldViewProjection>;
        VertexShader = asm
        {
            vs.1.1
            dcl_position v0
            dcl_texcoord v1
            m4x4 oPos, v0, c0
            mov oT0, v1
        };

        Texture[0] = <texBase>;
        Texture[2] = <texBase>;
        MinFilter[0] = Point;  MagFilter[0] = Point;
        MinFilter[2] = Point;  MagFilter[2] = Point;
        AddressU[2] = Clamp;   AddressV[2] = Clamp;

        PixelShaderConstant1[0] = <vecCoordScale>;
        PixelShaderConstant1[1] = <vecCoordOffset>;
        PixelShaderConstant1[2] = <vecMix>;
        PixelShader = asm
        {
            ps.1.4
            texcrd r1.rgb, t0              ; (u, v, 0)
            mad r2.rgb, r1, c0, c1         ; (1 - u, v, 0)
            phase
            texld r2, r2                   ; stage 2 at the mirrored coordinates
            texld r0, t0                   ; stage 0 at the plain ones
            lrp r0.rgb, c2, r0, r2
          + mov r0.a, c2.a
        };
    }
}
