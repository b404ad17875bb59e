// bookstub-demo-pages: draws the demo's numbered pages, so that no picture needs to be kept in
// the repository.
//   bookstub-demo-pages FOLDER COUNT            page1.png ... pageCOUNT.png, 1000 x 1400 pixels:
//                                               pictures for `bookstub make`
//   bookstub-demo-pages --source-book FOLDER COUNT
//                                               the pictures examples/demo-book/book.xml names:
//                                               res/pages/page_NNNN.png (500 x 700), the mobile
//                                               images res/mobile/page_NNNN.jpg (1000 x 1400) and
//                                               a second of silence as res/sounds/bg.mp3
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 500;
constexpr int kHeight = 700;

// Page `index` (from 0) of `count`, drawn at `zoom` times the page size.
QImage DemoPage(int index, int count, int zoom) {
  QImage page(kWidth * zoom, kHeight * zoom, QImage::Format_RGB32);
  const QColor tint = QColor::fromHsv((index * 47) % 360, 90, 245);
  QLinearGradient gradient(0, 0, 0, kHeight);
  gradient.setColorAt(0, Qt::white);
  gradient.setColorAt(1, tint);
  QPainter painter(&page);
  painter.scale(zoom, zoom);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(QRect(0, 0, kWidth, kHeight), gradient);
  painter.setPen(QPen(tint.darker(160), 6));
  painter.drawRect(QRect(0, 0, kWidth, kHeight).adjusted(12, 12, -12, -12));

  painter.setPen(QColor(40, 40, 60));
  painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 20, QFont::Bold));
  painter.drawText(QRect(30, 40, kWidth - 60, 60), Qt::AlignCenter,
                   QStringLiteral("Bookstub demo book"));
  painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 140, QFont::Bold));
  painter.setPen(tint.darker(200));
  painter.drawText(QRect(0, 180, kWidth, 260), Qt::AlignCenter, QString::number(index + 1));
  painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 14));
  painter.setPen(QColor(60, 60, 80));
  painter.drawText(QRect(40, 500, kWidth - 80, 120), Qt::AlignCenter | Qt::TextWordWrap,
                   QStringLiteral("Page %1 of %2. Turn pages with the arrow keys or the buttons, "
                                  "zoom with + and - or the wheel; Esc leaves full screen.")
                       .arg(index + 1)
                       .arg(count));
  return page;
}

// A second of silence as MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz, mono): a header, then
// side information and data all zero, which decoders play as silence.
void WriteSilentMp3(const fs::path& file) {
  constexpr int kFrameBytes = 417;
  constexpr int kFrames = 39;
  std::string frame(kFrameBytes, '\0');
  frame[0] = '\xFF';
  frame[1] = '\xFB';
  frame[2] = '\x90';
  frame[3] = '\xC0';
  std::ofstream out(file, std::ios::binary);
  for (int i = 0; i < kFrames; ++i) out << frame;
}

std::string Numbered(const char* pattern, int number) {
  char name[64];
  std::snprintf(name, sizeof name, pattern, number);
  return name;
}

void Save(const QImage& image, const fs::path& file) {
  fs::create_directories(file.parent_path());
  if (!image.save(QString::fromStdString(file.string())))
    throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

int main(int argc, char** argv) {
  // Fonts for the page texts, without a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  const bool sourceBook = argc == 4 && std::string(argv[1]) == "--source-book";
  if (argc != 3 && !sourceBook) {
    std::cerr << "usage: bookstub-demo-pages [--source-book] FOLDER COUNT\n";
    return 2;
  }
  const fs::path folder = argv[sourceBook ? 2 : 1];
  const int count = std::stoi(argv[sourceBook ? 3 : 2]);
  try {
    for (int i = 0; i < count; ++i) {
      if (!sourceBook) {
        Save(DemoPage(i, count, 2), folder / Numbered("page%d.png", i + 1));
        continue;
      }
      Save(DemoPage(i, count, 1), folder / Numbered("res/pages/page_%04d.png", i + 1));
      Save(DemoPage(i, count, 2), folder / Numbered("res/mobile/page_%04d.jpg", i + 1));
    }
    if (sourceBook) {
      fs::create_directories(folder / "res/sounds");
      WriteSilentMp3(folder / "res/sounds/bg.mp3");
    }
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "bookstub-demo-pages: " << error.what() << "\n";
    return 1;
  }
}
