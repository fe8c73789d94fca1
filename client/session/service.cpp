#include "client/session/service.h"

#include <cstdio>
#include <cstdlib>

#include "client/session/login.h"

std::string ServiceHost = "127.0.0.1";
std::string CommunitySite = "http://127.0.0.1:8080";

namespace {

void OverrideFromEnvironment(const char* variable, std::string& value) {
  const char* text = std::getenv(variable);
  if (text && *text) value = text;
}

}  // namespace

void LoadServiceEndpoints() {
  OverrideFromEnvironment("POSYVALE_SERVICE_HOST", ServiceHost);
  OverrideFromEnvironment("POSYVALE_COMMUNITY_SITE", CommunitySite);
  while (!CommunitySite.empty() && CommunitySite.back() == '/') CommunitySite.pop_back();
}

std::string ServicePageUrl(std::string_view path) { return "http://" + ServiceHost + std::string(path); }

std::string CommunityPageUrl(std::string_view path) { return CommunitySite + std::string(path); }

std::string EscapeForViewer(std::string_view text) {
  std::string escaped;
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || c == '@') {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02X", byte);
      escaped += code;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string LoginPageUrl(std::string_view path) {
  return ServicePageUrl(path) + "?id=" + EscapeForViewer(SessionIdentity.login_id) +
         "&pass=" + EscapeForViewer(SessionIdentity.password);
}
