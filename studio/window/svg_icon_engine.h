// An icon drawn from one of Studio's SVG files at whatever pixel size the screen asks for, so a
// button stays sharp at any device pixel ratio. The files stroke in `currentColor`, which
// becomes the palette's text colour: the icons follow a light or a dark theme.
#pragma once

#include <QByteArray>
#include <QIconEngine>

namespace tessel::studio {

class SvgIconEngine final : public QIconEngine {
 public:
  // `svg` is the file's text; empty makes a null icon.
  explicit SvgIconEngine(QByteArray svg);

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override;
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
  QIconEngine* clone() const override;
  QString key() const override;
  bool isNull() override;

 private:
  QByteArray svg_;
};

}  // namespace tessel::studio
