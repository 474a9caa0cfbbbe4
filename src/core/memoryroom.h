#pragma once

#include <cstddef>

// Address space that the program needs beyond a video's frames to go on running: the
// threads that read ahead and that Qt paints with take a stack and a heap arena each, and
// Qt maps its fonts, pixmaps and the window's backing store as it goes. A frame that
// leaves less than this is refused when it is opened, rather than freezing the program
// later when a thread cannot start.
constexpr std::size_t runningRoomBytes = std::size_t { 512 } << 20;

// Whether `bytes` more of address space could be mapped now. Maps nothing for good.
bool addressSpaceLeft(std::size_t bytes);
