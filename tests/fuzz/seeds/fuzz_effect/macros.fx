#define N 4
#include "x.fxh"
#if N > 2 && defined(N)
float4 c[N] : register(c4);
#endif
technique T { pass P { ZEnable = true; CullMode = CCW; } }
