// Composition of the scene.
#pragma once
#include <cstdint>

// Draws one frame of the scene and shows it in the main window.
void RenderFrame(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
