#pragma once
// The browser engine's switches for the player, and the choice between drawing on the GPU and on
// the CPU.
// Implements: the switches that keep the engine's process tree small without touching its
// sandbox (the audio service inside the browser process, no zygote kept for unsandboxed helper
// processes) and that let the emulator start sooner (its WebAssembly compiled as it is first
// called), merged into switches the user gave the engine; which OpenGL renderers draw on the CPU.
// Does not: read or write the environment, or ask OpenGL (FlashHostProcess.cpp does both).

#include <string>
#include <string_view>

namespace platform {

// The engine's switches: `userSwitches` (the engine's own environment variable, as the user set
// it) with ours added. A feature list the user gave is extended, not replaced; script-engine
// flags the user gave replace ours.
std::string EngineSwitches(std::string_view userSwitches);

// True when `glRenderer` (OpenGL's renderer string) names a rasteriser that runs on the CPU, or
// is empty because no OpenGL context could be made.
bool IsSoftwareRenderer(std::string_view glRenderer);

}  // namespace platform
