#include "win32/deferred_browser_win32.h"

#include <utility>

namespace sonorin {

DeferredBrowserPane::DeferredBrowserPane(HWND parent, RECT bounds, Factory create)
    : parent_(parent), bounds_(bounds), create_(std::move(create)) {}

DeferredBrowserPane::~DeferredBrowserPane() {
    if (waiting_)
        KillTimer(parent_, timerId());
}

void DeferredBrowserPane::make() {
    if (pane_ || !create_)
        return;
    pane_ = create_(parent_, bounds_);
    create_ = nullptr;
    if (!pane_)
        return;
    pane_->setVisible(visible_);
    pane_->setSilent(silent_);
    pane_->onDownloadBegin = [this] {
        if (onDownloadBegin)
            onDownloadBegin();
    };
    pane_->onDownloadComplete = [this] {
        if (onDownloadComplete)
            onDownloadComplete();
    };
}

// A timer message comes only when the queue holds nothing else: after the show and the first
// paint of the parent when it is being shown. The timer's id is the pane's address, which no form
// timer uses.
void CALLBACK DeferredBrowserPane::whenIdle(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    auto* self = reinterpret_cast<DeferredBrowserPane*>(id);
    self->waiting_ = false;
    try {
        self->make();
        if (self->pane_ && !self->pendingAddress_.empty())
            self->pane_->navigate(std::exchange(self->pendingAddress_, {}));
    } catch (...) {
        // A C++ exception must not unwind through the message loop's frames; the pane stays
        // as far as it got, and the next navigation tries again.
    }
}

void DeferredBrowserPane::navigate(const std::string& address) {
    if (pane_ || IsWindowVisible(parent_)) {
        if (waiting_)
            KillTimer(parent_, timerId());
        waiting_ = false;
        pendingAddress_.clear();
        make();
        if (pane_)
            pane_->navigate(address);
        return;
    }
    pendingAddress_ = address;
    if (!waiting_)
        waiting_ = SetTimer(parent_, timerId(), USER_TIMER_MINIMUM, &whenIdle) != 0;
    if (!waiting_) {  // no timer to be had: make it now rather than never
        pendingAddress_.clear();
        make();
        if (pane_)
            pane_->navigate(address);
    }
}

void DeferredBrowserPane::stop() {
    // A navigation that has not begun is simply dropped.
    pendingAddress_.clear();
    if (pane_)
        pane_->stop();
}

void DeferredBrowserPane::setSilent(bool silent) {
    silent_ = silent;
    if (pane_)
        pane_->setSilent(silent);
}

int DeferredBrowserPane::linkCount() {
    return pane_ ? pane_->linkCount() : 0;
}

std::string DeferredBrowserPane::linkText(int index) {
    return pane_ ? pane_->linkText(index) : std::string();
}

void DeferredBrowserPane::clickLink(int index) {
    if (pane_)
        pane_->clickLink(index);
}

void DeferredBrowserPane::refresh() {
    if (pane_)
        pane_->refresh();
}

std::string DeferredBrowserPane::documentText() {
    return pane_ ? pane_->documentText() : std::string();
}

void DeferredBrowserPane::setBounds(RECT bounds) {
    bounds_ = bounds;
    if (pane_)
        pane_->setBounds(bounds);
}

void DeferredBrowserPane::setVisible(bool visible) {
    visible_ = visible;
    if (pane_)
        pane_->setVisible(visible);
}

HWND DeferredBrowserPane::hwnd() const {
    return pane_ ? pane_->hwnd() : nullptr;
}

bool DeferredBrowserPane::hasControl() const {
    return pane_ && pane_->hasControl();
}

}  // namespace sonorin
