// Threads made by the C runtime's _beginthreadex, not std::thread. MinGW's winpthreads (10.0,
// which std::thread runs on here) keeps each thread's record in a pool of its own and mixes
// them up when a thread is detached around the time it ends: the next thread made then starts
// with another thread's work, or with none, and the process dies in the thread's start
// routine. Helper threads that end on their own, quickly and in great numbers (one per
// connection), are exactly that case, so every thread of the player and the panes is made here.
#pragma once

#include <windows.h>

#include <functional>

namespace sonorin::win32 {

class SystemThread {
  public:
    SystemThread() = default;
    // Starts `work` at once; joinable() is false when no thread could be made.
    explicit SystemThread(std::function<void()> work);
    // A thread still running is let go, as detach() does.
    ~SystemThread();
    SystemThread(SystemThread&& other) noexcept : handle_(other.handle_) {
        other.handle_ = nullptr;
    }
    SystemThread& operator=(SystemThread&& other) noexcept;
    SystemThread(const SystemThread&) = delete;
    SystemThread& operator=(const SystemThread&) = delete;

    bool joinable() const { return handle_ != nullptr; }
    void join();
    // The thread runs on and ends by itself; its handle is closed now.
    void detach();

  private:
    HANDLE handle_ = nullptr;
};

// Runs `work` on a thread of its own that nobody waits for; false when no thread could be made.
bool runDetached(std::function<void()> work);

}  // namespace sonorin::win32
