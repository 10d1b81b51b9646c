// The settings reader. Whatever the store holds, the recorder state ends up with a format the
// settings dialog offers, and what is written reads back as the same state.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fakes/fake_settings_store.h"
#include "fuzz_check.h"
#include "recorder/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonorin;
    FuzzedDataProvider in(data, size);
    FakeSettingsStore store;
    for (const char* key :
         {"Rate", "Channels", "Resolution", "WaveFileName", "WaveAutomaticSave"}) {
        if (in.ConsumeBool())
            store.values[{"Sonorin", "StartUp", key}] = in.ConsumeRandomLengthString(64);
    }
    RecorderState state;
    readRecorderSettings(store, state);
    const int rate = state.Rate;
    FUZZ_CHECK(rate == 6000 || rate == 8000 || rate == 11025 || rate == 22050 || rate == 44100,
               std::to_string(rate));
    FUZZ_CHECK(state.Channels == 1 || state.Channels == 2, std::to_string(state.Channels));
    FUZZ_CHECK(state.Resolution == 8 || state.Resolution == 16, std::to_string(state.Resolution));

    writeRecorderSettings(store, state);
    RecorderState back;
    back.Rate = 8000;
    back.Channels = 1;
    back.Resolution = 8;
    back.WaveAutomaticSave = !state.WaveAutomaticSave;
    readRecorderSettings(store, back);
    FUZZ_CHECK(back.Rate == state.Rate && back.Channels == state.Channels &&
                   back.Resolution == state.Resolution && back.WaveFileName == state.WaveFileName &&
                   back.WaveAutomaticSave == state.WaveAutomaticSave,
               fuzz::escaped(state.WaveFileName));
    return 0;
}
