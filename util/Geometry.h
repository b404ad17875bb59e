#pragma once
// Sizes, points and rectangles in pixels, shared by the split, the picture service and the window,
// and rectangles in fractional units (the points of a PDF page, a book's page units).

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct BoxF {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  friend bool operator==(const BoxF&, const BoxF&) = default;
};
