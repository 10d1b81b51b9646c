#include "ui/form.h"

#include "ui/form_set.h"

namespace sonorin::ui {

Form::Form(FormSet& forms, std::string name) : forms_(forms), name_(std::move(name)) {}

Form::~Form() = default;

void Form::load() {
    forms_.load(*this);
}
void Form::show(bool modal) {
    forms_.show(*this, modal);
}
void Form::hide() {
    forms_.hide(*this);
}
bool Form::unload(int unloadMode) {
    return forms_.unload(*this, unloadMode);
}

void Form::notify(Property property) {
    if (peer_)
        peer_->changed(property);
}

void Form::setCaption(const std::string& caption) {
    if (caption_ == caption)
        return;
    caption_ = caption;
    notify(Property::Caption);
}

void Form::move(double left, double top, double width, double height) {
    // Every place the program gives a window lies inside the work area of its monitor:
    // docked, centred or restored, it never starts off the screen.
    const ScreenArea area = forms_.windowSystem().workArea(left, top, width, height);
    if (!area.empty()) {
        left = keptInside(left, width, area.left, area.right);
        top = keptInside(top, height, area.top, area.bottom);
    }
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    notify(Property::Bounds);
}

void Form::setClientSize(double width, double height) {
    clientWidth_ = width;
    clientHeight_ = height;
}

void Form::setWindowState(WindowState state) {
    if (windowState_ == state)
        return;
    windowState_ = state;
    notify(Property::Value);
}

void Form::setVisibleFlag(bool visible) {
    if (visible_ == visible)
        return;
    visible_ = visible;
    notify(Property::Visible);
}

void Form::syncFromNative(double left, double top, double width, double height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
}

void Form::detachPeers() {
    for (Control* c : controls_)
        c->detachPeer();
    peer_.reset();
}

}  // namespace sonorin::ui
