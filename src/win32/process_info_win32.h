// This program as the system sees it: other running copies and its version resource.
#pragma once

#include <windows.h>

#include "services/process_info.h"

namespace sonorin::win32 {

class Win32ProcessInfo : public ProcessInfo {
  public:
    // Marks this copy as running for the copies started after it.
    Win32ProcessInfo();
    ~Win32ProcessInfo() override;
    Win32ProcessInfo(const Win32ProcessInfo&) = delete;
    Win32ProcessInfo& operator=(const Win32ProcessInfo&) = delete;

    bool anotherInstanceRunning() override { return earlierCopy_; }
    ProgramVersion version() override;

  private:
    HANDLE marker_ = nullptr;
    bool earlierCopy_ = false;
};

}  // namespace sonorin::win32
