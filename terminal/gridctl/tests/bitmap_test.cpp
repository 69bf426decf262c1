#include "gridctl/views/bitmap.h"

#include <gtest/gtest.h>

#include "ui/testing/gui_test.h"

namespace {

using gridctl::CxBitmap;

QRgb PixelAt(const CxBitmap& bitmap, int x, int y) { return bitmap.Image().pixel(x, y); }

TEST(CxBitmapTest, TintMovesEveryChannelHalfwayTowardsItsTarget) {
  CxBitmap bitmap(2, 1);
  bitmap.Image().setPixel(0, 0, qRgb(0, 0, 0));
  bitmap.Image().setPixel(1, 0, qRgb(255, 255, 255));
  bitmap.Tint();
  EXPECT_EQ(PixelAt(bitmap, 0, 0), qRgb(80, 70, 75));
  EXPECT_EQ(PixelAt(bitmap, 1, 0), qRgb(207, 197, 202));
}

TEST(CxBitmapTest, RadialHighlightFadesOutAtTheRadius) {
  CxBitmap bitmap(21, 1);
  bitmap.Fill(0x102030);  // red 0x30, green 0x20, blue 0x10
  bitmap.RadialHighlight(10, 0, 0);
  EXPECT_EQ(PixelAt(bitmap, 10, 0), qRgb(0x30, 0x20, 0x10));
  bitmap.RadialHighlight(10, 0, 10);
  EXPECT_EQ(PixelAt(bitmap, 10, 0), qRgb(255, 0x20 + 192, 0x10 + 192));  // the centre gains all, red clamped
  EXPECT_EQ(PixelAt(bitmap, 15, 0), qRgb(0x30 + 113, 0x20 + 96, 0x10 + 96));
  EXPECT_EQ(PixelAt(bitmap, 0, 0), qRgb(0x30, 0x20, 0x10));  // at the radius
  EXPECT_EQ(PixelAt(bitmap, 20, 0), qRgb(0x30, 0x20, 0x10));
}

TEST(CxBitmapTest, TransparentTextTouchesOnlyItsGlyphs) {
  CxBitmap bitmap(60, 16);
  bitmap.Fill(0x6E5000);
  bitmap.DrawFrame({0, 0, 60, 16});
  bitmap.DrawTextTransparent("铜", {"宋体", 12}, 0xF8F8F8, {0, 0, 60, 16}, Qt::AlignCenter | Qt::TextSingleLine);
  EXPECT_EQ(PixelAt(bitmap, 0, 0), qRgb(0, 0, 0));  // the frame
  EXPECT_EQ(PixelAt(bitmap, 59, 15), qRgb(0, 0, 0));
  EXPECT_EQ(PixelAt(bitmap, 3, 8), qRgb(0, 0x50, 0x6E));  // beside the glyph
  int glyphPixels = 0;
  for (int x = 20; x < 40; ++x) {
    for (int y = 1; y < 15; ++y) glyphPixels += PixelAt(bitmap, x, y) != qRgb(0, 0x50, 0x6E) ? 1 : 0;
  }
  EXPECT_GT(glyphPixels, 10);
  const CxBitmap part = bitmap.Crop({1, 1, 11, 5});
  EXPECT_EQ(part.Image().size(), QSize(10, 4));
  EXPECT_EQ(PixelAt(part, 0, 0), qRgb(0, 0x50, 0x6E));
}

TEST(CxImageStripTest, ImagesAreDrawnThroughTheirMaskAndOnlyBelowTheCount) {
  QImage image(32, 16, QImage::Format_RGB32);
  image.fill(qRgb(0, 0, 0));
  for (int y = 0; y < 16; ++y) {
    for (int x = 16; x < 32; ++x) image.setPixel(x, y, qRgb(0, 0, 200));  // image 1: blue
  }
  QImage mask(32, 16, QImage::Format_RGB32);
  mask.fill(qRgb(0, 0, 0));  // every pixel of both images is opaque
  gridctl::CxImageStrip strip;
  strip.SetImages(image, mask, 16, 0);
  EXPECT_EQ(strip.ImageCount(), 2);

  QImage target(40, 16, QImage::Format_RGB32);
  target.fill(qRgb(255, 255, 255));
  {
    QPainter painter(&target);
    strip.Draw(painter, 1, 0, 0);
    strip.Draw(painter, 2, 20, 0);  // past the count
  }
  EXPECT_EQ(target.pixel(5, 5), qRgb(0, 0, 200));
  EXPECT_EQ(target.pixel(25, 5), qRgb(255, 255, 255));
}

TEST(CxBitmapWndTest, ShowsItsBitmapFromTheOriginUnstretched) {
  QWidget parent;
  parent.resize(100, 60);
  auto* window = new gridctl::CxBitmapWnd(&parent);
  window->setGeometry(0, 0, 80, 40);
  CxBitmap first(10, 10);
  first.Fill(0x0000FF);
  window->SetBitmap(first.Image());
  CxBitmap second(20, 10);
  second.Fill(0x00FF00);
  window->SetBitmap(second.Image());
  parent.show();
  ASSERT_TRUE(ui::testing::WaitUntil([&] { return window->isVisible(); }));
  const QImage shown = window->grab().toImage();
  EXPECT_EQ(shown.pixel(15, 5), qRgb(0, 255, 0));
  EXPECT_NE(shown.pixel(25, 5), qRgb(0, 255, 0));
}

}  // namespace
