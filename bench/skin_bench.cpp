// How long the skin engine's hot paths take: one fade step of a 100 x 50 command button (the
// engine's work and the blend of the face, here into a pixel buffer) and building the five
// skin images.
#include <benchmark/benchmark.h>

#include "fakes/fake_skin_host.h"
#include "skin/MSkinner.h"
#include "skin/skin_images.h"
#include "skin/skin_messages.h"

namespace sonorin {
namespace {

void FadeStep100x50(benchmark::State& state) {
    FakeSkinHost host;
    MSkinner engine(host);
    const Hwnd form = host.addWindow("ThunderRT6FormDC", 0, 300, 200);
    const Hwnd button = host.addWindow("ThunderRT6CommandButton", form, 100, 50, 0, "录音");
    engine.SkinForm(form);
    host.deliver(button, skin::msg::kMouseMove);  // starts a fade from 0
    for (auto _ : state) {
        host.setProp(button, "ALPHALEVEL", 120);
        host.deliver(button, skin::msg::kTimer, 1);
        host.blends.clear();
        host.sent.clear();
        host.passed.clear();
    }
    benchmark::DoNotOptimize(host.screen(button).at(50, 25));
}
BENCHMARK(FadeStep100x50);

void BuildFiveImages(benchmark::State& state) {
    for (auto _ : state) {
        for (int i = 0; i < skin::kSkinImageCount; ++i) {
            skin::PixelImage image = skin::makeSkinImage(static_cast<skin::SkinImage>(i));
            benchmark::DoNotOptimize(image.at(0, 0));
        }
    }
}
BENCHMARK(BuildFiveImages);

}  // namespace
}  // namespace sonorin

BENCHMARK_MAIN();
