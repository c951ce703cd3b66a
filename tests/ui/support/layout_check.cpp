#include "ui/support/layout_check.h"

#include <QQuickItem>

#include <vector>

namespace corvane::test {

namespace {

struct DrawnText {
  QQuickItem* item;
  QString text;
  QRectF box;      // in the window, cut by the clipping ancestors
  QObject* layer;  // the nearest overlay ancestor, or null for the screen
};

bool isText(const QQuickItem* item) { return item->inherits("QQuickText"); }

bool isLayer(const QQuickItem* item) {
  return item->property("overlay").toBool() || item->inherits("QQuickOverlay") ||
         item->inherits("QQuickPopupItem") ||
         (item->inherits("QQuickLoader") && item->property("screenModel").isValid() && item->z() > 0 &&
          item->property("active").toBool());
}

qreal effectiveOpacity(const QQuickItem* item) {
  qreal opacity = 1;
  for (; item != nullptr; item = item->parentItem()) opacity *= item->opacity();
  return opacity;
}

// The part of the item's box that its text covers, by its alignment.
QRectF paintedRect(QQuickItem* text) {
  const qreal width = text->width();
  const qreal height = text->height();
  const qreal cw = std::min(text->property("contentWidth").toReal(), width);
  const qreal ch = std::min(text->property("contentHeight").toReal(), height);
  const int h = text->property("horizontalAlignment").toInt();
  const int v = text->property("verticalAlignment").toInt();
  const qreal x = (h & Qt::AlignHCenter) ? (width - cw) / 2 : (h & Qt::AlignRight) ? width - cw : 0;
  const qreal y = (v & Qt::AlignVCenter) ? (height - ch) / 2 : (v & Qt::AlignBottom) ? height - ch : 0;
  return text->mapRectToScene(QRectF(x, y, cw, ch));
}

QString describe(const DrawnText& t) {
  QString shown = t.text.left(40);
  shown.replace('\n', ' ');
  return QStringLiteral("\"%1\"").arg(shown);
}

void collect(QQuickItem* item, QRectF clip, QObject* layer, QStringList& faults,
             std::vector<DrawnText>& texts) {
  if (!item->isVisible() || effectiveOpacity(item) < 0.01) return;
  if (isLayer(item)) layer = item;
  if (item->clip()) clip = clip.intersected(item->mapRectToScene(item->boundingRect()));
  if (isText(item) && !item->property("text").toString().isEmpty()) {
    DrawnText t{item, item->property("text").toString(), paintedRect(item).intersected(clip), layer};
    const bool intended = item->property("elideIntended").toBool();
    if (item->property("truncated").toBool() && !intended) {
      faults << describe(t) + " is elided";
    }
    // Text wider or taller than its own box is cut or spills onto its neighbours.
    const qreal cw = item->property("contentWidth").toReal();
    const qreal ch = item->property("contentHeight").toReal();
    if (!item->property("truncated").toBool() &&
        (cw > item->width() + 1 || ch > item->height() + 1)) {
      faults << describe(t) + QStringLiteral(" needs %1x%2 but has %3x%4")
                                  .arg(cw).arg(ch).arg(item->width()).arg(item->height());
    }
    const QRectF full = paintedRect(item);
    const QRectF window = item->window()->contentItem()->boundingRect();
    if (!t.box.isEmpty() && (full.left() < window.left() - 1 || full.right() > window.right() + 1)) {
      faults << describe(t) + " runs out of the window";
    }
    if (!t.box.isEmpty()) texts.push_back(t);
  }
  for (QQuickItem* child : item->childItems()) collect(child, clip, layer, faults, texts);
}

}  // namespace

QStringList unreadableTexts(QQuickWindow& window) {
  QStringList faults;
  std::vector<DrawnText> texts;
  QQuickItem* root = window.contentItem();
  collect(root, root->mapRectToScene(root->boundingRect()), nullptr, faults, texts);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    for (std::size_t j = i + 1; j < texts.size(); ++j) {
      if (texts[i].layer != texts[j].layer) continue;
      const QRectF both = texts[i].box.intersected(texts[j].box);
      if (both.width() > 1 && both.height() > 1) {
        faults << describe(texts[i]) + " overlaps " + describe(texts[j]);
      }
    }
  }
  return faults;
}

}  // namespace corvane::test
