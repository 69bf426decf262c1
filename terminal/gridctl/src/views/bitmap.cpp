#include "gridctl/views/bitmap.h"

#include <QPaintEvent>
#include <algorithm>
#include <cmath>

#include "gridctl/views/paint_support.h"
#include "ui/gbk_text.h"

namespace gridctl {
namespace {

// Halfway from the channel towards the target, truncating towards zero.
int Halfway(int channel, int target) { return target + (channel - target) * 50 / 100; }

}  // namespace

CxBitmap::CxBitmap(int width, int height) : image_(width, height, QImage::Format_RGB32) { image_.fill(Qt::black); }

CxBitmap::CxBitmap(QImage image) : image_(std::move(image)) {
  if (!image_.isNull() && image_.format() != QImage::Format_RGB32) image_.convertTo(QImage::Format_RGB32);
}

void CxBitmap::Fill(std::uint32_t colour) { image_.fill(ToQColor(colour)); }

void CxBitmap::DrawFrame(const Rect& rect) {
  if (rect.IsEmpty() || image_.isNull()) return;
  QPainter painter(&image_);
  painter.setPen(Qt::black);
  painter.drawRect(QRect(rect.left, rect.top, rect.Width() - 1, rect.Height() - 1));
}

void CxBitmap::RadialHighlight(int centreX, int centreY, double radius) {
  if (radius <= 0) return;
  for (int y = 0; y < image_.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
    for (int x = 0; x < image_.width(); ++x) {
      const double distance = std::hypot(x - centreX, y - centreY);
      if (distance >= radius) continue;
      const double k = 1.0 - distance / radius;
      const int red = std::min(255, qRed(line[x]) + static_cast<int>(std::floor(226 * k)));
      const int gain = static_cast<int>(std::floor(192 * k));
      line[x] = qRgb(red, std::min(255, qGreen(line[x]) + gain), std::min(255, qBlue(line[x]) + gain));
    }
  }
}

void CxBitmap::Tint() {
  for (int y = 0; y < image_.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
    for (int x = 0; x < image_.width(); ++x) {
      line[x] = qRgb(Halfway(qRed(line[x]), 160), Halfway(qGreen(line[x]), 140), Halfway(qBlue(line[x]), 150));
    }
  }
}

void CxBitmap::DrawTextTransparent(std::string_view text, const FontSpec& font, std::uint32_t colour, const Rect& rect,
                                   int flags) {
  if (image_.isNull()) return;
  QPainter painter(&image_);
  painter.setFont(ToQFont(font));
  painter.setPen(ToQColor(colour));
  painter.drawText(ToQRect(rect), flags, ui::FromGbk(text));
}

CxBitmap CxBitmap::Crop(const Rect& rect) const { return CxBitmap(image_.copy(ToQRect(rect))); }

void CxImageStrip::SetImages(QImage image, QImage mask, int imageWidth, int imageCount) {
  image_ = std::move(image);
  mask_ = std::move(mask);
  height_ = 16;
  width_ = imageWidth > 0 ? imageWidth : 16;
  count_ = imageCount > 0 ? imageCount : image_.width() / width_;
  sideBySide_ = true;
}

void CxImageStrip::Draw(QPainter& painter, int index, int x, int y) const {
  if (index < 0 || index >= count_ || image_.isNull()) return;
  const QRect source =
      sideBySide_ ? QRect(index * width_, 0, width_, height_) : QRect(0, index * height_, width_, height_);
  const QPainter::CompositionMode mode = painter.compositionMode();
  if (!mask_.isNull()) {
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.drawImage(QPoint(x, y), mask_, source);
    painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
  }
  painter.drawImage(QPoint(x, y), image_, source);
  painter.setCompositionMode(mode);
}

CxBitmapWnd::CxBitmapWnd(QWidget* parent) : QWidget(parent) {
  // The bitmap covers what it shows; nothing is erased under it.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
}

void CxBitmapWnd::SetBitmap(QImage bitmap) {
  bitmap_ = std::move(bitmap);
  update();
}

void CxBitmapWnd::paintEvent(QPaintEvent* event) {
  if (event->region().isEmpty()) return;
  QPainter painter(this);
  DrawBitmap(painter);
}

void CxBitmapWnd::DrawBitmap(QPainter& painter) {
  if (!bitmap_.isNull()) painter.drawImage(QPoint(0, 0), bitmap_);
}

}  // namespace gridctl
