// A window of the program. Subclasses declare their controls as members (in tab order) and
// override the handlers they have. Loading, showing and unloading go through the FormSet,
// which creates and destroys the native window.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/control.h"

namespace sonorin::ui {

class FormSet;

enum class WindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// Why a window is closing, as the close handler is told.
enum UnloadMode {
    kUnloadFormControlMenu = 0,  // close box or system menu
    kUnloadFormCode = 1,         // closed by the program
    kUnloadAppWindows = 2,       // Windows is shutting down or logging off
    kUnloadAppTaskManager = 3,
};

enum class BorderStyle { FixedSingle, FixedDialog, Sizable };

// The keyboard's media keys (and remote controls that send the same commands).
enum class AppCommand {
    PlayPause,
    Play,
    Pause,
    Stop,
    NextTrack,
    PreviousTrack,
    VolumeUp,
    VolumeDown,
    VolumeMute
};

class Form {
  public:
    Form(FormSet& forms, std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& name() const { return name_; }
    FormSet& forms() const { return forms_; }
    const std::vector<Control*>& controls() const { return controls_; }

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& caption);

    // Outer position and size in twips, relative to the screen.
    double left() const { return left_; }
    double top() const { return top_; }
    double width() const { return width_; }
    double height() const { return height_; }
    void setLeft(double v) { move(v, top_, width_, height_); }
    void setTop(double v) { move(left_, v, width_, height_); }
    void setWidth(double v) { move(left_, top_, v, height_); }
    void setHeight(double v) { move(left_, top_, width_, v); }
    void move(double left, double top, double width, double height);
    // Design size of the client area; the window system derives the outer size from it when
    // it creates the window.
    double clientWidth() const { return clientWidth_; }
    double clientHeight() const { return clientHeight_; }
    void setClientSize(double width, double height);

    WindowState windowState() const { return windowState_; }
    void setWindowState(WindowState state);
    bool visible() const { return visible_; }
    bool loaded() const { return loaded_; }
    bool modal() const { return modal_; }

    // Load, show (modeless or modal), hide and unload through the program's FormSet.
    void load();
    void show(bool modal = false);
    void hide();
    bool unload(int unloadMode = kUnloadFormCode);

    BorderStyle borderStyle() const { return borderStyle_; }
    bool minButton() const { return minButton_; }
    bool maxButton() const { return maxButton_; }
    bool startCentered() const { return startCentered_; }

    // Handlers, named as the program names them.
    virtual void Form_Load() {}
    virtual void Form_QueryUnload(int& cancel, int unloadMode) {
        (void)cancel;
        (void)unloadMode;
    }
    virtual void Form_Unload(int& cancel) { (void)cancel; }
    virtual void Form_Resize() {}
    // A media key. `focused`: pressed while this window or one of its controls has the focus;
    // else one that the window in front of the others left to the system while this window
    // waits behind or hidden (a media player in front keeps its keys). True when taken.
    // Set before the window is made: a window without it is not told of keys it does not have.
    std::function<bool(AppCommand command, bool focused)> onAppCommand;

    // Called by the FormSet and by the native window; not by handlers.
    void registerControl(Control* control) { controls_.push_back(control); }
    void attachPeer(std::unique_ptr<Peer> peer) { peer_ = std::move(peer); }
    void detachPeers();
    Peer* peer() const { return peer_.get(); }
    void setLoaded(bool loaded) { loaded_ = loaded; }
    void setModal(bool modal) { modal_ = modal; }
    // The native window reports user moves, state changes and visibility without echoing back.
    void syncFromNative(double left, double top, double width, double height);
    void syncWindowState(WindowState state) { windowState_ = state; }
    void syncVisible(bool visible) { visible_ = visible; }
    void setVisibleFlag(bool visible);

  protected:
    void setBorder(BorderStyle style, bool minButton, bool maxButton) {
        borderStyle_ = style;
        minButton_ = minButton;
        maxButton_ = maxButton;
    }
    void setStartCentered(bool centered) { startCentered_ = centered; }

  private:
    void notify(Property property);

    FormSet& forms_;
    std::string name_;
    std::vector<Control*> controls_;
    std::string caption_;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    double clientWidth_ = 4800, clientHeight_ = 3600;
    WindowState windowState_ = WindowState::Normal;
    bool visible_ = false;
    bool loaded_ = false;
    bool modal_ = false;
    BorderStyle borderStyle_ = BorderStyle::FixedSingle;
    bool minButton_ = true;
    bool maxButton_ = false;
    bool startCentered_ = true;
    std::unique_ptr<Peer> peer_;
};

}  // namespace sonorin::ui
