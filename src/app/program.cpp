#include "app/program.h"

#include "app/AudioRecorder.h"
#include "base/datetext.h"

namespace sonorin {

Program::Program(Platform& p)
    : platform(p), forms(p.windows), wave(p.mci, p.files, p.prompts, recorderState) {
    forms.onUnloaded = [this](ui::Form& f) { dropUnloaded(f); };
    if (p.skin)
        skin = std::make_unique<MSkinner>(*p.skin);
}

int Program::SkinForm(ui::Form& form) {
    return skin ? skin->SkinForm(platform.windows.nativeHandle(form)) : 0;
}

int Program::UnskinForm(ui::Form& form) {
    return skin ? skin->UnskinForm(platform.windows.nativeHandle(form)) : 0;
}

Program::~Program() {
    forms.onUnloaded = nullptr;
}

void Program::start() {
    AudioRecorder& main = form<AudioRecorder>();
    if (main.loaded() && !main.hiddenAtStart())
        main.show();
}

std::string Program::dateText(const DateTime& t) {
    return formatDateTime(t, platform.clock.dateFormats());
}

// An unloaded window keeps its object until the handlers on the stack have returned; the
// next touch creates a fresh one with its design values, as a reloaded window has.
void Program::dropUnloaded(ui::Form& f) {
    for (auto& [type, slot] : windows_) {
        if (slot.get() == &f) {
            unloaded_.push_back(std::move(slot));
            return;
        }
    }
}

}  // namespace sonorin
