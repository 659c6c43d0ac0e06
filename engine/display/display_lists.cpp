// The display modes and adapters published in the ResultList.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "engine/display/display.h"
#include "engine/display/display_state.h"
#include "engine/system/result_list.h"

void ListDisplayModes() {
  const DisplayState& d = Display();
  std::vector<DisplayModeRecord> listed;
  if (d.currentAdapter >= 0 && size_t(d.currentAdapter) < d.adapters.size()) {
    const auto& modes = d.adapters[size_t(d.currentAdapter)].modes;
    for (size_t i = 0; i < modes.size(); ++i) {
      const uint32_t bits = FormatToBits(modes[i].format);
      if (bits < 16) continue;
      bool laterTwin = false;  // of equal modes the last in the adapter's order stays
      for (size_t j = i + 1; j < modes.size() && !laterTwin; ++j) {
        laterTwin = modes[j].width == modes[i].width && modes[j].height == modes[i].height &&
                    FormatToBits(modes[j].format) == bits;
      }
      if (!laterTwin) listed.push_back(modes[i]);
    }
  }
  const int32_t count = int32_t(listed.size());
  if (!BeginResultList(count, 32, true, true)) return;
  for (int32_t i = 0; i < count; ++i) {
    const DisplayModeRecord& mode = listed[size_t(i)];
    const int32_t bits = int32_t(FormatToBits(mode.format));
    char text[40];
    std::snprintf(text, sizeof text, "%dx%dx%d", int(mode.width), int(mode.height), int(bits));
    SetResultListEntry(i, text, int32_t(mode.width), int32_t(mode.height), bits);
  }
  EndResultList(count);
}

void ListDisplayAdapters() {
  const DisplayState& d = Display();
  uint32_t longest = 0;
  for (const AdapterRecord& adapter : d.adapters) longest = std::max<uint32_t>(longest, uint32_t(adapter.name.size()));
  const int32_t count = int32_t(d.adapters.size());
  if (!BeginResultList(count, longest, false, true)) return;
  for (int32_t i = 0; i < count; ++i) SetResultListEntry(i, d.adapters[size_t(i)].name.c_str(), 0, 0, 0);
  EndResultList(count);
}
