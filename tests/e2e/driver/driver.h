// The end-to-end driver works Sonorin's windows from outside, like a user would, through
// ordinary window messages only. Every command prints UTF-8 JSON lines on stdout.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace sonorin::driver {

// A failed command: main() prints the message on stderr and exits with 1.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Text conversion at the Win32 edge.
std::string utf8(const std::wstring& text);
std::wstring wide(const std::string& text);

// One JSON object, built field by field and printed as one line.
class JsonLine {
  public:
    JsonLine& add(const char* key, const std::string& value);
    JsonLine& add(const char* key, const std::wstring& value) { return add(key, utf8(value)); }
    JsonLine& add(const char* key, const char* value) { return add(key, std::string(value)); }
    JsonLine& add(const char* key, long long value);
    JsonLine& add(const char* key, bool value);
    JsonLine& add(const char* key, HWND value);
    JsonLine& add(const char* key, const std::vector<std::wstring>& values);
    // A pre-built JSON value (an array of objects, for instance).
    JsonLine& raw(const char* key, const std::string& json);
    std::string str() const { return body_ + "}"; }
    void print() const;

  private:
    void key(const char* name);
    std::string body_ = "{";
};

std::string quote(const std::string& text);
// Adds one element to a JSON array that is being built ("[" or "[a,b").
void append_element(std::string& array, const std::string& json);
void print_line(const std::string& line);

// Window lookup. A window argument is a handle (0x1A2B or decimal) or an exact caption; among
// several windows with that caption, visible ones win.
HWND parse_handle(const std::wstring& text);  // nullptr when the text is not a handle
HWND find_top_window(const std::wstring& selector);
std::vector<HWND> top_windows();
std::vector<HWND> child_windows(HWND parent);  // all descendants, in Z order per level
std::wstring class_of(HWND hwnd);
std::wstring text_of(HWND hwnd);  // WM_GETTEXT with a time-out: a hung program can't hang us
std::wstring without_accelerator(const std::wstring& text);
// A control by id or Class#n (1-based). Among several with one id, a visible one of
// `preferred_class` is taken.
HWND find_child(HWND parent, const std::wstring& selector,
                const wchar_t* preferred_class = nullptr);
HWND find_child_of_class(HWND parent, const wchar_t* class_name);
LRESULT send(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

// A buffer inside another process, for common-control messages that take a pointer.
class RemoteBuffer {
  public:
    RemoteBuffer(HWND owner, size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    LPARAM address() const { return reinterpret_cast<LPARAM>(remote_); }
    void write(const void* data, size_t size, size_t offset = 0);
    void read(void* data, size_t size, size_t offset = 0) const;
    void clear();

  private:
    HANDLE process_ = nullptr;
    void* remote_ = nullptr;
    size_t size_ = 0;
};

int run_command(const std::vector<std::wstring>& args);

}  // namespace sonorin::driver
