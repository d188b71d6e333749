#include "platform/host_services.h"

#include "host/omApplication.h"
#include "host/omModule2.h"
#include "host/om_codes.h"

namespace tessel::platform {

namespace {
omModuleHost* g_host = nullptr;
CWinApp g_app;
}  // namespace

void bindHost(omModuleHost* host) {
  g_host = host;
  g_app = CWinApp{};
  if (!host) return;
  g_app.application = host->GetApplication();
  if (g_app.application) {
    const char* key = g_app.application->GetRegistryKey();
    const char* profile = g_app.application->GetProfileName();
    g_app.m_pszRegistryKey = key ? key : "";
    g_app.m_pszProfileName = profile ? profile : "";
  }
}

std::int16_t GetAsyncKeyState(int virtualKey) {
  if (!g_host) return 0;
  std::int32_t key = virtualKey == VK_SHIFT     ? om::kKeyShift
                     : virtualKey == VK_CONTROL ? om::kKeyCtrl
                     : virtualKey == VK_MENU    ? om::kKeyAlt
                                                : -1;
  if (key < 0) return 0;
  return g_host->IsKeyDown(key) ? static_cast<std::int16_t>(0x8000) : std::int16_t{0};
}

std::int32_t AfxMessageBox(const std::string& text, std::uint32_t style) {
  return MessageBox(text, "Tessel", style);
}

std::int32_t MessageBox(const std::string& text, const std::string& caption, std::uint32_t style) {
  return g_host ? g_host->MessageBox(text.c_str(), caption.c_str(), style) : 1;
}

HCURSOR LoadCursor(void* module, int id) { return module ? 0 : id; }

HCURSOR SetCursor(HCURSOR cursor) { return g_host ? g_host->SetSystemCursor(cursor) : 0; }

CWinApp* AfxGetApp() { return &g_app; }

}  // namespace tessel::platform
