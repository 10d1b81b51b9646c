#include <cstdio>
#include <cwchar>

#include "driver.h"

namespace sonorin::driver {

std::string utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring wide(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::string quote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// Straight to the handle: the C runtime's text mode would turn "\n" into "\r\n".
void print_line(const std::string& line) {
    std::string data = line + "\n";
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    WriteFile(out, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
}

void append_element(std::string& array, const std::string& json) {
    if (array.size() > 1) {
        array += ',';
    }
    array += json;
}

void JsonLine::key(const char* name) {
    if (body_.size() > 1) {
        body_ += ",";
    }
    body_ += quote(name) + ":";
}

JsonLine& JsonLine::add(const char* name, const std::string& value) {
    key(name);
    body_ += quote(value);
    return *this;
}

JsonLine& JsonLine::add(const char* name, long long value) {
    key(name);
    body_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::add(const char* name, bool value) {
    key(name);
    body_ += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::add(const char* name, HWND value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(value)));
    return add(name, std::string(text));
}

JsonLine& JsonLine::add(const char* name, const std::vector<std::wstring>& values) {
    std::string list = "[";
    for (const auto& value : values) {
        append_element(list, quote(utf8(value)));
    }
    return raw(name, list + "]");
}

JsonLine& JsonLine::raw(const char* name, const std::string& json) {
    key(name);
    body_ += json;
    return *this;
}

void JsonLine::print() const {
    print_line(str());
}

LRESULT send(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, msg, wparam, lparam, SMTO_ABORTIFHUNG, 3000, &result)) {
        throw Failure("window " + std::to_string(reinterpret_cast<uintptr_t>(hwnd)) +
                      " does not answer");
    }
    return static_cast<LRESULT>(result);
}

HWND parse_handle(const std::wstring& text) {
    if (text.empty()) {
        return nullptr;
    }
    wchar_t* end = nullptr;
    unsigned long long value = 0;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        value = std::wcstoull(text.c_str() + 2, &end, 16);
    } else {
        value = std::wcstoull(text.c_str(), &end, 10);
    }
    if (end == nullptr || *end != L'\0' || value == 0) {
        return nullptr;
    }
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}

std::vector<HWND> top_windows() {
    std::vector<HWND> found;
    EnumWindows(
        [](HWND hwnd, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::vector<HWND> child_windows(HWND parent) {
    std::vector<HWND> found;
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring class_of(HWND hwnd) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    // The program's controls are system controls under the class names its skin engine
    // recognises; the driver works them as the system controls they are.
    static const struct {
        const wchar_t* program;
        const wchar_t* system;
    } kSuperclasses[] = {
        {L"ThunderRT6CommandButton", L"Button"}, {L"ThunderRT6OptionButton", L"Button"},
        {L"ThunderRT6CheckBox", L"Button"},      {L"ThunderRT6Frame", L"Button"},
        {L"ThunderRT6ComboBox", L"ComboBox"},    {L"ProgressBar20WndClass", L"msctls_progress32"},
    };
    for (const auto& s : kSuperclasses) {
        if (_wcsicmp(name, s.program) == 0) {
            return s.system;
        }
    }
    return name;
}

std::wstring text_of(HWND hwnd) {
    LRESULT length = send(hwnd, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = send(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(copied < 0 ? 0 : copied));
    return text;
}

// "录音(&R)" and "&Open" are shown as "录音(R)" and "Open": compare what the user reads.
std::wstring without_accelerator(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) {
            ++i;
        }
        out += text[i];
    }
    return out;
}

HWND find_top_window(const std::wstring& selector) {
    if (HWND hwnd = parse_handle(selector)) {
        if (!IsWindow(hwnd)) {
            throw Failure("no window " + utf8(selector));
        }
        return hwnd;
    }
    HWND hidden = nullptr;
    for (HWND hwnd : top_windows()) {
        wchar_t caption[512] = {};
        InternalGetWindowText(hwnd, caption, 512);
        if (selector == caption) {
            if (IsWindowVisible(hwnd)) {
                return hwnd;
            }
            if (hidden == nullptr) {
                hidden = hwnd;
            }
        }
    }
    if (hidden == nullptr) {
        throw Failure("no window with caption \"" + utf8(selector) + "\"");
    }
    return hidden;
}

HWND find_child_of_class(HWND parent, const wchar_t* class_name) {
    for (HWND child : child_windows(parent)) {
        if (_wcsicmp(class_of(child).c_str(), class_name) == 0) {
            return child;
        }
    }
    return nullptr;
}

HWND find_child(HWND parent, const std::wstring& selector, const wchar_t* preferred_class) {
    size_t hash = selector.rfind(L'#');
    if (hash != std::wstring::npos && hash > 0) {
        std::wstring class_name = selector.substr(0, hash);
        int wanted = _wtoi(selector.c_str() + hash + 1);
        int seen = 0;
        for (HWND child : child_windows(parent)) {
            if (_wcsicmp(class_of(child).c_str(), class_name.c_str()) == 0 && ++seen == wanted) {
                return child;
            }
        }
        throw Failure("no control " + utf8(selector) + " (" + std::to_string(seen) +
                      " of that class)");
    }
    wchar_t* end = nullptr;
    long id = std::wcstol(selector.c_str(), &end, 10);
    if (selector.empty() || *end != L'\0') {
        throw Failure("a control is an id or Class#n, not \"" + utf8(selector) + "\"");
    }
    // Ids repeat inside composite windows (a file dialog's list view has id 1, like its OK
    // button): the visible control of the wanted class wins.
    HWND best = nullptr;
    int best_score = -1;
    for (HWND child : child_windows(parent)) {
        if (GetDlgCtrlID(child) != id) {
            continue;
        }
        int score =
            (IsWindowVisible(child) ? 1 : 0) +
            (preferred_class && _wcsicmp(class_of(child).c_str(), preferred_class) == 0 ? 2 : 0);
        if (score > best_score) {
            best = child;
            best_score = score;
        }
    }
    if (best == nullptr) {
        throw Failure("no control with id " + std::to_string(id));
    }
    return best;
}

RemoteBuffer::RemoteBuffer(HWND owner, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_ == nullptr) {
        throw Failure("cannot open process " + std::to_string(pid));
    }
    remote_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (remote_ == nullptr) {
        CloseHandle(process_);
        throw Failure("cannot allocate memory in process " + std::to_string(pid));
    }
}

RemoteBuffer::~RemoteBuffer() {
    VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
    CloseHandle(process_);
}

void RemoteBuffer::write(const void* data, size_t size, size_t offset) {
    SIZE_T done = 0;
    if (offset + size > size_ ||
        !WriteProcessMemory(process_, static_cast<char*>(remote_) + offset, data, size, &done)) {
        throw Failure("cannot write into the program's memory");
    }
}

void RemoteBuffer::read(void* data, size_t size, size_t offset) const {
    SIZE_T done = 0;
    if (offset + size > size_ ||
        !ReadProcessMemory(process_, static_cast<char*>(remote_) + offset, data, size, &done)) {
        throw Failure("cannot read the program's memory");
    }
}

void RemoteBuffer::clear() {
    std::vector<char> zeros(size_, 0);
    write(zeros.data(), zeros.size());
}

}  // namespace sonorin::driver
