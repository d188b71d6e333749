// What a Windows module asks the operating system directly (key state, message box, the
// application object) comes here from the host that loaded the module.
#pragma once

#include <cstdint>
#include <string>

class omApplication;
class omModuleHost;

namespace tessel::platform {

inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;

// The host every call below goes to; null (no host yet) answers "key up", "OK", no application.
void bindHost(omModuleHost* host);

// High bit set while the key is held.
std::int16_t GetAsyncKeyState(int virtualKey);
std::int32_t AfxMessageBox(const std::string& text, std::uint32_t style = 0);
// A message box with its own caption; the button chosen (1 = OK).
std::int32_t MessageBox(const std::string& text, const std::string& caption, std::uint32_t style);

// The pointer over the whole application: a system cursor's ID stands for its handle, and 0
// for the application's own pointer.
using HCURSOR = std::int32_t;
inline constexpr int IDC_WAIT = 32514;
// Only system cursors (module null) are asked for here.
HCURSOR LoadCursor(void* module, int id);
// Shows `cursor` and answers the one it replaced.
HCURSOR SetCursor(HCURSOR cursor);

// The application object and the two names its settings live under.
struct CWinApp {
  omApplication* application = nullptr;
  std::string m_pszRegistryKey;
  std::string m_pszProfileName;
};
CWinApp* AfxGetApp();

}  // namespace tessel::platform
