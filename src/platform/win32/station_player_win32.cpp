#include <windows.h>

#include "platform/win32/station_player_win32.h"

namespace sonorin::win32 {

void Win32StationPlayer::play(const Station& station) {
    current_ = station;
    state_ = PlayerState::Failed;
    status_ = "无法播放";
    if (onChanged)
        onChanged();
}

void Win32StationPlayer::stop() {
    current_ = {};
    state_ = PlayerState::Stopped;
    status_.clear();
    if (onChanged)
        onChanged();
}

}  // namespace sonorin::win32
