// Benchmarks of the frame composition: the time RenderFrame takes to compose
// a busy scene on the back buffer, the same scene's pictures composed with
// SDL2's software surfaces for comparison (when built with SDL2), and the
// time to show a finished frame in the real main window.
//
// The scene is the one the client draws on a full map: the map picture, 35
// characters on the own map, each with a two-line balloon of about 50 bytes
// of mixed ASCII and Japanese text, the own character with its balloon, and
// the ticker line. Pictures are the installed ones from the build's stage
// folder, loaded by CreateSurfaces as the program loads them; the tick is
// fixed so every balloon is shown.
//
// Presenting needs an X display and the toolkit, so this program has its own
// main: the toolkit is started around the benchmarks when a display is there;
// without one the window benchmarks are reported as skipped.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#if FRAME_BENCH_WITH_SDL
#include <SDL.h>
#endif

#include "bench/window_bench_main.h"
#include "client/platform/clock.h"
#include "client/platform/ui.h"
#include "client/session/program.h"
#include "client/session/startup.h"
#include "client/world/frame.h"
#include "client/world/surfaces.h"
#include "client/world/world_state.h"

namespace {

// The tick every benchmark runs at; balloons and the ticker expire well
// after it.
constexpr std::uint32_t kNow = 1000000;
std::uint32_t FixedTick() { return kNow; }

constexpr std::int32_t kSceneMap = 0;

// Balloon texts: each longer than the 40-byte one-line limit, so every
// balloon is drawn in two lines. Lengths count the CP932 bytes the program
// holds.
constexpr std::string_view kBalloonTexts[] = {
    "こんにちは! Nice to meet you, how are you today?",
    "Let's meet at the fountain 噴水の前で待ってます",
    "プレゼントありがとう!! thank you so much, friend",
    "今日は雨ですね。 It is raining here too, see you",
    "See you at the park later, 公園で会いましょう!",
    "新しい服を買いました。 Do you like my new look?",
    "Anyone up for a walk? 一緒に散歩しませんか?",
};
constexpr int kBalloonTextCount = sizeof kBalloonTexts / sizeof kBalloonTexts[0];
consteval bool AllTwoLineBalloons() {
  for (std::string_view text : kBalloonTexts) {
    if (text.size() <= 40 || text.size() >= kBalloonTextSize) return false;
  }
  return true;
}
static_assert(AllTwoLineBalloons(), "every benchmark balloon must need two lines");

constexpr char kTicker[] = "お知らせ: 今夜8時から広場でイベントがあります。 Event tonight at 8!";
static_assert(sizeof kTicker <= kTickerTextSize);

// The own character's rectangle, 32 x 32 near the bottom of the scene.
constexpr SceneRect kOwnRect = {304, 400, 304 + kOwnAvatarSize, 400 + kOwnAvatarSize};

// Table characters stand on a 7 x 5 grid, every one inside the scene, low
// enough that the first balloon line stays inside it too.
SceneRect SlotRect(int slot) {
  const std::int32_t left = 30 + (slot % 7) * 88;
  const std::int32_t top = 50 + (slot / 7) * 70;
  return {left, top, left + kSlotAvatarSize, top + kSlotAvatarSize};
}

std::int32_t SlotAppearance(int slot) { return slot % (kCharacterPictureSlots - 1); }

void CopyText(std::string_view from, char* to, std::size_t size) {
  const std::size_t length = std::min(from.size(), size - 1);
  from.copy(to, length);
  to[length] = '\0';
}

// Fills the world state with the benchmark scene. Without balloons every
// expiry lies in the past and the ticker is empty, so the frame is the
// pictures alone.
void SetUpWorld(bool with_text) {
  const std::uint32_t expiry = with_text ? kNow + kBalloonLifetimeMs : 0;
  MapNumber = kSceneMap;
  for (int slot = 0; slot < kAvatarSlots; ++slot) {
    AvatarTable.id[slot] = 100 + slot;
    AvatarTable.appearance[slot] = SlotAppearance(slot);
    AvatarTable.map[slot] = kSceneMap;
    AvatarTable.rect[slot] = SlotRect(slot);
    CopyText(kBalloonTexts[slot % kBalloonTextCount], AvatarTable.balloon_text[slot], kBalloonTextSize);
    AvatarTable.balloon_expiry[slot] = expiry;
  }
  OwnAvatar.appearance = 5;
  OwnAvatar.rect = kOwnRect;
  CopyText(kBalloonTexts[0], OwnAvatar.balloon_text, kBalloonTextSize);
  OwnAvatar.balloon_expiry = expiry;
  CopyText(with_text ? kTicker : "", TickerText.text, kTickerTextSize);
  TickerText.expiry = kNow + kTickerLifetimeMs;
}

std::string StageFolder() { return FRAME_BENCH_STAGE_DIR; }

// Loads the installed pictures as the program does and sets up the scene.
// The first frame loads the map picture and fills the glyph cache; it is
// drawn here, before anything is measured.
bool PrepareScene(benchmark::State& state, bool with_text) {
  platform::SetTickSource(&FixedTick);
  InstallDir = StageFolder() + "/";
  if (!CreateSurfaces()) {
    state.SkipWithError("CreateSurfaces failed: are the pictures in the stage folder?");
    return false;
  }
  LoadedMapNumber = -1;
  SetUpWorld(with_text);
  RenderFrame(kOwnRect.left, kOwnRect.top, kOwnRect.right, kOwnRect.bottom);
  if (!MapPicture) {
    state.SkipWithError("the map picture did not load");
    return false;
  }
  return true;
}

double WallSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void ComposeOurs() { RenderFrame(kOwnRect.left, kOwnRect.top, kOwnRect.right, kOwnRect.bottom); }

// Composition alone: with no main window the final copy to the screen does
// nothing.
void RunComposition(benchmark::State& state, bool with_text) {
  const platform::WindowHandle window = MainWindow;
  MainWindow = nullptr;
  if (PrepareScene(state, with_text)) {
    for (auto _ : state) {
      ComposeOurs();
      benchmark::DoNotOptimize(BackBuffer.pixels.data());
      benchmark::ClobberMemory();
    }
    state.counters["frames_per_second"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
  }
  MainWindow = window;
}

// The whole scene: map, 35 characters with balloons, the own character with
// its balloon, the ticker.
void BM_ComposeFrame(benchmark::State& state) { RunComposition(state, true); }
BENCHMARK(BM_ComposeFrame)->Unit(benchmark::kMicrosecond);

// The same scene without balloons and ticker: the ground fill, the map and
// 36 character pictures. This is the part SDL2 is compared with.
void BM_ComposeFramePicturesOnly(benchmark::State& state) { RunComposition(state, false); }
BENCHMARK(BM_ComposeFramePicturesOnly)->Unit(benchmark::kMicrosecond);

#if FRAME_BENCH_WITH_SDL

// The pictures of the scene as SDL2 software surfaces in the back buffer's
// pixel layout, keyed by the same rule as ours.
class SdlScene {
 public:
  SdlScene() { error_ = Load(); }
  ~SdlScene() {
    SDL_FreeSurface(back_);
    SDL_FreeSurface(map_);
    for (SDL_Surface* picture : characters_) SDL_FreeSurface(picture);
  }
  SdlScene(const SdlScene&) = delete;
  SdlScene& operator=(const SdlScene&) = delete;

  const std::string& error() const { return error_; }

  // Ground fill, map, the table characters (31 x 31 onto 30 x 30), the own
  // character (31 x 31 onto 32 x 32), in the order RenderFrame draws them.
  void Compose() {
    SDL_FillRect(back_, nullptr, white_);
    SDL_Rect whole = {0, 0, kSceneWidth, kSceneHeight};
    SDL_BlitScaled(map_, nullptr, back_, &whole);
    for (int slot = 0; slot < kAvatarSlots; ++slot) {
      DrawCharacter(AvatarTable.rect[slot], AvatarTable.appearance[slot]);
    }
    DrawCharacter(kOwnRect, OwnAvatar.appearance);
  }

  // Pixels of SDL's frame that differ from our back buffer.
  long CountDifferences() const {
    long differing = 0;
    for (int y = 0; y < kSceneHeight; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(back_->pixels) +
                                                               static_cast<std::ptrdiff_t>(y) * back_->pitch);
      const std::uint32_t* ours = BackBuffer.pixels.data() + static_cast<std::ptrdiff_t>(y) * kSceneWidth;
      for (int x = 0; x < kSceneWidth; ++x) {
        if ((row[x] & 0xFFFFFF) != (ours[x] & 0xFFFFFF)) ++differing;
      }
    }
    return differing;
  }

  const void* pixels() const { return back_->pixels; }

 private:
  // SDL_LoadBMP, converted to the back buffer's format, with the colour key
  // of the top-left pixel with the top bit of its red set.
  static SDL_Surface* LoadPicture(const std::string& path) {
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    if (!loaded) return nullptr;
    SDL_Surface* picture = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XRGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!picture) return nullptr;
    const std::uint32_t top_left = *static_cast<const std::uint32_t*>(picture->pixels) & 0xFFFFFF;
    SDL_SetColorKey(picture, SDL_TRUE, top_left | 0x800000);
    return picture;
  }

