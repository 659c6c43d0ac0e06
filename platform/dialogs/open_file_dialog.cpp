// The open-file dialog as a dialog of its own: a list of the browsed folder's sub-folders and
// matching files, a file name edit, the filter in use, Open and Cancel.
#include <fnmatch.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/dialogs/dialog_internal.h"
#include "platform/dialogs/open_file.h"
#include "platform/fs/folder.h"
#include "platform/fs/path.h"
#include "platform/window/message_box.h"
#include "platform/window/messages.h"

namespace platform::dialogs {

namespace {

namespace fs = platform::fs;

enum : int32_t { kFolderLabel = 0x441, kFilterLabel = 0x470 };

const ControlResource kControls[] = {
    {ControlKind::Static, -1, "Look in:", 7, 7, 40, 8, 0},
    {ControlKind::Static, kFolderLabel, "", 50, 7, 183, 8, 0},
    {ControlKind::ListBox, kFileListControl, nullptr, 7, 20, 226, 98, LBS_NOTIFY | WS_VSCROLL | WS_BORDER},
    {ControlKind::Static, -1, "File name:", 7, 126, 42, 8, 0},
    {ControlKind::Edit, kFileNameControl, nullptr, 50, 124, 130, 13, ES_AUTOHSCROLL},
    {ControlKind::Static, -1, "Files of type:", 7, 144, 42, 8, 0},
    {ControlKind::Static, kFilterLabel, "", 50, 144, 130, 8, 0},
    {ControlKind::DefaultButton, IDOK, "Open", 186, 124, 47, 14, 0},
    {ControlKind::Button, IDCANCEL, "Cancel", 186, 142, 47, 14, 0},
};

struct Entry {
  std::string name;
  bool folder;
};

// What the one open-file dialog works on (dialogs are modal: one at a time).
struct Browse {
  OpenFileName* request = nullptr;
  std::string folder;  // absolute, without a trailing "/" except for the root
  std::vector<std::string> patterns;
  std::vector<Entry> entries;  // in the list's order
  bool tooLong = false;
};
Browse g_browse;

// The description and the patterns of the filter pair in use ("*" when there is none).
void ReadFilter(const OpenFileName& request, std::string& description, std::vector<std::string>& patterns) {
  std::vector<std::string> texts;
  for (const char* p = request.filter; p && *p; p += std::strlen(p) + 1) texts.emplace_back(p);
  const size_t pair = request.filterIndex > 0 ? request.filterIndex - 1 : 0;
  if (pair * 2 + 1 >= texts.size()) {
    description = "All files";
    patterns = {"*"};
    return;
  }
  description = texts[pair * 2];
  const std::string& list = texts[pair * 2 + 1];
  for (size_t start = 0; start <= list.size();) {
    const size_t end = list.find(';', start);
    const std::string pattern = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!pattern.empty()) patterns.push_back(pattern);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  if (patterns.empty()) patterns = {"*"};
  description += " (" + list + ")";
}

bool Matches(const std::string& name) {
  for (const std::string& pattern : g_browse.patterns)
    if (fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
  return false;
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string Parent(const std::string& folder) {
  const size_t slash = folder.find_last_of('/');
  return slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
}

void Fill(Dialog* dialog) {
  Control* list = GetDlgItem(dialog, kFileListControl);
  SendMessage(list, LB_RESETCONTENT, 0, 0);
  g_browse.entries.clear();
  std::vector<fs::FolderEntry> found;
  fs::ListFolder(g_browse.folder, found);
  if (g_browse.folder != "/") g_browse.entries.push_back(Entry{"..", true});
  for (const fs::FolderEntry& e : found) {
    if (e.name == "." || e.name == ".." || (e.attributes & fs::kAttributeHidden)) continue;
    if (e.attributes & fs::kAttributeFolder) g_browse.entries.push_back(Entry{e.name, true});
  }
  for (const fs::FolderEntry& e : found) {
    if ((e.attributes & (fs::kAttributeFolder | fs::kAttributeHidden)) || !Matches(e.name)) continue;
    g_browse.entries.push_back(Entry{e.name, false});
  }
  for (const Entry& e : g_browse.entries) {
    const std::string shown = e.folder && e.name != ".." ? e.name + "/" : e.name;
    SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<intptr_t>(shown.c_str()));
  }
  SetDlgItemText(dialog, kFolderLabel, g_browse.folder.c_str());
}

void EnterFolder(Dialog* dialog, const std::string& folder) {
  g_browse.folder = folder;
  SetDlgItemText(dialog, kFileNameControl, "");
  Fill(dialog);
}

void Choose(Dialog* dialog, const std::string& path) {
  OpenFileName& request = *g_browse.request;
  if (!request.file || path.size() >= request.fileSize) {
    g_browse.tooLong = true;
    EndDialog(dialog, IDCANCEL);
    return;
  }
  std::memcpy(request.file, path.c_str(), path.size() + 1);
  EndDialog(dialog, IDOK);
}

const Entry* SelectedEntry(Dialog* dialog) {
  const intptr_t selected = SendMessage(GetDlgItem(dialog, kFileListControl), LB_GETCURSEL, 0, 0);
  return selected >= 0 && size_t(selected) < g_browse.entries.size() ? &g_browse.entries[size_t(selected)] : nullptr;
}

void OpenEntry(Dialog* dialog, const Entry& entry) {
  if (!entry.folder) Choose(dialog, Join(g_browse.folder, entry.name));
  else if (entry.name == "..") EnterFolder(dialog, Parent(g_browse.folder));
  else EnterFolder(dialog, Join(g_browse.folder, entry.name));
}

// Open: the typed name (a folder is entered), else the selected entry.
void Open(Dialog* dialog) {
  const std::string typed = GetDlgItem(dialog, kFileNameControl)->text;
  if (typed.empty()) {
    if (const Entry* entry = SelectedEntry(dialog)) OpenEntry(dialog, *entry);
    return;
  }
  const bool absolute = typed[0] == '/' || typed[0] == '\\';
  const std::string path = fs::ResolvePath(absolute ? typed : Join(g_browse.folder, typed));
  if (path.empty()) return;
  if (fs::FolderExists(path)) {
    EnterFolder(dialog, path.size() > 1 && path.back() == '/' ? path.substr(0, path.size() - 1) : path);
    return;
  }
  const uint32_t flags = g_browse.request->flags;
  const std::string folder = Parent(path);
  const char* problem = nullptr;
  if ((flags & OFN_PATHMUSTEXIST) && !fs::FolderExists(folder)) problem = "\nPath does not exist.\nCheck the path and try again.";
  else if ((flags & OFN_FILEMUSTEXIST) && !fs::FileExists(path)) problem = "\nFile not found.\nCheck the file name and try again.";
  if (problem) {
    window::MessageBox(nullptr, (typed + problem).c_str(), "Open", window::MB_ICONWARNING);
    return;
  }
  Choose(dialog, path);
}

intptr_t OpenFileProc(Dialog* dialog, uint32_t message, uintptr_t wParam, intptr_t) {
  if (message == WM_INITDIALOG) {
    std::string description;
    ReadFilter(*g_browse.request, description, g_browse.patterns);
    SetDlgItemText(dialog, kFilterLabel, description.c_str());
    if (g_browse.request->file) SetDlgItemText(dialog, kFileNameControl, g_browse.request->file);
    Fill(dialog);
    return 0;
  }
  if (message != WM_COMMAND) return 0;
  switch (CommandId(wParam)) {
    case IDOK:
      Open(dialog);
      return 1;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return 1;
    case kFileListControl: {
      const Entry* entry = SelectedEntry(dialog);
      if (!entry) return 1;
      if (CommandCode(wParam) == LBN_DBLCLK) OpenEntry(dialog, *entry);
      else if (CommandCode(wParam) == LBN_SELCHANGE && !entry->folder)
        SetDlgItemText(dialog, kFileNameControl, entry->name.c_str());
      return 1;
    }
    default:
      return 1;
  }
}

// The folder the dialog starts in: the initial folder when it exists, else the current folder.
std::string StartFolder(const OpenFileName& request) {
  std::string folder;
  if (request.initialFolder && *request.initialFolder && fs::FolderExists(request.initialFolder))
    folder = fs::ResolvePath(request.initialFolder);
  if (!folder.empty() && folder[0] != '/') folder = Join(fs::CurrentFolder(), folder);
  if (folder.empty()) folder = fs::CurrentFolder();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder.empty() ? "/" : folder;
}

}  // namespace

bool GetOpenFileName(OpenFileName& request, const DialogHost& host) {
  if (g_browse.request) return false;
  const DialogResource resource{0, request.title ? request.title : "Open", 0, 0, 240, 163, "MS Sans Serif", 8,
                                kControls, sizeof kControls / sizeof kControls[0]};
  g_browse = Browse{};
  g_browse.request = &request;
  g_browse.folder = StartFolder(request);
  const intptr_t result = DialogBoxParam(resource, host, OpenFileProc, 0);
  const bool chosen = result == IDOK && !g_browse.tooLong;
  g_browse = Browse{};
  return chosen;
}

}  // namespace platform::dialogs
