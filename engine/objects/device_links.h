// Hands the records the device: the object module installs these links when it sets up, with the
// display module's device getter, so that meshes make and release their device objects.
#pragma once

namespace platform::gfx { class Device; }

// Sets the record links' device getter, and the texture and declaration releases to give back the
// one reference a record holds. Installing again replaces the getter.
void InstallDeviceRecordLinks(platform::gfx::Device* (*getDevice)());
