// The grid library's bitmaps: CxBitmap, an image with the drawing routines
// the grids use (fill, frame, radial highlight, tint, transparent text,
// cropping); CxImageStrip, a strip of equal images drawn through a mask;
// and CxBitmapWnd, a child window that shows one bitmap as it is.
#pragma once

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <string_view>

#include "gridctl/model/grid_types.h"

namespace gridctl {

class CxBitmap {
 public:
  CxBitmap() = default;
  CxBitmap(int width, int height);
  explicit CxBitmap(QImage image);

  const QImage& Image() const { return image_; }
  QImage& Image() { return image_; }
  bool IsNull() const { return image_.isNull(); }

  void Fill(std::uint32_t colour);
  // A one-pixel black rectangle along the inside of the rectangle.
  void DrawFrame(const Rect& rect);
  // Brightens every pixel nearer to the centre than the radius: red gains
  // floor(226 k), green and blue floor(192 k) each, k = 1 - distance /
  // radius, each channel at most 255.
  void RadialHighlight(int centreX, int centreY, double radius);
  // Moves every pixel halfway towards red 160, green 140, blue 150.
  void Tint();
  // Draws the text (GBK) in the colour, touching only the glyphs' pixels;
  // `flags` are Qt::AlignmentFlag and Qt::TextFlag values.
  void DrawTextTransparent(std::string_view text, const FontSpec& font, std::uint32_t colour, const Rect& rect,
                           int flags);
  // A new bitmap of that part of this one.
  CxBitmap Crop(const Rect& rect) const;

 private:
  QImage image_;
};

// Equal images side by side (or stacked) in one bitmap, each drawn through
// the matching part of a mask: the mask is and-ed onto the target, then the
// image or-ed onto it. Without a mask the image is simply drawn.
class CxImageStrip {
 public:
  // Image width 0 means 16; an image count of 0 means as many as the
  // bitmap is wide. The height is 16.
  void SetImages(QImage image, QImage mask, int imageWidth, int imageCount);
  // Nothing for an index at or beyond the count.
  void Draw(QPainter& painter, int index, int x, int y) const;

  int ImageWidth() const { return width_; }
  int ImageHeight() const { return height_; }
  int ImageCount() const { return count_; }

 private:
  QImage image_;
  QImage mask_;
  int width_ = 16;
  int height_ = 16;
  int count_ = 0;
  bool sideBySide_ = true;
};

class CxBitmapWnd : public QWidget {
 public:
  explicit CxBitmapWnd(QWidget* parent);

  // Takes the bitmap in place of the one it showed, and repaints.
  void SetBitmap(QImage bitmap);
  const QImage& Bitmap() const { return bitmap_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  // The bitmap from the client's origin, not stretched; nothing without one.
  virtual void DrawBitmap(QPainter& painter);

 private:
  QImage bitmap_;
};

}  // namespace gridctl
