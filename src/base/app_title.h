// The application's title, shown on its message boxes.
#pragma once

namespace sonorin {

inline constexpr const char* kAppTitle = "星澜网络收音机";

}  // namespace sonorin
