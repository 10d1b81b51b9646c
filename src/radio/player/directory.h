// The community station directory (the radio-browser API): stations looked up by name.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonorin::radio {

// host + "/json/stations/byname/" + the name, UTF-8 percent-encoded.
std::string directoryLookupUrl(std::string_view host, std::string_view name);

// The addresses of the answer's stations in the order to try them: stations the directory last
// found working before the others, within each group plain streams before HLS ones, and then
// the most votes first (ties keep the directory's order). The resolved address is preferred;
// entries without an http or https address and repeats are left out. nullopt when the answer
// is not a JSON array.
std::optional<std::vector<std::string>> directoryCandidates(std::string_view json);

}  // namespace sonorin::radio
