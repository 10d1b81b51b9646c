#include "win32/system_thread_win32.h"

#include <process.h>

#include <memory>

namespace sonorin::win32 {

namespace {

unsigned __stdcall start(void* argument) {
    const std::unique_ptr<std::function<void()>> work(
        static_cast<std::function<void()>*>(argument));
    (*work)();
    return 0;
}

}  // namespace

SystemThread::SystemThread(std::function<void()> work) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    const std::uintptr_t handle = _beginthreadex(nullptr, 0, start, owned.get(), 0, nullptr);
    if (handle != 0) {
        owned.release();  // the thread owns it now
        handle_ = reinterpret_cast<HANDLE>(handle);
    }
}

SystemThread::~SystemThread() {
    detach();
}

SystemThread& SystemThread::operator=(SystemThread&& other) noexcept {
    if (this != &other) {
        detach();
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

void SystemThread::join() {
    if (!handle_)
        return;
    WaitForSingleObject(handle_, INFINITE);
    CloseHandle(handle_);
    handle_ = nullptr;
}

void SystemThread::detach() {
    if (handle_)
        CloseHandle(handle_);
    handle_ = nullptr;
}

bool runDetached(std::function<void()> work) {
    SystemThread thread(std::move(work));
    return thread.joinable();
}

}  // namespace sonorin::win32
