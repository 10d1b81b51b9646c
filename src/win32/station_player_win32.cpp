#include <windows.h>

#include <objbase.h>

#include "win32/station_player_win32.h"

#include <algorithm>
#include <atomic>
#include <optional>

#include "win32/decoders_win32.h"
#include "win32/http_transport_win32.h"
#include "win32/wave_out_win32.h"

namespace sonorin::win32 {

namespace {

constexpr UINT kEventMessage = WM_APP + 81;
constexpr wchar_t kWindowClass[] = L"SonorinStationPlayer";

class TickClock : public radio::SessionClock {
  public:
    std::int64_t nowMs() override { return std::int64_t(GetTickCount64()); }
    void sleep(std::int64_t ms) override { Sleep(DWORD(ms)); }
};

// Decoders in front of the output ring. Lives on the worker thread (the AAC transform is a
// COM object of that thread's apartment).
class Win32AudioSink : public radio::AudioSink {
  public:
    Win32AudioSink(WaveOutRing& ring, PcmTap& tap) : ring_(ring), tap_(tap) {}
    radio::SinkResult frame(const radio::FrameView& frame) override {
        pcm_.clear();
        radio::PcmFormat format;
        bool decoded = false;
        if (frame.info.codec == radio::Codec::Mp3) {
            decoded = mp3_.decode(frame, pcm_, format);
        } else {
            if (!aac_)
                aac_ = std::make_unique<AacDecoder>();
            decoded = aac_->decode(frame, pcm_, format);
        }
        if (!decoded)
            return radio::SinkResult::Undecodable;
        return pcm_.empty() ? radio::SinkResult::Played : pcm(format, pcm_.data(), pcm_.size());
    }
    radio::SinkResult pcm(const radio::PcmFormat& format, const std::uint8_t* bytes,
                          std::size_t size) override {
        if (!ring_.open(format))
            return radio::SinkResult::NoOutput;
        // Before the output may keep this thread waiting: a take hears it without delay.
        tap_.deliver({format.channels, format.sampleRate, format.bitsPerSample}, bytes, size);
        if (!ring_.write(bytes, size) && ring_.failed()) {
            // The device went away (unplugged): play on through the default one, which may be
            // another; without any, the station ends with a status that says so. A stop
            // needs nothing: the session sees it itself.
            ring_.close();
            if (!ring_.open(format) || (!ring_.write(bytes, size) && ring_.failed()))
                return radio::SinkResult::NoOutput;
        }
        // It plays after what was queued before, or from now when that has played out. The
        // ring starts a buffer only once it is full, so this errs on the short side.
        const std::int64_t perSecond =
            std::int64_t(format.sampleRate) * format.channels * format.bitsPerSample / 8;
        if (perSecond > 0) {
            const auto now = std::int64_t(GetTickCount64());
            playsUntil_ = std::max(playsUntil_, now) + std::int64_t(size) * 1000 / perSecond;
        }
        return radio::SinkResult::Played;
    }
    void finish() override { ring_.drain(); }
    void discard() override {
        ring_.close();
        playsUntil_ = 0;
    }
    std::optional<std::int64_t> queuedMs() const override {
        return std::max<std::int64_t>(0, playsUntil_ - std::int64_t(GetTickCount64()));
    }

  private:
    WaveOutRing& ring_;
    PcmTap& tap_;
    Mp3Decoder mp3_;
    std::unique_ptr<AacDecoder> aac_;
    std::vector<std::uint8_t> pcm_;
    std::int64_t playsUntil_ = 0;  // when what was handed so far has played out
};

}  // namespace

struct Win32StationPlayer::Event {
    enum Kind { Changed, Title, Address } kind;
    PlayerState state = PlayerState::Stopped;
    std::string text;
};

// What the user-interface thread and one worker share.
struct Win32StationPlayer::Worker : radio::SessionEvents {
    Worker(HWND target, std::uint64_t generation, const Options& options,
           std::shared_ptr<PcmTap> tap)
        : target(target),
          generation(generation),
          options(options),
          tap(std::move(tap)),
          transport(DWORD(options.limits.stallMs)),
          ring(stop) {}

    void run(const Station& station) {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            TickClock clock;
            Win32AudioSink sink(ring, *tap);
            radio::StreamSession session(transport, clock, sink, *this, stop, options.limits);
            session.run(station, options.directoryHost);
        }
        ring.close();
        if (SUCCEEDED(com))
            CoUninitialize();
        finished = true;
    }
    // Called by the user-interface thread: silence now, unblock the network, let it end.
    void cancel() {
        stop = true;
        ring.reset();
        transport.abort();
    }