  void DrawCharacter(const SceneRect& rect, std::int32_t appearance) {
    SDL_Rect source = {0, 0, 31, 31};
    SDL_Rect target = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
    SDL_BlitScaled(characters_[appearance], &source, back_, &target);
  }

  // Creates the back buffer and loads the pictures; the error, or empty.
  std::string Load() {
    back_ = SDL_CreateRGBSurfaceWithFormat(0, kSceneWidth, kSceneHeight, 32, SDL_PIXELFORMAT_XRGB8888);
    if (!back_) return Failure("SDL_CreateRGBSurfaceWithFormat");
    const std::string folder = StageFolder();
    map_ = LoadPicture(folder + "/map" + std::to_string(kSceneMap) + ".bmp");
    if (!map_) return Failure("SDL_LoadBMP of the map");
    for (int n = 0; n < kCharacterPictureSlots - 1; ++n) {
      characters_[n] = LoadPicture(folder + "/" + std::to_string(n) + ".bmp");
      if (!characters_[n]) return Failure("SDL_LoadBMP of a character picture");
    }
    white_ = SDL_MapRGB(back_->format, 255, 255, 255);
    return "";
  }

  static std::string Failure(const char* what) { return std::string(what) + ": " + SDL_GetError(); }

  SDL_Surface* back_ = nullptr;
  SDL_Surface* map_ = nullptr;
  SDL_Surface* characters_[kCharacterPictureSlots - 1] = {};
  std::uint32_t white_ = 0;
  std::string error_;
};

