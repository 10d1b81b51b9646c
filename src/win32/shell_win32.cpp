#include "win32/shell_win32.h"

#include <windows.h>
#include <winsock2.h>

#include <oleauto.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include <vector>

#include "radio/url.h"
#include "win32/socket_stream_win32.h"
#include "win32/wide.h"

namespace sonorin::win32 {
namespace {

// Late-bound calls on an automation object, the way script hosts use WScript.Shell.
class Dispatch {
  public:
    explicit Dispatch(IDispatch* p = nullptr) : p_(p) {}
    ~Dispatch() {
        if (p_)
            p_->Release();
    }
    Dispatch(const Dispatch&) = delete;
    Dispatch& operator=(const Dispatch&) = delete;
    Dispatch(Dispatch&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }

    static Dispatch create(const wchar_t* progId) {
        CLSID clsid;
        IDispatch* p = nullptr;
        if (SUCCEEDED(CLSIDFromProgID(progId, &clsid)))
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                             IID_IDispatch, reinterpret_cast<void**>(&p));
        return Dispatch(p);
    }

    explicit operator bool() const { return p_ != nullptr; }

    // Invokes name with args (given in natural order); the result lands in *result.
    bool invoke(const wchar_t* name, WORD flags, std::vector<VARIANT> args, VARIANT* result) {
        if (!p_)
            return false;
        DISPID id;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        if (FAILED(p_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
            return false;
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        DISPID put = DISPID_PROPERTYPUT;
        if (flags & DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &put;
            params.cNamedArgs = 1;
        }
        HRESULT hr =
            p_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
        return SUCCEEDED(hr);
    }

    bool putString(const wchar_t* name, const std::string& value) {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(wide(value).c_str());
        bool ok = invoke(name, DISPATCH_PROPERTYPUT, {v}, nullptr);
        VariantClear(&v);
        return ok;
    }

    // Calls a method or reads a property that returns an object.
    Dispatch object(const wchar_t* name, std::vector<VARIANT> args = {}) {
        VARIANT r;
        VariantInit(&r);
        if (!invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), &r))
            return Dispatch();
        IDispatch* p = nullptr;
        if (r.vt == VT_DISPATCH && r.pdispVal) {
            p = r.pdispVal;
            p->AddRef();
        }
        VariantClear(&r);
        return Dispatch(p);
    }

    std::string text(const wchar_t* name, std::vector<VARIANT> args = {}) {
        VARIANT r;
        VariantInit(&r);
        std::string result;
        if (invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args), &r) &&
            SUCCEEDED(VariantChangeType(&r, &r, 0, VT_BSTR)) && r.bstrVal)
            result = narrow(std::wstring_view(r.bstrVal, SysStringLen(r.bstrVal)));
        VariantClear(&r);
        return result;
    }

  private:
    IDispatch* p_;
};

VARIANT bstrArg(const wchar_t* text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text);
    return v;
}

// COM must be up on this thread; initialising it again is harmless.
struct ComScope {
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ~ComScope() {
        if (SUCCEEDED(hr))
            CoUninitialize();
    }
};

}  // namespace

bool Win32Shell::run(const std::string& commandLine, WindowShow show) {
    std::wstring line = wide(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show == WindowShow::Hidden ? SW_HIDE : SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

bool Win32Shell::open(const std::string& verb, const std::string& file,
                      const std::string& parameters, const std::string& folder) {
    ComScope com;  // shell extensions that open the document may use COM
    HINSTANCE r = ShellExecuteW(GetActiveWindow(), wide(verb).c_str(), wide(file).c_str(),
                                parameters.empty() ? nullptr : wide(parameters).c_str(),
                                folder.empty() ? nullptr : wide(folder).c_str(), SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(r) > 32;
}

// The shell's known folder, not the Script Host: finding the folder must not load a script
// engine on every start, only making a missing shortcut does.
std::string Win32Shell::desktopFolder() {
    // Every start asks, to see whether its shortcut is there. Where the user's desktop is, the
    // shell keeps in "User Shell Folders" (moved desktops too, with environment variables the
    // read expands): reading it there spares the start loading shell32, a few milliseconds.
    // Without that value the shell itself is asked.
    wchar_t stored[MAX_PATH] = {};
    DWORD size = sizeof stored;
    if (RegGetValueW(HKEY_CURRENT_USER,
                     L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                     L"Desktop", RRF_RT_REG_SZ, nullptr, stored, &size) == ERROR_SUCCESS &&
        stored[0])
        return narrow(stored);
    PWSTR path = nullptr;
    std::string desktop;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Desktop, 0, nullptr, &path)) && path)
        desktop = narrow(path);
    CoTaskMemFree(path);
    return desktop;
}

bool Win32Shell::createShortcut(const std::string& linkPath, const ShortcutSpec& shortcut) {
    ComScope com;
    Dispatch shell = Dispatch::create(L"WScript.Shell");
    if (!shell)
        return false;  // no Script Host: no shortcut
    VARIANT path = bstrArg(wide(linkPath).c_str());
    Dispatch link = shell.object(L"CreateShortcut", {path});
    VariantClear(&path);
    if (!link)
        return false;
    if (!link.putString(L"TargetPath", shortcut.targetPath))
        return false;
    if (!link.putString(L"Arguments", shortcut.arguments))
        return false;
    if (!link.putString(L"WorkingDirectory", shortcut.workingDirectory))
        return false;
    return link.invoke(L"Save", DISPATCH_METHOD, {}, nullptr);
}

bool Win32Shell::checkConnection(const std::string& url) {
    if (!hostMayResolve(url))
        return false;
    return InternetCheckConnectionW(wide(url).c_str(), FLAG_ICC_FORCE_CONNECTION, 0) != FALSE;
}

bool hostMayResolve(const std::string& url) {
    // The check cannot succeed for a host name that does not resolve, and while the network is
    // away (the offline window asks every 2 s) a look-up through WinINet fails twice, IPv4 and
    // then IPv6, and under Wine each failure reads the computer's own name from the registry
    // sixteen times. gethostbyname asks for IPv4 alone and reads nothing of the kind. A name it
    // finds without an IPv4 address (WSANO_DATA) may still have an IPv6 one and goes on to
    // WinINet like a name that resolved, and so does anything unexpected. Only a resolver that
    // fails IPv4 questions (WSATRY_AGAIN) while it answers IPv6 ones could make the answer
    // differ from WinINet's own.
    const std::optional<radio::HttpUrl> parsed = radio::parseHttpUrl(url);
    if (!parsed)
        return true;
    if (!winsockStarted())
        return true;
    if (gethostbyname(parsed->host.c_str()))
        return true;
    const int error = WSAGetLastError();
    return error != WSAHOST_NOT_FOUND && error != WSATRY_AGAIN && error != WSANO_RECOVERY;
}

void Win32Shell::endProcess(int exitCode) {
    ExitProcess(static_cast<UINT>(exitCode));
}

}  // namespace sonorin::win32
