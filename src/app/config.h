// Addresses the program is built with. Test builds may replace the first three (see the CMake
// options SONORIN_CONNECTIVITY_URL, SONORIN_PORTAL_HOST and SONORIN_STATION_DIRECTORY); the
// shipped program reads no command line and no environment.
#pragma once

#include <string>

namespace sonorin::config {

// The root address of a large public web site, reachable whenever the user is online.
std::string connectivityTestUrl();
// The radio portal, without a trailing slash: station page "/radio", schedule "/guangbo/".
std::string portalHost();
// The community station directory (radio-browser API), without a trailing slash: stations
// without an address are looked up there by name.
std::string stationDirectoryHost();
// The maker's home page and mail address.
std::string makerSite();
std::string makerMail();

}  // namespace sonorin::config
