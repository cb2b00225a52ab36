// SPDX-License-Identifier: GPL-3.0-or-later

// The picture control: its SVG drawn into the control's bounds.
#include <QPainter>
#include <QSvgRenderer>
#include <QWidget>

#include "platform/Image.h"
#include "platform/qt/QtPeers.h"

namespace platform::qt {

namespace {

class ImageWidget : public QWidget, public PeerBase {
  public:
    ImageWidget(Image& image, QWidget* parent)
        : QWidget(parent), PeerBase(image), m_renderer(QByteArray::fromStdString(image.svg())) {}
    void changed(Property what) override {
        syncCommon(*this, what);
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        m_renderer.render(&p, QRectF(rect()));
    }

  private:
    QSvgRenderer m_renderer;
};

}  // namespace

QWidget* createImageWidget(Image& image, QWidget* parent) {
    return new ImageWidget(image, parent);
}

}  // namespace platform::qt