    void changed(PlayerState state, const std::string& status) override {
        post({Event::Changed, state, status});
    }
    void title(const std::string& title) override { post({Event::Title, {}, title}); }
    void addressFound(const std::string& url) override { post({Event::Address, {}, url}); }
    void post(Event event) {
        if (stop)
            return;
        auto* copy = new Event(std::move(event));
        if (!PostMessageW(target, kEventMessage, WPARAM(generation), LPARAM(copy)))
            delete copy;
    }

    HWND target;
    std::uint64_t generation;
    Options options;
    std::shared_ptr<PcmTap> tap;
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};
    WinInetTransport transport;
    WaveOutRing ring;
};

Win32StationPlayer::Win32StationPlayer(Options options) : options_(std::move(options)) {}

// The window the workers post their news to is made when the first station plays, on the
// interface thread like every call here: under Wine a window costs a few milliseconds, and a
// start that plays nothing (every offline start) needs none.
void Win32StationPlayer::makeWindow() {
    if (window_)
        return;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    RegisterClassW(&windowClass);  // fails harmlessly when a second player registers it again
    window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance,
                              nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, LONG_PTR(this));
}

Win32StationPlayer::~Win32StationPlayer() {
    stopWorker();
    // A worker blocked in the network beyond this is left behind; it owns what it uses.
    waitForWorkers(3000);
    for (auto& [worker, thread] : threads_)
        thread.detach();
    if (window_) {
        MSG message;
        while (PeekMessageW(&message, window_, kEventMessage, kEventMessage, PM_REMOVE))
            delete reinterpret_cast<Event*>(message.lParam);
        DestroyWindow(window_);
    }
}

void Win32StationPlayer::stopWorker() {
    if (worker_) {
        worker_->cancel();
        worker_.reset();
    }
    ++generation_;
    // Workers that have ended are joined here; a worker still winding down is left alone.
    for (auto it = threads_.begin(); it != threads_.end();) {
        if (it->first->finished) {
            it->second.join();
            it = threads_.erase(it);
        } else {
            ++it;
        }
    }
}

void Win32StationPlayer::play(const Station& station) {
    stopWorker();
    current_ = station;
    state_ = PlayerState::Connecting;
    status_ = station.address.empty() ? radio::status::kSearching : radio::status::kConnecting;
    title_.clear();
    makeWindow();
    if (!window_) {
        state_ = PlayerState::Failed;
        status_ = radio::status::kUnreachable;
        changed();
        return;
    }
    worker_ = std::make_shared<Worker>(window_, generation_, options_, pcmTap);
    worker_->ring.setVolume(volume());
    std::shared_ptr<Worker> worker = worker_;
    SystemThread thread([worker, station] { worker->run(station); });
    if (!thread.joinable()) {
        worker_.reset();
        state_ = PlayerState::Failed;
        status_ = radio::status::kUnreachable;
        changed();
        return;
    }
    threads_.emplace_back(worker, std::move(thread));
    changed();
}

void Win32StationPlayer::setVolume(double level) {
    StationPlayer::setVolume(level);
    if (worker_)
        worker_->ring.setVolume(volume());
}

void Win32StationPlayer::stop() {
    stopWorker();
    current_ = {};
    state_ = PlayerState::Stopped;
    status_.clear();
    title_.clear();
    changed();
}

// Ending the process under a playing worker would pull the sound device and the connection
// away from under it, in the middle of the sound driver's own clean-up.
void Win32StationPlayer::stopForExit() {
    stop();
    waitForWorkers(1500);
}

bool Win32StationPlayer::waitForWorkers(DWORD ms) {
    const ULONGLONG deadline = GetTickCount64() + ms;
    for (auto it = threads_.begin(); it != threads_.end();) {
        while (!it->first->finished && GetTickCount64() < deadline)
            Sleep(10);
        if (!it->first->finished)
            return false;
        it->second.join();
        it = threads_.erase(it);
    }
    return true;
}

void Win32StationPlayer::changed() {
    if (onChanged)
        onChanged();
}

void Win32StationPlayer::apply(const Event& event) {
    switch (event.kind) {
        case Event::Changed:
            state_ = event.state;
            status_ = event.text;
            if (state_ == PlayerState::Stopped)
                current_ = {};
            break;
        case Event::Title:
            title_ = event.text;
            break;
        case Event::Address:
            if (onAddressFound)
                onAddressFound(Station{current_.name, event.text});
            return;
    }
    changed();
}

LRESULT CALLBACK Win32StationPlayer::windowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    if (message != kEventMessage)
        return DefWindowProcW(window, message, wParam, lParam);
    std::unique_ptr<Event> event(reinterpret_cast<Event*>(lParam));
    auto* player = reinterpret_cast<Win32StationPlayer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (player && std::uint64_t(wParam) == player->generation_)
        player->apply(*event);
    return 0;
}

}  // namespace sonorin::win32
