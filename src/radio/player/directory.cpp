#include "radio/player/directory.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace sonorin::radio {

namespace {

// A field that the directory sends as a number, but sometimes as a string.
long long numberField(const nlohmann::json& station, const char* key, long long fallback) {
    const auto it = station.find(key);
    if (it == station.end())
        return fallback;
    if (it->is_number_integer())
        return it->get<long long>();
    if (it->is_number_float()) {
        // A float out of range (or NaN) would make the conversion undefined: clamp it.
        const double value = it->get<double>();
        if (!(value == value))
            return fallback;
        constexpr double kLimit = 9.0e18;
        return static_cast<long long>(std::clamp(value, -kLimit, kLimit));
    }
    if (it->is_boolean())
        return it->get<bool>() ? 1 : 0;
    if (it->is_string()) {
        try {
            return std::stoll(it->get<std::string>());
        } catch (const std::exception&) {
        }
    }
    return fallback;
}

std::string textField(const nlohmann::json& station, const char* key) {
    const auto it = station.find(key);
    return it != station.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool isWebAddress(const std::string& url) {
    return url.starts_with("http://") || url.starts_with("https://");
}

}  // namespace

std::string directoryLookupUrl(std::string_view host, std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url(host);
    while (url.ends_with('/'))
        url.pop_back();
    url += "/json/stations/byname/";
    for (char ch : name) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '_' || c == '.' || c == '~') {
            url += ch;
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        }
    }
    return url;
}

std::optional<std::vector<std::string>> directoryCandidates(std::string_view json) {
    const nlohmann::json answer = nlohmann::json::parse(json, nullptr, false);
    if (answer.is_discarded() || !answer.is_array())
        return std::nullopt;
    struct Candidate {
        std::string url;
        bool working;
        bool hls;  // segments fetched one by one: a plain stream of the station is preferred
        long long votes;
    };
    std::vector<Candidate> candidates;
    for (const nlohmann::json& station : answer) {
        if (!station.is_object())
            continue;
        std::string url = textField(station, "url_resolved");
        if (!isWebAddress(url))
            url = textField(station, "url");
        if (!isWebAddress(url))
            continue;
        candidates.push_back({url, numberField(station, "lastcheckok", 1) != 0,
                              numberField(station, "hls", 0) != 0,
                              numberField(station, "votes", 0)});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) {
                         if (a.working != b.working)
                             return a.working;
                         if (a.hls != b.hls)
                             return !a.hls;
                         return a.votes > b.votes;
                     });
    std::vector<std::string> urls;
    for (const Candidate& candidate : candidates) {
        if (std::find(urls.begin(), urls.end(), candidate.url) == urls.end())
            urls.push_back(candidate.url);
    }
    return urls;
}

}  // namespace sonorin::radio
