#include "client/session/service.h"

#include <cstdlib>

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