// Sets up our scene without text (its frame is composed once) and SDL's
// copy of it; false, with the benchmark skipped, when either fails.
bool PrepareSdlComparison(benchmark::State& state, SdlScene& sdl) {
  if (!PrepareScene(state, false)) return false;
  if (!sdl.error().empty()) {
    state.SkipWithError(sdl.error().c_str());
    return false;
  }
  return true;
}

// SDL2's software path on the pictures-only scene. The counter tells how
// many pixels of its frame differ from ours (nearest-neighbour rounding of
// the stretched characters may differ).
void BM_SdlComposePicturesOnly(benchmark::State& state) {
  const platform::WindowHandle window = MainWindow;
  MainWindow = nullptr;
  SdlScene sdl;
  if (PrepareSdlComparison(state, sdl)) {
    for (auto _ : state) {
      sdl.Compose();
      benchmark::DoNotOptimize(sdl.pixels());
      benchmark::ClobberMemory();
    }
    state.counters["frames_per_second"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["pixels_differing_from_ours"] = static_cast<double>(sdl.CountDifferences());
  }
  MainWindow = window;
}
BENCHMARK(BM_SdlComposePicturesOnly)->Unit(benchmark::kMicrosecond);

// Both compositions of the pictures-only scene in turn, each timed on its
// own, so the ratio comes from the same stretch of time. The reported time
// is the pair; the counters give each side and SDL's time over ours.
void BM_PicturesOnlyOursVersusSdl(benchmark::State& state) {
  const platform::WindowHandle window = MainWindow;
  MainWindow = nullptr;
  SdlScene sdl;
  if (PrepareSdlComparison(state, sdl)) {
    double ours = 0;
    double theirs = 0;
    for (auto _ : state) {
      const double start = WallSeconds();
      ComposeOurs();
      benchmark::DoNotOptimize(BackBuffer.pixels.data());
      const double middle = WallSeconds();
      sdl.Compose();
      benchmark::DoNotOptimize(sdl.pixels());
      benchmark::ClobberMemory();
      ours += middle - start;
      theirs += WallSeconds() - middle;
    }
    const auto frames = static_cast<double>(state.iterations());
    state.counters["ours_us"] = 1e6 * ours / frames;
    state.counters["sdl_us"] = 1e6 * theirs / frames;
    state.counters["sdl_over_ours"] = theirs / ours;
  }
  MainWindow = window;
}
BENCHMARK(BM_PicturesOnlyOursVersusSdl)->Unit(benchmark::kMicrosecond);

#endif  // FRAME_BENCH_WITH_SDL

// Serves the desktop events that are pending, then returns.
void ServePendingEvents() {
  platform::RunMessageLoop([] { platform::PostQuitMessage(0); });
}

// Serves events for a while, so the new window is mapped and drawn.
void ServeEventsFor(double seconds) {
  const double end = WallSeconds() + seconds;
  while (WallSeconds() < end) ServePendingEvents();
}

// Opens the real main window and composes the full scene once into it.
bool OpenSceneWindow(benchmark::State& state) {
  if (!HaveDisplay()) {
    state.SkipWithError("needs an X display");
    return false;
  }
  if (!CreateMainWindow()) {
    state.SkipWithError("CreateMainWindow failed");
    return false;
  }
  ServeEventsFor(0.5);
  UpdateScreenRect();
  return PrepareScene(state, true);
}

// Closing the window releases the surfaces, as in the program.
void CloseSceneWindow() {
  platform::DestroyWindow(MainWindow);
  MainWindow = nullptr;
  ServePendingEvents();
}

// Runs step once per iteration with the main window open; only step is
// timed, the desktop events that came in between are served untimed.
void RunInWindow(benchmark::State& state, void (*step)()) {
  if (!OpenSceneWindow(state)) return;
  for (auto _ : state) {
    ServePendingEvents();
    const double start = WallSeconds();
    step();
    state.SetIterationTime(WallSeconds() - start);
  }
  CloseSceneWindow();
}

// Showing the finished frame in the main window.
void BM_PresentBackBuffer(benchmark::State& state) { RunInWindow(state, &PresentBackBuffer); }
BENCHMARK(BM_PresentBackBuffer)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The whole frame as the main loop draws it: composition and presenting.
void BM_RenderFrameIntoWindow(benchmark::State& state) { RunInWindow(state, &ComposeOurs); }
BENCHMARK(BM_RenderFrameIntoWindow)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
