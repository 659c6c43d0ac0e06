
float4x4 Wvpt : WorldViewProjectionTranspose;
float4 Paint = {0.25, 0.5, 1, 1};
technique Asm {
  pass {
    VertexShaderConstant4[0] = <Wvpt>;
    VertexShaderConstant[4] = <Paint>;
    VertexShader = asm { vs.1.1
      m4x4 oPos, v0, c0
      mov oD0, c4 };
    PixelShader = asm { ps.1.1
      mov r0, v0 };
  }
}
