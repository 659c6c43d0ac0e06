// Cross-fade between texture and vertex colour by a blend factor, then a conditional pick on the
// blended alpha (ps 1.3's cnd reads r0.a).

float4x4 mWVPT : WORLDVIEWPROJECTIONTRANSPOSE;
float4 vBlend = { 0.75, 0.5, 0.25, 0.4 };

texture tBase < string name = "base.tga"; >;

sampler sBase = sampler_state
{
    Texture = <tBase>;
    MinFilter = POINT;
    MagFilter = POINT;
};

technique Fade
{
    pass P0
    {
        VertexShaderConstant4[0] = <mWVPT>;
        VertexShader = asm
        {
            vs.1.1
            dcl_position v0
            dcl_color v1
            dcl_texcoord0 v2
            m4x4 oPos, v0, c0
            mov oD0, v1
            mov oT0, v2
        };

        Sampler[0] = <sBase>;
        PixelShaderConstant1[0] = <vBlend>;
        PixelShader = asm
        {
            ps.1.3
            tex t0
            lrp r0, c0, t0, v0             ; c0 * texture + (1 - c0) * colour
            add r1, t0_bias, v0_bias       ; texture + colour - 1
            mul r1.rgb, r1, 1-v0           ; ... times the inverse colour
            cnd r0, r0.a, r0, r1           ; blended alpha above one half keeps the blend
        };
    }
}
