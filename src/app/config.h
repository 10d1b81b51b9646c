// Addresses the program is built with. Test builds may replace the first two (see the CMake
// options SONORIN_CONNECTIVITY_URL and SONORIN_PORTAL_HOST); the shipped program reads no
// command line and no environment.
#pragma once

#include <string>

namespace sonorin::config {

// The root address of a large public web site, reachable whenever the user is online.
std::string connectivityTestUrl();
// The radio portal, without a trailing slash: station page "/radio", schedule "/guangbo/".
std::string portalHost();
// The maker's home page and mail address.
std::string makerSite();
std::string makerMail();

}  // namespace sonorin::config
