// Addresses the program is built with. Test builds may replace the connectivity test's and the
// station directory's (see the CMake options SONORIN_CONNECTIVITY_URL and
// SONORIN_STATION_DIRECTORY); the shipped program reads no command line and no environment.
#pragma once

#include <string>

namespace sonorin::config {

// The root address of a large public web site, reachable whenever the user is online.
std::string connectivityTestUrl();

// The radio portal is served by the program itself on 127.0.0.1, on this port or, when another
// program holds it, on the next free one of the attempts that follow.
inline constexpr int kPortalPort = 18673;
inline constexpr int kPortalPortAttempts = 20;
// "http://127.0.0.1:<port>", without a trailing slash: station page "/radio", schedule
// "/guangbo/". The port is the one the portal got at start-up.
std::string portalHost();
// Set once by start-up when the portal listens.
void setPortalPort(int port);
// The community station directory (radio-browser API), without a trailing slash: stations
// without an address are looked up there by name.
std::string stationDirectoryHost();

// The maker's home page and mail address.
std::string makerSite();
std::string makerMail();

}  // namespace sonorin::config
