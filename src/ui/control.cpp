#include "ui/control.h"

#include <algorithm>

#include "platform/browser.h"
#include "ui/form.h"

namespace sonorin::ui {

Control::Control(Form& form, std::string name, ControlKind kind, Control* container)
    : form_(form), name_(std::move(name)), kind_(kind), container_(container) {
    form.registerControl(this);
}

void Control::notify(Property property) {
    if (peer_)
        peer_->changed(property);
}

void Control::setCaption(const std::string& caption) {
    if (caption_ == caption)
        return;
    caption_ = caption;
    notify(Property::Caption);
}

void Control::setEnabled(bool enabled) {
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    notify(Property::Enabled);
}

void Control::setVisible(bool visible) {
    if (visible_ == visible)
        return;
    visible_ = visible;
    notify(Property::Visible);
    // Controls inside a frame appear and disappear with it.
    for (Control* c : form_.controls())
        if (c->container_ == this)
            c->notify(Property::Visible);
}

bool Control::shown() const {
    for (const Control* c = this; c; c = c->container_)
        if (!c->visible_)
            return false;
    return true;
}

void Control::setToolTip(const std::string& text) {
    if (toolTip_ == text)
        return;
    toolTip_ = text;
    notify(Property::ToolTip);
}

void Control::setBounds(double left, double top, double width, double height) {
    width = std::max(0.0, width);
    height = std::max(0.0, height);
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    notify(Property::Bounds);
    for (Control* c : form_.controls())
        if (c->container_ == this)
            c->notify(Property::Bounds);
}

double Control::formLeft() const {
    return left_ + (container_ ? container_->formLeft() : 0);
}
double Control::formTop() const {
    return top_ + (container_ ? container_->formTop() : 0);
}

void OptionButton::setValue(bool selected) {
    if (!selected) {
        if (value_) {
            value_ = false;
            notify(Property::Value);
        }
        return;
    }
    for (Control* c : form().controls()) {
        if (c != this && c->kind() == ControlKind::OptionButton && c->container() == container())
            static_cast<OptionButton*>(c)->setValue(false);
    }
    if (!value_) {
        value_ = true;
        notify(Property::Value);
    }
    if (onClick)
        onClick();
}

StatusBar::StatusBar(Form& form, std::string name, int panelCount)
    : Control(form, std::move(name), ControlKind::StatusBar),
      panels_(static_cast<std::size_t>(std::max(1, panelCount))) {}

void StatusBar::setPanelText(int index, const std::string& text) {
    Panel& p = panels_.at(index - 1);
    if (p.text == text)
        return;
    p.text = text;
    notify(Property::Panels);
}

void StatusBar::setPanelWidth(int index, double width) {
    Panel& p = panels_.at(index - 1);
    width = std::max(0.0, width);
    if (p.width == width)
        return;
    p.width = width;
    notify(Property::Panels);
}

void Slider::setMax(int max) {
    max = std::max(0, max);
    if (max_ == max)
        return;
    max_ = max;
    if (value_ > max_)
        value_ = max_;
    notify(Property::Range);
}

void Slider::setValue(int value) {
    value = std::clamp(value, 0, max_);
    if (value_ == value)
        return;
    value_ = value;
    notify(Property::Value);
}

void ProgressBar::setValue(int value) {
    if (value_ == value)
        return;
    value_ = value;
    notify(Property::Value);
}

Timer::Timer(Form& form, std::string name, int interval, bool enabled)
    : Control(form, std::move(name), ControlKind::Timer), interval_(std::max(0, interval)) {
    setEnabled(enabled);
    setVisible(false);
}

void Timer::setInterval(int milliseconds) {
    milliseconds = std::max(0, milliseconds);
    if (interval_ == milliseconds)
        return;
    interval_ = milliseconds;
    notify(Property::Interval);
}

MenuItem::MenuItem(Form& form, std::string name, std::string caption, MenuItem* parent)
    : Control(form, std::move(name), ControlKind::Menu), parent_(parent) {
    setCaption(caption);
    if (parent)
        parent->items_.push_back(this);
}

void WebBrowserPane::navigate(const std::string& address) {
    if (engine_)
        engine_->navigate(address);
}

void WebBrowserPane::stop() {
    if (engine_)
        engine_->stop();
}

void WebBrowserPane::setSilent(bool silent) {
    if (engine_)
        engine_->setSilent(silent);
}

int WebBrowserPane::linkCount() {
    return engine_ ? engine_->linkCount() : 0;
}

std::string WebBrowserPane::linkText(int index) {
    return engine_ ? engine_->linkText(index) : std::string();
}

void WebBrowserPane::clickLink(int index) {
    if (engine_)
        engine_->clickLink(index);
}

std::string WebBrowserPane::documentText() {
    return engine_ ? engine_->documentText() : std::string();
}

}  // namespace sonorin::ui
