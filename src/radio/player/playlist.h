// Playlists that stations publish instead of a stream: .m3u, .m3u8, .pls and .xspf.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sonorin::radio {

// The playlist's entries in order, each resolved against `baseUrl` (where the list came from);
// entries that are not http or https addresses are left out. Handles byte-order marks
// (UTF-8 and UTF-16), any line ending, comments, .pls "FileN=" in the order of N, and the
// "location" elements of an XSPF list.
std::vector<std::string> parsePlaylist(std::string_view bytes, std::string_view baseUrl);

// An HLS playlist (segments or variants), played segment by segment (hls.h), not as a list.
bool isHlsPlaylist(std::string_view bytes);

}  // namespace sonorin::radio
