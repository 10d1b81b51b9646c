// An in-memory window system for the skin engine: windows with class names, properties,
// procedures and styles; memory surfaces whose bitmaps are real pixel buffers; a screen image
// per window that blends land on. Counts every drawing object it hands out, as GDI would.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "skin/skin_host.h"
#include "skin/pixels.h"

namespace sonorin {

class FakeSkinHost : public SkinHost {
  public:
    // The engine's procedure as this window system knows it.
    static constexpr std::intptr_t kEngineProcedure = -1;

    struct Message {
        Hwnd h;
        unsigned message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        bool operator==(const Message&) const = default;
    };
    struct Caption {
        Surface surface;
        std::string text;
        int x, y, w, h;
        unsigned flags;
        Rgb colour;
    };
    struct Window {
        std::string cls, text;
        Hwnd parent = 0;
        std::uint32_t style = 0, exStyle = 0;
        bool enabled = true;
        bool hidden = false;  // not on screen, whatever its style says
        ScreenBox box;
        std::map<std::string, std::intptr_t> props;
        std::intptr_t procedure = 0;
        skin::PixelImage screen;
        bool region = false;
        int regionRight = 0, regionBottom = 0, regionCorner = 0;
    };

    Hwnd addWindow(const std::string& cls, Hwnd parent, int w, int h, std::uint32_t style = 0,
                   const std::string& text = "") {
        const Hwnd id = nextWindow_++;
        Window& win = windows[id];
        win.cls = cls;
        win.text = text;
        win.parent = parent;
        win.style = style;
        win.box = {10, 20, 10 + w, 20 + h};
        win.procedure = 0x1000 + static_cast<std::intptr_t>(id);
        win.screen = skin::PixelImage(w, h);
        order_.push_back(id);
        return id;
    }
    Window& window(Hwnd h) { return windows.at(h); }
    bool has(Hwnd h, const std::string& name) { return window(h).props.count(name) != 0; }
    int gdiObjects() const {
        int regions = 0;
        for (auto& [h, w] : windows)
            regions += w.region ? 1 : 0;
        return static_cast<int>(surfaces_.size() + bitmaps_.size()) + regions;
    }
    std::intptr_t deliver(Hwnd h, unsigned message, std::uintptr_t wParam = 0,
                          std::intptr_t lParam = 0) {
        return send(h, message, wParam, lParam);
    }
    skin::PixelImage& screen(Hwnd h) { return window(h).screen; }
    std::vector<Message> passedTo(Hwnd h) const {
        std::vector<Message> out;
        for (const Message& m : passed)
            if (m.h == h)
                out.push_back(m);
        return out;
    }

