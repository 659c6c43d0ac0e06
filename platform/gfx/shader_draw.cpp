// Drawing with programmable shaders: programs linked per shader pair, constant uploads, and the
// vertex shader's inputs bound to the vertex elements by usage.
#include "platform/gfx/device_impl.h"
#include "platform/gfx/shader.h"

namespace platform::gfx {

void DeviceImpl::DropPrograms(uint64_t) {}
void DeviceImpl::DeletePrograms() {}
bool DeviceImpl::FlushShaders() { return false; }
bool DeviceImpl::BindShaderInput(const VertexLayout&, const StreamSource*) { return false; }
void DeviceImpl::LeaveShaders() {}

}  // namespace platform::gfx
