// Composition of the scene: each frame is drawn anew on the back buffer from
// the world state and then shown in the main window in one copy.
#pragma once
#include <cstdint>

#include "client/platform/font.h"
#include "client/world/world_state.h"

// The map whose picture MapPicture holds; -1 until the first map is loaded.
extern std::int32_t LoadedMapNumber;
// The ticker line's x position: it slides from 500 to 15, one pixel a frame.
extern std::int32_t TickerX;
// The scene's place on the screen: the client-area origin of the main
// window and 640 x 480 from there.
extern SceneRect ScreenRect;

// Draws one frame with the own character at the given rectangle and shows it.
void RenderFrame(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);

// Draws a character's balloon (while now is before the expiry) and then its
// picture onto the rectangle.
void DrawCharacter(const char* balloon_text, std::uint32_t balloon_expiry, const SceneRect& rect,
                   std::int32_t appearance);

// Follows the main window's position on the screen.
void UpdateScreenRect();

// The balloon font of the face at the height. Only horizontal text is drawn,
// so the escapement must be 0. The font is kept and shared, not created anew.
platform::Font* CreateBalloonFont(const char* face, int height, int escapement);