    // --- SkinHost
    void bind(SkinDispatcher* e) override { engine = e; }
    std::string className(Hwnd h) override { return window(h).cls; }
    std::string windowText(Hwnd h) override { return window(h).text; }
    std::intptr_t getProp(Hwnd h, const char* name) override {
        auto& props = window(h).props;
        auto it = props.find(name);
        return it == props.end() ? 0 : it->second;
    }
    void setProp(Hwnd h, const char* name, std::intptr_t value) override {
        window(h).props[name] = value;
    }
    void removeProp(Hwnd h, const char* name) override { window(h).props.erase(name); }
    std::intptr_t subclass(Hwnd h) override {
        if (foreign.count(h))
            return 0;
        const std::intptr_t previous = window(h).procedure;
        window(h).procedure = kEngineProcedure;
        return previous;
    }
    void restoreProcedure(Hwnd h, std::intptr_t procedure) override {
        window(h).procedure = procedure;
    }
    std::intptr_t callProcedure(std::intptr_t, Hwnd h, unsigned message, std::uintptr_t wParam,
                                std::intptr_t lParam) override {
        passed.push_back({h, message, wParam, lParam});
        if (onPassed)
            onPassed(passed.back());
        if (message == 0x00F4)  // BM_SETSTYLE: the button's type bits
            window(h).style = (window(h).style & ~0xFu) | (wParam & 0xF);
        if (message == 0x1200)  // HDM_GETITEMCOUNT
            return headers.count(h) ? static_cast<std::intptr_t>(headers[h].size()) : 0;
        if (auto it = answers.find({h, message}); it != answers.end())
            return it->second;
        if (message == 0x00F0 || message == 0x0157 || message == 0x0408)
            return 0;  // unchecked, closed, empty unless a test says otherwise
        return 0x5A;
    }
    std::intptr_t defaultProcedure(Hwnd h, unsigned message, std::uintptr_t wParam,
                                   std::intptr_t lParam) override {
        defaulted.push_back({h, message, wParam, lParam});
        return 0;
    }
    std::intptr_t send(Hwnd h, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam) override {
        sent.push_back({h, message, wParam, lParam});
        if (window(h).procedure == kEngineProcedure && engine)
            return engine->SkinWindowProc(h, message, wParam, lParam);
        return callProcedure(window(h).procedure, h, message, wParam, lParam);
    }
    std::vector<Hwnd> descendants(Hwnd h) override {
        std::vector<Hwnd> out;
        for (Hwnd c : order_) {
            if (!windows.count(c))
                continue;
            for (Hwnd p = window(c).parent; p; p = window(p).parent)
                if (p == h) {
                    out.push_back(c);
                    break;
                }
        }
        return out;
    }
    Hwnd parentOrOwner(Hwnd h) override { return window(h).parent; }
    std::uint32_t style(Hwnd h) override { return window(h).style; }
    std::uint32_t exStyle(Hwnd h) override { return window(h).exStyle; }
    void setStyle(Hwnd h, std::uint32_t style) override { window(h).style = style; }
    bool isEnabled(Hwnd h) override { return window(h).enabled; }
    bool isShown(Hwnd h) override {
        for (; h; h = window(h).parent)
            if (window(h).hidden)
                return false;
        return true;
    }
    Hwnd focus() override { return focused; }
    Hwnd windowUnderCursor() override { return underCursor; }
    std::uintptr_t setTimer(Hwnd h, std::uintptr_t id, unsigned ms) override {
        timers[h] = ms;
        return id;
    }
    void killTimer(Hwnd h, std::uintptr_t) override { timers.erase(h); }
    bool apiAvailable(const char* function, const char* library) override {
        lookedUp.push_back(std::string(library) + "!" + function);
        return trackMouseExported;
    }
    void trackLeave(Hwnd h, bool userLibrary) override {
        leaveRequests.push_back({h, userLibrary});
    }
    void setRoundRegion(Hwnd h, int right, int bottom, int corner) override {
        Window& w = window(h);
        w.region = true;
        w.regionRight = right;
        w.regionBottom = bottom;
        w.regionCorner = corner;
    }
    void removeRegion(Hwnd h) override { window(h).region = false; }
    void invalidate(Hwnd h) override { invalidated.push_back(h); }
    ScreenBox windowBox(Hwnd h) override { return window(h).box; }
    ScreenBox clientBox(Hwnd h) override {
        return clientBoxes.count(h)
                   ? clientBoxes[h]
                   : ScreenBox{0, 0, window(h).box.width(), window(h).box.height()};
    }
    int systemMetric(int index) override {
        auto it = metrics.find(index);
        return it == metrics.end() ? 0 : it->second;
    }
    Rgb clientBackground(Hwnd h) override {
        return backgrounds.count(h) ? backgrounds[h] : 0xFFFFFF;
    }
    bool headerItem(Hwnd h, int index, ScreenBox& rect, std::string& text) override {
        if (!headers.count(h) || index < 0 || index >= static_cast<int>(headers[h].size()))
            return false;
        rect = headers[h][index].first;
        text = headers[h][index].second;
        return true;
    }

