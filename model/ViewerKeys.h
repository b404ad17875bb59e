#pragma once
// The viewer's keyboard shortcuts (virtual-key codes, 0 for the viewer's own choice). The book
// and the project settings both carry them, under the same names and in the same order.

#include <array>
#include <cstdint>
#include <utility>

struct TViewerKeys {
  std::int32_t keyfullscreen = 0;
  std::int32_t keyprevpage = 0;
  std::int32_t keynextpage = 0;
  std::int32_t keyfirstpage = 0;
  std::int32_t keylastpage = 0;
  std::int32_t keyzoomin = 0;
  std::int32_t keyzoomout = 0;
};

// The keys' rows of a property table, in stored order.
inline constexpr std::array<std::pair<const char*, std::int32_t TViewerKeys::*>, 7> kViewerKeyProps{
    {
        {"keyfullscreen", &TViewerKeys::keyfullscreen},
        {"keyprevpage", &TViewerKeys::keyprevpage},
        {"keynextpage", &TViewerKeys::keynextpage},
        {"keyfirstpage", &TViewerKeys::keyfirstpage},
        {"keylastpage", &TViewerKeys::keylastpage},
        {"keyzoomin", &TViewerKeys::keyzoomin},
        {"keyzoomout", &TViewerKeys::keyzoomout},
    }};
