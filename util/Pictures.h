#pragma once
// Picture recognition and the fitting of a picture into a box, used when page images are derived.

#include <cstdint>
#include <filesystem>

#include "util/Geometry.h"

// Whether a file holds a picture. Movies, documents, sounds and names without an extension are
// never pictures. By extension: ".jpeg", ".jpg", ".png", ".bmp", ".gif" (any letter case).
// Otherwise by the file's first two bytes (PCX, Photoshop, GIF, TIFF, BMP, PNG, Sun raster, JPEG,
// SGI signatures); a file shorter than two bytes is not a picture, and a file that cannot be read
// raises Error.
bool IsPictureFile(const std::filesystem::path& file, bool byExtension);

// The largest rectangle with the source's proportions that fits the box, centred in it; every
// quotient rounded half to even. A source or box without area gives an empty rectangle at (0, 0).
Rect FitInBox(std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t boxWidth,
              std::int32_t boxHeight);