    Surface createSurface() override {
        const Surface s = nextObject_++;
        surfaces_[s] = 0;
        return s;
    }
    Bitmap createBitmap(int width, int height) override {
        if (width <= 0 || height <= 0)
            return 0;
        const Bitmap b = nextObject_++;
        bitmaps_[b] = skin::PixelImage(width, height);
        return b;
    }
    Bitmap selectBitmap(Surface s, Bitmap b) override {
        const Bitmap previous = surfaces_.at(s);
        surfaces_[s] = b;
        return previous;
    }
    void deleteSurface(Surface s) override { surfaces_.erase(s); }
    void deleteBitmap(Bitmap b) override {
        for (auto& [s, selected] : surfaces_)
            if (selected == b)
                return;  // GDI refuses to delete a selected bitmap
        bitmaps_.erase(b);
    }
    PixelView pixels(Surface s) override {
        auto it = surfaces_.find(s);
        if (it != surfaces_.end() && bitmaps_.count(it->second))
            return bitmaps_[it->second].view();
        return {};
    }
    void drawCaption(Surface s, Hwnd, const std::string& text, int x, int y, int w, int h,
                     unsigned flags, Rgb colour) override {
        captions.push_back({s, text, x, y, w, h, flags, colour});
    }
    void drawFocusBox(Surface s, int, int, int, int) override { focusBoxes.push_back(s); }
    Surface beginPaint(Hwnd h) override {
        ++paints;
        return windowSurface(h);
    }
    void endPaint(Hwnd h, Surface s) override { releaseWindowSurface(h, s); }
    Surface windowSurface(Hwnd h) override {
        const Surface s = nextObject_++;
        windowSurfaces_[s] = h;
        return s;
    }
    void releaseWindowSurface(Hwnd, Surface s) override { windowSurfaces_.erase(s); }
    void copySurface(Surface target, int dx, int dy, int w, int h, Surface source, int sx,
                     int sy) override {
        skin::copyPixels(anyPixels(target), dx, dy, w, h, anyPixels(source), sx, sy);
    }
    // A memory surface's bitmap, or the screen of the window a paint or window surface is of.
    PixelView anyPixels(Surface s) {
        auto it = windowSurfaces_.find(s);
        return it != windowSurfaces_.end() ? screen(it->second).view() : pixels(s);
    }
    // Header items: rectangle and text; the item count follows.
    void setHeaderItems(Hwnd h, std::vector<std::pair<ScreenBox, std::string>> items) {
        headers[h] = std::move(items);
    }
    int openWindowSurfaces() const { return static_cast<int>(windowSurfaces_.size()); }
    void alphaBlend(Surface target, Surface source, int w, int h, int opacity) override {
        blends.push_back(opacity);
        auto it = windowSurfaces_.find(target);
        PixelView into = it != windowSurfaces_.end() ? screen(it->second).view() : pixels(target);
        skin::blendPixels(into, pixels(source), w, h, opacity);
    }

    SkinDispatcher* engine = nullptr;
    std::function<void(const Message&)> onPassed;  // plays what a window's own procedure does
    std::map<Hwnd, Window> windows;
    std::map<Hwnd, ScreenBox> clientBoxes;
    // What a window's own procedure answers to a message (BM_GETCHECK, PBM_GETPOS, ...).
    std::map<std::pair<Hwnd, unsigned>, std::intptr_t> answers;
    std::map<Hwnd, std::vector<std::pair<ScreenBox, std::string>>> headers;
    std::map<Hwnd, Rgb> backgrounds;
    std::map<int, int> metrics{{2, 17}, {3, 17}, {71, 13}, {72, 13}};
    std::set<Hwnd> foreign;  // windows of another process: cannot be subclassed
    std::vector<Message> passed, defaulted, sent;
    std::map<Hwnd, unsigned> timers;
    std::vector<std::string> lookedUp;
    std::vector<std::pair<Hwnd, bool>> leaveRequests;
    std::vector<Hwnd> invalidated;
    std::vector<Caption> captions;
    std::vector<Surface> focusBoxes;
    std::vector<int> blends;
    Hwnd focused = 0, underCursor = 0;
    bool trackMouseExported = true;
    int paints = 0;

  private:
    Hwnd nextWindow_ = 0x100;
    std::uintptr_t nextObject_ = 0x10000;
    std::vector<Hwnd> order_;
    std::map<Surface, Bitmap> surfaces_;
    std::map<Bitmap, skin::PixelImage> bitmaps_;
    std::map<Surface, Hwnd> windowSurfaces_;
};

}  // namespace sonorin
