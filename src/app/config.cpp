#include "app/config.h"

namespace sonorin::config {

std::string connectivityTestUrl() {
#ifdef SONORIN_CONNECTIVITY_URL
    return SONORIN_CONNECTIVITY_URL;
#else
    return "http://www.baidu.com/";
#endif
}

std::string portalHost() {
#ifdef SONORIN_PORTAL_HOST
    return SONORIN_PORTAL_HOST;
#else
    return "http://radio.sonorin.cn";
#endif
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
