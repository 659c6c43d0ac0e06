// Detail texturing and a signed dot product in pixel shader 1.2.
//
// Stage 0 holds the base map, stage 1 a grey detail map tiled over it; the vertex colour,
// read as a signed vector, is lit by a fixed direction.

float4x4 WorldViewProjT : WorldViewProjectionTranspose;
float4 LightVector = { 0.0, 0.6, 0.8, 0.0 };
float4 Ambient     = { 0.1, 0.1, 0.2, 0.0 };

texture BaseMap   < string name = "base.tga"; >;
texture DetailMap < string name = "detail.tga"; >;

technique Detail
{
    pass P0
    {
        VertexShaderConstant4[0] = <WorldViewProjT>;
        VertexShader = asm
        {
            vs_1_1
            dcl_position v0
            dcl_color    v1
            dcl_texcoord v2
            m4x4 oPos, v0, c0
            mov  oD0, v1
            mov  oT0, v2
            add  oT1, v2, v2       ; the detail map tiles twice
        };

        Texture[0] = <BaseMap>;
        Texture[1] = <DetailMap>;
        MinFilter[0] = Point;  MagFilter[0] = Point;
        MinFilter[1] = Point;  MagFilter[1] = Point;
        AddressU[1] = Wrap;    AddressV[1] = Wrap;

        PixelShaderConstant1[0] = <LightVector>;
        PixelShaderConstant1[1] = <Ambient>;
        PixelShader = asm
        {
            ps.1.2
            tex t0
            tex t1
            mul_x2 r0.rgb, t0, t1          ; base * detail * 2
          + mov r0.a, v0.a
            dp3_sat r1, v0_bx2, c0         ; N.L with the colour as a signed normal
            mad r0.rgb, r0, r1, c1         ; lit detail plus ambient
        };
    }
}
