// The outside services the client talks to: the service host (game server,
// web site, update FTP server) and the community web site.
#pragma once
#include <string>
#include <string_view>

// The host name or dotted address of the service host. Built in for a local
// installation; the environment variable POSYVALE_SERVICE_HOST overrides it.
extern std::string ServiceHost;

// The root address of the community web site (no trailing "/"); the
// environment variable POSYVALE_COMMUNITY_SITE overrides it.
extern std::string CommunitySite;

inline constexpr int kGameServerPort = 40000;

// Reads the two addresses from the environment, keeping the built-in
// defaults where a variable is unset or empty.
void LoadServiceEndpoints();

// Full addresses of pages ("/faq.htm") on the two web sites.
std::string ServicePageUrl(std::string_view path);
std::string CommunityPageUrl(std::string_view path);

// A service page with the login attached: "page?id=ID&pass=PASSWORD".
std::string LoginPageUrl(std::string_view path);

// Percent-encodes the bytes that would break the page viewer's command line
// (blanks, control bytes and "@"); the page receives the same values.
std::string EscapeForViewer(std::string_view text);
