// A whole program on fakes: every seam recorded and scripted, no windows. The MCI, file
// system, settings and shell fakes write into one event log, and a saved take lands in the
// fake file system.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/program.h"
#include "fakes/event_log.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_filesystem.h"
#include "fakes/fake_loopback_server.h"
#include "fakes/fake_mci.h"
#include "fakes/fake_power.h"
#include "fakes/fake_process_info.h"
#include "fakes/fake_prompts.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_settings_store.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_station_player.h"
#include "fakes/fake_tray_icons.h"
#include "fakes/fake_window_system.h"

namespace sonorin {

class ProgramFixture : public ::testing::Test {
  protected:
    ProgramFixture() {
        mci.answer("status capture mode", "stopped");
        mci.events = &events;
        mci.files = &files;
        files.events = &events;
        settings.events = &events;
        shell.events = &events;
        files.addFile("C:\\Sonorin\\sonorin.exe");
    }

    Program& program() {
        if (!program_)
            program_ = std::make_unique<Program>(platform_);
        return *program_;
    }
    RecorderState& state() { return program().recorderState; }

    EventLog events;
    FakeClock clock;
    FakePrompts prompts;
    FakeShell shell;
    FakeMci mci;
    FakeSettingsStore settings;
    FakeFileSystem files;
    FakeWindowSystem windows;
    FakeStationPlayer player;
    FakeLoopbackServer server;
    FakeTrayIcons tray;
    FakePowerApi power;
    FakeRegistry registry;
    FakeProcessInfo process;

  private:
    Platform platform_{clock,  prompts, shell, mci,   settings, files,  windows,
                       player, server,  tray,  power, registry, process};
    std::unique_ptr<Program> program_;
};

}  // namespace sonorin
