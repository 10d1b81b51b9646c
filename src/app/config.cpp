#include "app/config.h"

namespace sonorin::config {
namespace {

// The one value of the configuration that is known only at run time.
int portalPort = kPortalPort;

}  // namespace

std::string connectivityTestUrl() {
#ifdef SONORIN_CONNECTIVITY_URL
    return SONORIN_CONNECTIVITY_URL;
#else
    return "http://www.baidu.com/";
#endif
}

std::string portalHost() {
    return "http://127.0.0.1:" + std::to_string(portalPort);
}

void setPortalPort(int port) {
    portalPort = port;
}

std::string stationDirectoryHost() {
#ifdef SONORIN_STATION_DIRECTORY
    return SONORIN_STATION_DIRECTORY;
#else
    return "https://de1.api.radio-browser.info";
#endif
}

std::string makerSite() {
    return "http://www.sonorin.cn/";
}

std::string makerMail() {
    return "support@sonorin.cn";
}

}  // namespace sonorin::config
