
float4x4 Wvp : WorldViewProjection;
float4 Move(float4 p : POSITION) : POSITION { return mul(p, Wvp); }
float4 Solid(uniform float3 c) : COLOR { return float4(c, 1); }
technique Add {
  pass Red { VertexShader = compile vs_2_0 Move(); PixelShader = compile ps_2_0 Solid(float3(1, 0, 0)); }
  pass Green {
    AlphaBlendEnable = true; SrcBlend = One; DestBlend = One; ZFunc = LessEqual;
    VertexShader = compile vs_2_0 Move(); PixelShader = compile ps_2_0 Solid(float3(0, 1, 0));
  }
}
