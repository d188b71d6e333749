#include "studio/window/svg_icon_engine.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QSvgRenderer>

namespace tessel::studio {
namespace {

// A disabled button's icon shows faded, accents and all, rather than in one grey.
constexpr qreal kDisabledOpacity = 0.38;

}  // namespace

SvgIconEngine::SvgIconEngine(QByteArray svg) : svg_(std::move(svg)) {}

QPixmap SvgIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) {
  QPixmap out(size);
  out.fill(Qt::transparent);
  if (svg_.isEmpty() || size.isEmpty()) return out;
  QByteArray text = svg_;
  text.replace("currentColor",
               QGuiApplication::palette().color(QPalette::Active, QPalette::ButtonText).name().toLatin1());
  QSvgRenderer renderer(text);
  QPainter painter(&out);
  if (mode == QIcon::Disabled) painter.setOpacity(kDisabledOpacity);
  renderer.render(&painter, QRectF(QPointF(0, 0), size));
  return out;
}

void SvgIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                          QIcon::State state) {
  const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
  QPixmap drawn = pixmap(rect.size() * ratio, mode, state);
  drawn.setDevicePixelRatio(ratio);
  painter->drawPixmap(rect, drawn);
}

QIconEngine* SvgIconEngine::clone() const { return new SvgIconEngine(svg_); }

QString SvgIconEngine::key() const { return QStringLiteral("tessel-svg"); }

bool SvgIconEngine::isNull() { return svg_.isEmpty(); }

}  // namespace tessel::studio
